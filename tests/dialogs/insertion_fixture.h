// The editor over the shipped libraries and a small design, for the
// insertion dialogs and the placement from them.
#pragma once

#include "editor/dialogs/schicmpd.h"
#include "editor/objects/comp_state.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/paths.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <string>

namespace insertion_test {

inline const char* const kInsertDesign = R"(
include discrete.nls
include ics.nls
unit 0.1in
design D
level MAIN
page P1 frame 100 80
  component R1 R at 0 0
end
)";

class InsertTest : public palvane_test::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        SetDataDir(COMPILED_DATA_DIR);
        g_IniFile = COMPILED_DATA_DIR "/norvo32.ini";
        ReadDirSettings();
        ReadLibLists();
        ASSERT_TRUE(palvane_test::BuildDesign(kInsertDesign));
        DB_SetCurPage(OM_FindName(DB_PageMap(), "P1"));
        ReadCurrentPage();
        g_UnitIndex = 0;
        g_CompDlgMode = false;
        g_CompAngle = 0;
        g_CompMirror = 0;
        g_CompRepeat = 0;
        g_ArrayCountX = g_ArrayCountY = 1;
        g_ArrayStepX = g_ArrayStepY = 254000;
    }
    void TearDown() override
    {
        FormInstance<SCHICMPD>().CancelDialog();
        FormInstance<SCHICMPS>().CancelDialog();
        EditorTest::TearDown();
    }
    // A component by its name; a part's gate is named "REF/1".
    static int32_t Comp(const std::string& name)
    {
        const int32_t id = OM_FindName(DB_SchCompMap(), name.c_str());
        return id != 0 ? id : OM_FindName(DB_SchCompMap(), (name + "/1").c_str());
    }
    static int CountComps()
    {
        int n = 0;
        int32_t cursor = OM_GetFirst(DB_SchCompMap());
        while (OM_SearchMask(DB_SchCompMap(), &cursor, 0, 0) != 0) ++n;
        return n;
    }
    static CompRec Read(int32_t id)
    {
        CompRec rec{};
        C_ReadComponent(id, &rec);
        return rec;
    }
    // Types a name into the reference field and presses Enter.
    static void TypeRef(InsertionDialog& d, const std::string& name)
    {
        d.F_Cref()->SetText(name);
        int key = 13;
        d.F_Cref_KeyPress(key);
    }
    static void Enter(TextBox* box, const std::string& text)
    {
        box->SetText(text);
    }
};

}  // namespace insertion_test
