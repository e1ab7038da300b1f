// Block files: saved from one page, loaded onto another (turned, joined or
// kept apart), and damaged files refused with the design unchanged.
#include "editor/documents/block_format.h"
#include "fuzz/block/block_fuzz.h"
#include "editor/documents/block_load.h"
#include "editor/objects/net_lookups.h"
#include "editor/shell/curpos.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textfiles.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "platform/winsys/interaction.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace {

using namespace palvane_test;

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
end
)";

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// What a load may change: every object of the level, by map, with names.
std::map<std::string, std::string> Snapshot()
{
    std::map<std::string, std::string> snap;
    const std::pair<const char*, int32_t> maps[] = {{"comps", DB_SchCompMap()}, {"nets", DB_NetMap()},
                                                    {"branches", DB_BranchMap()}, {"junctions", DB_JunctMap()},
                                                    {"devices", DB_DeviceMap()}, {"symbols", DB_SymbMap()}};
    for (const auto& [name, map] : maps) {
        std::string list;
        int32_t cursor = OM_GetFirst(map);
        for (int32_t id; (id = OM_SearchMask(map, &cursor, 0, 0)) > 0;) {
            list += std::to_string(id) + ":" + std::to_string(O_GetStatus(0) * 0);
            if (map == DB_NetMap()) {
                NetRec net{};
                N_ReadNet(id, &net);
                list += std::string(net.Name ? net.Name : "") + "/" + std::to_string(net.Nodes) + "/" +
                        std::to_string(net.Flags);
            }
            if (map == DB_SchCompMap()) {
                CompRec comp{};
                C_ReadComponent(id, &comp);
                list += comp.Name ? comp.Name : "";
            }
            list += " ";
        }
        snap[name] = list;
    }
    return snap;
}

class BlockFiles : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        ASSERT_TRUE(BuildDesign(kDesign));
        page_p = OM_FindNameMask(DB_PageMap(), "P", 0, 0);
        page_q = OM_FindNameMask(DB_PageMap(), "Q", 0, 0);
        ASSERT_NE(page_q, 0);
        path = dir.path().toStdString() + "/block.nsb";
    }
    void TearDown() override
    {
        KT_FailJunctionCreation(0);
        E_SetString("KernelFaultForTests", "");
        testing_hooks::LimitTextFileWrites(-1);
        EditorTest::TearDown();
    }
    void OnPage(int32_t page)
    {
        DB_SetCurPage(page);
        ReadCurrentPage();
    }
    // Saves the block of the rectangle around the whole circuit of page P.
    bool SaveAll()
    {
        OnPage(page_p);
        SCHMAIN& m = Main();
        m.m_BaseX = 1270000;
        m.m_BaseY = 0;
        m.m_BoxW = 10160000;
        m.m_BoxH = 5080000;
        m.m_BoxDiagonal = 11359000;
        g_SelRect = {-3810000, -2540000, 6350000, 2540000};
        m.m_BlockFilePath = path;
        int32_t selection = 0;
        const bool saved = m.SaveBlock(selection);
        OM_MaskAll(DB_SchCompMap(), 0, 256);
        OM_MaskAll(DB_NetMap(), 0, 256);
        return saved;
    }
    int32_t Load(double rotation, bool join, int32_t page)
    {
        OnPage(page);
        SCHMAIN& m = Main();
        m.m_PlaceX = 2540000;
        m.m_PlaceY = 2540000;
        m.m_Rotation = rotation;
        m.m_BlockFilePath = path;
        int32_t status = -1;
        m.LoadBlock(status, join);
        return status;
    }
    QTemporaryDir dir;
    std::string path;
    int32_t page_p = 0;
    int32_t page_q = 0;
};

TEST_F(BlockFiles, SaveWritesTheFormat)
{
    ASSERT_TRUE(SaveAll());
    const std::string text = ReadAll(path);
    EXPECT_EQ(text.rfind("090, 10160000, 5080000\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("1600,#"), std::string::npos);
    EXPECT_NE(text.find(",R1/1,R,RES, 1, 0,-1270000, 0\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("1300,#"), std::string::npos);
    EXPECT_NE(text.find("1700,#"), std::string::npos);
    EXPECT_NE(text.find(",-1270000,"), std::string::npos);  // R1 left of the reference point
    EXPECT_NE(text.find("1702,"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 5), "999\r\n");
    block::File file;
    block::Problem problem;
    EXPECT_TRUE(block::ParseBlock(text, file, problem)) << problem.line << problem.reason;
    EXPECT_EQ(file.comps.size(), 2u);
    EXPECT_EQ(file.branches.size(), 1u);
}

TEST_F(BlockFiles, RoundTripToAnotherPageTurned)
{
    ASSERT_TRUE(SaveAll());
    ASSERT_EQ(Load(90, false, page_q), 0);
    // Two new components named Unpck..., their wire on page Q.
    int32_t onQ = 0;
    int32_t cursor = OM_GetFirst(DB_SchCompMap());
    for (int32_t id; (id = OM_SearchMask(DB_SchCompMap(), &cursor, 0, 0)) > 0;) {
        CompRec comp{};
        C_ReadComponent(id, &comp);
        if (comp.Page != page_q) continue;
        ++onQ;
        EXPECT_EQ(std::string(comp.Name).rfind("Unpck", 0), 0u) << comp.Name;
        EXPECT_EQ(comp.X, 2540000);  // turned by 90 degrees about the drop point
        EXPECT_EQ(comp.Angle, 90000);
    }
    EXPECT_EQ(onQ, 2);
    // The clash with SIG is kept apart: a net "UN..." with its wire.
    int32_t status = 1, un = 0;
    FindNetByName(status, un, "UN1");
    ASSERT_EQ(status, 0);
    NetRec net{};
    N_ReadNet(un, &net);
    EXPECT_EQ(net.Nodes, 2);
    // Joined, the second copy goes into SIG.
    NetRec sigBefore{};
    int32_t sig = OM_FindName(DB_NetMap(), "SIG");
    N_ReadNet(sig, &sigBefore);
    ASSERT_EQ(Load(0, true, page_q), 0);
    NetRec sigAfter{};
    N_ReadNet(sig, &sigAfter);
    EXPECT_EQ(sigAfter.Nodes, sigBefore.Nodes + 2);
    FindNetByName(status, un, "UN2");
    EXPECT_NE(status, 0);
}

TEST_F(BlockFiles, FailedCreationLeavesTheDesignUnchanged)
{
    ASSERT_TRUE(SaveAll());
    OnPage(page_q);
    const auto before = Snapshot();
    for (int n = 1; n <= 1; ++n) {
        KT_FailJunctionCreation(n);
        ui.ExpectMessageBox(1, "Can't Create Branch Segment");
        EXPECT_NE(Load(0, false, page_q), 0);
        KT_FailJunctionCreation(0);
        EXPECT_EQ(Snapshot(), before) << n;
    }
    E_SetString("KernelFaultForTests", "B_InsertRecord");
    ui.ExpectMessageBox(1, "Can't Create Branch Segment");
    EXPECT_NE(Load(0, false, page_q), 0);
    E_SetString("KernelFaultForTests", "");
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(BlockFiles, DamagedFilesAreRefused)
{
    ASSERT_TRUE(SaveAll());
    const std::string good = ReadAll(path);
    const std::string comp = good.substr(good.find("1600,"), good.find("\r\n", good.find("1600,")) - good.find("1600,"));
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const std::string longLine(10u << 20, 'x');
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"truncated", good.substr(0, good.size() / 2)},
        {"no end", good.substr(0, good.find("999"))},
        {"missing fields", replaced(comp, comp.substr(0, comp.rfind(',')))},
        {"not a number", replaced(comp, comp.substr(0, comp.rfind(',')) + ",abc")},
        {"1e400", replaced(comp, comp.substr(0, comp.rfind(',')) + ",1e400")},
        {"id without #", replaced("1600,#", "1600,")},
        {"repeated id", replaced("1300,", comp + "\r\n1300,")},
        {"unknown id", replaced("1301,#", "1301,#9999")},
        {"far away", replaced(comp, comp.substr(0, comp.rfind(',')) + ", 219000000")},
        {"byte over 255", replaced("1701, 5,", "1701, 256, 0, 0\r\n1701, 5,")},
        {"text size 0", replaced("1702, ", "1702, 0,0,0,0,0,0,0,0,0, 0,0\r\n1702, ")},
        {"10 MB line", replaced("999", longLine + "\r\n999")},
        {"NUL", replaced("1300,", std::string("13\0", 3) + "00,\r\n1300,")},
        {"CR only", replaced("\r\n1300", "\r1300")},
        {"unknown part", replaced(",R,", ",NOSUCHPART,")},
    };
    OnPage(page_q);
    const auto before = Snapshot();
    for (const auto& c : cases) {
        WriteAll(path, c.text);
        ui.ExpectMessageBox(1);
        EXPECT_NE(Load(0, false, page_q), 0) << c.name;
        EXPECT_EQ(Snapshot(), before) << c.name;
        EXPECT_EQ(ui.pending(), 0u) << c.name;
    }
}

TEST_F(BlockFiles, SkippedLinesAndBothLineEnds)
{
    ASSERT_TRUE(SaveAll());
    std::string text = ReadAll(path);
    // LF line ends, an empty line, an unknown code, a point before any wire.
    std::string lf;
    for (char c : text)
        if (c != '\r') lf += c;
    lf.insert(lf.find("\n1600") + 1, "\n4242,whatever\n1701, 4, 0, 0\n");
    WriteAll(path, lf);
    EXPECT_EQ(Load(0, false, page_q), 0);
}

TEST_F(BlockFiles, FailingWriteKeepsTheOldFile)
{
    WriteAll(path, "old block\r\n");
    testing_hooks::LimitTextFileWrites(40);
    ui.ExpectMessageBox(1, "Can't create/write to file");
    EXPECT_FALSE(SaveAll());
    testing_hooks::LimitTextFileWrites(-1);
    EXPECT_EQ(ReadAll(path), "old block\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(BlockFiles, NameWithACommaIsRefused)
{
    OnPage(page_p);
    const int32_t r1 = OM_FindName(DB_SchCompMap(), "R1/1");
    ASSERT_NE(O_Rename(C_Component(r1), "R,1"), 0);
    ui.ExpectMessageBox(1, "R,1");
    EXPECT_FALSE(SaveAll());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
}

TEST(BlockFormat, NumbersAndPlacement)
{
    EXPECT_EQ(block::PlainNumber(5), " 5");
    EXPECT_EQ(block::PlainNumber(0), " 0");
    EXPECT_EQ(block::PlainNumber(-5), "-5");
    EXPECT_EQ(block::IdText(7), "#7");
    int32_t x = 1000, y = 0, angle = 0;
    ASSERT_TRUE(block::PlaceOffset({10, 20, 90}, x, y, angle, 1));
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 1020);
    EXPECT_EQ(angle, 90000);
    x = 1000, y = 0, angle = 0;
    ASSERT_TRUE(block::PlaceOffset({0, 0, 90}, x, y, angle, -1));
    EXPECT_EQ(angle, 270000);
    x = 219999999, y = 0;
    EXPECT_FALSE(block::PlaceOffset({2, 0, 0}, x, y, angle, 1));
}

// The seeds of the fuzz target keep the parser's promises, and so does what
// SaveBlock writes, at every quarter turn. With PALVANE_BLOCK_SEED_DIR set
// the saved block is written there as a seed (its first byte the turn).
TEST_F(BlockFiles, FuzzSeedsAndSavedBlocksKeepTheParsersPromises)
{
    const QDir corpus(FUZZ_BLOCK_CORPUS_DIR);
    const QStringList seeds = corpus.entryList(QDir::Files);
    ASSERT_FALSE(seeds.isEmpty());
    for (const QString& name : seeds) {
        SCOPED_TRACE(name.toStdString());
        const std::string bytes = ReadAll(corpus.filePath(name).toStdString());
        EXPECT_EQ(block_fuzz::CheckInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "");
    }
    ASSERT_TRUE(SaveAll());
    const std::string text = ReadAll(path);
    for (int turn = 0; turn < 4; ++turn) EXPECT_EQ(block_fuzz::CheckBlockText(text, 90.0 * turn), "") << turn;
    if (const char* out = std::getenv("PALVANE_BLOCK_SEED_DIR")) WriteAll(std::string(out) + "/saved-block", '\x01' + text);
}

}  // namespace
