// A block file loaded onto a page, kept apart and joined, swept with every
// step that changes the design refused in turn.
#include "tests/editing/all_or_nothing.h"

#include "editor/shell/curpos.h"
#include "editor/shell/pagedraw.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace palvane_test;

// Two resistors wired by SIG on page P, saved as the block; page Q takes
// it, and holds a net SIG of its own for the joined load.
const char* kDesign = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net SIG
page P frame 60 40
  component R1 R at 0 0
  component R2 R at 20 0
  wire SIG R1.2 (10 0) R2.1 label 12 0.3
end
page Q frame 60 40
  component R9 R at 40 30
  wire SIG R9.1 (30 30)
end
)";

class BlockSweep : public AllOrNothing {
public:
    void SetUp() override
    {
        AllOrNothing::SetUp();
        design = kDesign;
        path = dir.path().toStdString() + "/block.nsb";
    }
    // Writes the block of the whole circuit of page P.
    void SaveBlockOfP()
    {
        page = "P";
        Fresh(Row{"save", nullptr, nullptr});
        SCHMAIN& m = M();
        m.m_BaseX = 1270000;
        m.m_BaseY = 0;
        m.m_BoxW = 10160000;
        m.m_BoxH = 5080000;
        m.m_BoxDiagonal = 11359000;
        g_SelRect = {-3810000, -2540000, 6350000, 2540000};
        m.m_BlockFilePath = path;
        int32_t selection = 0;
        ASSERT_TRUE(m.SaveBlock(selection));
        page = "Q";
    }
    static void Load(AllOrNothing& t, bool join, double rotation)
    {
        SCHMAIN& m = t.M();
        ReadCurrentPage();
        m.m_PlaceX = 2540000;
        m.m_PlaceY = 2540000;
        m.m_Rotation = rotation;
        m.m_BlockFilePath = static_cast<BlockSweep&>(t).path;
        int32_t status = -1;
        m.LoadBlock(status, join);
    }
    QTemporaryDir dir;
    std::string path;
};

const AllOrNothing::Row kLoads[] = {
    {"block loaded apart", nullptr, [](AllOrNothing& t) { BlockSweep::Load(t, false, 0); }},
    {"block loaded joined and turned", nullptr, [](AllOrNothing& t) { BlockSweep::Load(t, true, 90); }},
};

TEST_F(BlockSweep, BlockLoadIsWholeOrNothing)
{
    SaveBlockOfP();
    for (const Row& row : kLoads) Sweep(row);
}

}  // namespace
