// A small hierarchical design for the hierarchy tests: block symbols with
// entries left and right of their middle, a root level MAIN with three
// blocks, and further levels. The hierarchy attributes are made by the code
// under test (CreateSubHier, MakeHierLabels).
#pragma once

#include "editor/shell/curpos.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"
#include "tests/support/kernel_fixture.h"

#include <string>
#include <vector>

namespace hier_test {

// Levels: MAIN 1, SUB 2, SUB2 3 (holds block B3), SUB3 4.
inline const char* kHierDesign = R"(
unit 0.1in
symbol BLK schematic
  entry IN at -10 2
  entry OUT at 10 2
  entry CLK at -10 -2
  rect -10 -5 20 10
end
symbol BLK2 schematic
  entry A at -10 0
  rect -10 -5 20 10
end
design D
level MAIN
page P frame 60 40
  component B1 symbol BLK at 0 0
  component B2 symbol BLK at 30 0
  component C1 symbol BLK2 at 0 20
end
level SUB
page S frame 60 40
end
level SUB2
page T frame 60 40
  component B3 symbol BLK at 0 0
end
level SUB3
page U frame 60 40
end
)";

constexpr int32_t kMain = 1, kSub = 2, kSub2 = 3, kSub3 = 4;
constexpr int32_t kTenth = 254000;

class HierTest : public palvane_test::KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_TRUE(palvane_test::BuildDesign(kHierDesign));
        Enter(kMain);
    }
    // Makes the level current in the kernel and in g_CurHier.
    static void Enter(int32_t level)
    {
        DB_SetCurHier(level);
        g_CurHier = level;
    }
    static int32_t Comp(const char* name) { return OM_FindName(DB_SchCompMap(), name); }
    static int32_t Symbol(const char* name) { return OM_FindName(DB_SymbMap(), name); }
    // The texts of an item array carrying mask 32: (text, link).
    static std::vector<std::pair<std::string, int32_t>> HierTexts(int32_t array)
    {
        std::vector<std::pair<std::string, int32_t>> texts;
        for (int32_t i = 1; i <= OA_GetCount(array); ++i) {
            ItemRec rec{};
            if (I_ReadItem(OA_Object(array, i), &rec) && (rec.Flags & 32)) texts.emplace_back(rec.Text, rec.Link);
        }
        return texts;
    }
    // The port stub wires of the current level.
    static std::vector<int32_t> Stubs()
    {
        std::vector<int32_t> ids;
        int32_t cursor = OM_GetFirst(DB_BranchMap());
        while (const int32_t b = OM_SearchMask(DB_BranchMap(), &cursor, 16, 16)) ids.push_back(b);
        return ids;
    }
    static bool HasFile(const std::string& name) { return OM_FindName(DB_FileMap(), name.c_str()) != 0; }
};

}  // namespace hier_test
