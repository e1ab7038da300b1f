// The editor with the shipped libraries and a small design, for the
// component list tests: two resistors and a quad NAND gate on page P1, a
// resistor on page P2, inches as the display unit.
#pragma once

#include "editor/shell/pagedraw.h"
#include "editor/shell/paths.h"
#include "platform/kernel/nvokernel32.h"
#include "editor/shell/settings.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <string>

namespace complist_test {

inline const char* const kListDesign = R"(
include discrete.nls
include ics.nls
include power.nls
unit 0.1in
design D
level MAIN
page P1 frame 100 80
  component R1 R at 0 0
  component R2 R at 20 0 angle 90
  component U1 74HC00 gate A at 40 0
end
page P2 frame 100 80
  component R3 R at 10 10
end
)";

class ListTest : public palvane_test::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        SetDataDir(COMPILED_DATA_DIR);
        g_IniFile = std::string(COMPILED_DATA_DIR) + "/norvo32.ini";
        ReadDirSettings();
        ReadLibLists();
        ASSERT_TRUE(palvane_test::BuildDesign(kListDesign));
        DB_SetCurPage(OM_FindName(DB_PageMap(), "P1"));
        ReadCurrentPage();
        g_UnitIndex = 0;
    }
    // The id of schematic component `name`, 0 when there is none.
    static int32_t Comp(const std::string& name) { return OM_FindName(DB_SchCompMap(), name.c_str()); }
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
};

}  // namespace complist_test
