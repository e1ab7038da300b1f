// Descent into the level of a hierarchical block.
#include "editor/dialogs/schinfob.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/components.h"
#include "editor/objects/hierarchy.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/paths.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/shell/textarea.h"
#include "editor/shell/textfiles.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <algorithm>
#include <string>

namespace {

const char* const kDesign = R"(
include power.nls
unit 0.1in
design D
level MAIN
page P1 frame 100 80
  component H1 symbol BLOCK at 0 0 child BLOCK
end
level BLOCK
net IN1
net IN2
net OUT1
net OUT2
page F frame 100 80
  wire IN1 (-20 10) (-10 10)
  wire IN2 (-20 0) (-10 0)
  wire OUT1 (10 10) (20 10)
  wire OUT2 (10 0) (20 0)
end
)";

class Descent : public palvane_test::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        m = &Main();
        ASSERT_TRUE(palvane_test::BuildDesign(kDesign));
        DB_SetCurHier(OM_FindName(DB_HierarchyMap(), "MAIN"));
        DB_SetCurPage(OM_FindName(DB_PageMap(), "P1"));
        ReadCurrentPage();
        for (int i = 0; i <= 10; ++i) m->F_OST(i)->SetValue(false);
        g_CompId = OM_FindName(DB_SchCompMap(), "H1");
        ASSERT_GT(g_CompId, 0);
        int32_t status = 0;
        ReadComp(status, g_CompId, g_CompName);
        g_CompEntry = 0;
        sent.clear();
    }
    bool SentUp() const
    {
        return std::any_of(sent.begin(), sent.end(), [](const auto& s) { return s.second == "All,UP"; });
    }
    SCHMAIN* m = nullptr;
};

TEST_F(Descent, EntersTheBlockLevelWithAStackEntryAndAsksForTheReload)
{
    const int32_t main = OM_FindName(DB_HierarchyMap(), "MAIN");
    const int32_t block = OM_FindName(DB_HierarchyMap(), "BLOCK");
    m->F_OST(0)->SetValue(true);
    m->ShowCompInfo();
    EXPECT_EQ(DB_CurHier(), block);
    EXPECT_TRUE(SentUp());
    // The stack is a file object of the level the descent started from.
    DB_SetCurHier(main);
    LoadHierStack();
    ASSERT_GE(g_HierStack.UBound(), 1);
    EXPECT_EQ(g_HierStack(1).Id, g_CompId);
}

TEST_F(Descent, RefusedLevelChangeTakesTheStackEntryBackAndSendsNothing)
{
    const int32_t main = OM_FindName(DB_HierarchyMap(), "MAIN");
    m->F_OST(0)->SetValue(true);
    LoadHierStack();
    const long depth = g_HierStack.UBound();
    KT_FailCall("DB_SetCurHier", 1);
    ui.ExpectMessageBox(1, "Can't assign Hierarchy");
    m->ShowCompInfo();
    KT_FailCall("", 0);
    EXPECT_EQ(DB_CurHier(), main);
    LoadHierStack();
    EXPECT_EQ(g_HierStack.UBound(), depth);
    EXPECT_FALSE(SentUp());
}

TEST_F(Descent, WithoutOptionsTheReportNamesTheLevel)
{
    m->ShowCompInfo();
    EXPECT_EQ(DB_CurHier(), OM_FindName(DB_HierarchyMap(), "MAIN"));
    const std::string text = FormInstance<SCHINFOB>().F_TxtBuffer()->Text();
    EXPECT_NE(text.find("Part/Smb: none / BLOCK\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("Packaged as gate"), std::string::npos) << text;
    EXPECT_NE(text.find("Handle to Hier: BLOCK\r\n"), std::string::npos) << text;
    EXPECT_FALSE(SentUp());
}

}  // namespace
