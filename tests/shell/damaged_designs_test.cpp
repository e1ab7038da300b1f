// Damaged designs opened by the editor, every page shown, closed and
// written back: a refused file is left as it was, and an accepted one is
// written as a file that loads again with every page's frame whole. The
// damage is made in the rows of a saved demo (through SQLite, the checksum
// computed again), as another program or a faulty build could write it:
// the cases the editor once wrote files from that its own loader refused
// or whose frames it spoiled, a seeded set of a few hundred mutations, and
// the design fuzzer's seeds, which run the editor's start-up repairs too.
#include "editor/shell/caption.h"
#include "editor/shell/clspalvane.h"
#include "editor/shell/controls.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/schmain.h"
#include "fuzz/design/design_fuzz.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <QDir>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using palvane_test::ReadBytes;
using palvane_test::WriteBytes;

std::string DemoText()
{
    std::ifstream in(std::string(PALVANE_DEMO_DIR) + "/demo.txt");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs `sql` on the image file at `path`; the number of rows it changed,
// -1 when SQLite refused it.
int RunSql(const std::string& path, const std::string& sql)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return -1;
    }
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    const int changed = sqlite3_total_changes(db);
    sqlite3_close(db);
    return rc == SQLITE_OK ? changed : -1;
}

// The junction ids of a page's frame as its records name them.
std::vector<int32_t> FrameRefs(int32_t page)
{
    std::vector<int32_t> refs;
    BranchRec branch{};
    if (B_ReadBranch(-100 - page, &branch) == 0) return refs;
    for (int32_t i = 1; i <= branch.Points; ++i) {
        BranchPointRec point{};
        if (B_ReadRecord(-100 - page, i, &point) == 1) refs.push_back(point.Ref);
    }
    return refs;
}

// A frame's corner points as its records show them.
std::vector<std::pair<int32_t, int32_t>> FramePoints(int32_t page)
{
    std::vector<std::pair<int32_t, int32_t>> points;
    BranchRec branch{};
    if (B_ReadBranch(-100 - page, &branch) == 0) return points;
    for (int32_t i = 1; i <= branch.Points; ++i) {
        BranchPointRec point{};
        if (B_ReadRecord(-100 - page, i, &point) == 1) points.emplace_back(point.X, point.Y);
    }
    return points;
}

class DamagedDesigns : public palvane_test::EditorLinkTest {
protected:
    void SetUp() override
    {
        EditorLinkTest::SetUp();
        ASSERT_TRUE(dir_.isValid());
        // Message boxes of a damaged design (a frame that cannot be made)
        // are answered as they come; what matters is the file.
        ui.unexpected = [](const std::string&) {};
    }

    std::string Path(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }

    // The demo as the editor writes it after a session: its special
    // symbols made, saved to `path`.
    void SaveDemo(const std::string& path)
    {
        ASSERT_TRUE(palvane_test::BuildDesign(DemoText(), PALVANE_DEMO_DIR));
        Session();
        ASSERT_EQ(DB_SaveDataBase(path.c_str()), 1) << E_LastError();
    }

    // One session of the editor on the open design, as the host runs it:
    // the editor starts, each page of the list is chosen in turn, the
    // editor closes. False when the editor did not start.
    bool Session()
    {
        link = std::make_unique<clsPalvane>();
        link->NotifyServer.Connect([this](std::string& a, std::string& c) { sent.emplace_back(a, c); });
        int16_t mode = winstate::Normal;
        if (!link->Load(mode)) {
            link.reset();
            return false;
        }
        SCHMAIN& main = FormInstance<SCHMAIN>();
        ComboBox* list = main.F_Pages;
        std::vector<std::string> pages;
        for (int i = 0; i < list->ListCount(); ++i) pages.push_back(list->List(i));
        for (const std::string& name : pages)
            for (int i = 0; i < list->ListCount(); ++i)
                if (list->List(i) == name) {
                    list->setCurrentIndex(i);
                    emit list->activated(i);
                    break;
                }
        link.reset();
        return true;
    }

    // The host's round: the file at `path` opened (a refused file is left
    // as it was), a session of the editor, the design written back to it.
    // Empty when all of that held and the written file loads with every
    // frame whole; else what went wrong.
    std::string Round(const std::string& path)
    {
        const std::string before = ReadBytes(path);
        if (DB_LoadDataBase(path.c_str()) != 1) {
            const std::string error = E_LastError();
            if (error.empty()) return "refused without a reason";
            if (ReadBytes(path) != before) return "a refused file was changed";
            refused_++;
            return "";
        }
        if (!Session()) return "the editor did not start";
        if (DB_SaveDataBase(path.c_str()) != 1) return std::string("not written back: ") + E_LastError();
        if (DB_LoadDataBase(path.c_str()) != 1) return std::string("the written file is refused: ") + E_LastError();
        return design_fuzz::FrameProblems();
    }

    QTemporaryDir dir_;
    int refused_ = 0;
};

// A level with pages whose current page is 0 opens on its first page: the
// editor makes no page-notes symbol of page 0 (id -1000, kept for no
// symbol), and the file it writes back loads.
TEST_F(DamagedDesigns, ALevelWithoutACurrentPageOpensOnItsFirstPage)
{
    const std::string file = Path("demo.nvd");
    SaveDemo(file);
    ASSERT_EQ(RunSql(file, "UPDATE levels SET cur_page = 0 WHERE id = 1"), 1);
    ASSERT_EQ(KT_ResealFile(file.c_str()), 1) << E_LastError();
    ASSERT_EQ(DB_LoadDataBase(file.c_str()), 1) << E_LastError();
    ASSERT_TRUE(Session());
    EXPECT_EQ(S_Symbol(-1000), 0);
    ASSERT_EQ(DB_SaveDataBase(file.c_str()), 1) << E_LastError();
    ASSERT_EQ(DB_LoadDataBase(file.c_str()), 1) << E_LastError();
    EXPECT_EQ(DB_CurHier(), 1);
    EXPECT_NE(DB_CurPage(), 0);
    EXPECT_EQ(design_fuzz::FrameProblems(), "");
}

// A level with no pages at all has no page notes: the start-up's special
// symbols are all ones the loader takes.
TEST_F(DamagedDesigns, TheSpecialSymbolsOfALevelWithoutPagesAreOnesTheLoaderTakes)
{
    ASSERT_TRUE(palvane_test::BuildDesign("design D\nlevel MAIN\npage P frame 4in 2in\nend\n"));
    ASSERT_EQ(DB_CreateHier(0, "EMPTY", "GONE"), 2);
    ASSERT_EQ(DB_SetCurHier(2), 2);
    ASSERT_EQ(OM_DeleteAll(DB_PageMap()), 1);
    ASSERT_EQ(DB_CurPage(), 0);
    ReadCurrentPage();
    EnsureSpecialSymbols();
    EXPECT_EQ(g_PageNotesSymb, 0);
    EXPECT_EQ(S_Symbol(-1100), 0);
    EXPECT_NE(S_Symbol(-102), 0);
    ASSERT_EQ(DB_SaveDataBase(Path("empty.nvd").c_str()), 1) << E_LastError();
    EXPECT_EQ(DB_LoadDataBase(Path("empty.nvd").c_str()), 1) << E_LastError();
}

// A corner junction of a page that is not shown at start-up deleted
// (junction 4 of the demo, a corner of MAINPAGE): three sessions, each
// showing every page, leave every frame of every page whole, where its
// corners were, each corner a junction of its own page named by no other
// frame.
TEST_F(DamagedDesigns, AFrameCornerOfAPageNotShownStaysWholeOverSessions)
{
    const std::string file = Path("demo.nvd");
    SaveDemo(file);
    ASSERT_EQ(DB_LoadDataBase(file.c_str()), 1) << E_LastError();
    const int32_t mainPage = OM_FindName(DB_PageMap(), "MAINPAGE");
    ASSERT_NE(mainPage, 0);
    ASSERT_NE(DB_CurPage(), mainPage);
    const std::vector<int32_t> corners = FrameRefs(mainPage);
    ASSERT_EQ(corners.size(), 5u);
    ASSERT_TRUE(std::find(corners.begin(), corners.end(), 4) != corners.end());
    std::vector<std::vector<std::pair<int32_t, int32_t>>> outlines;
    const int32_t pages = DB_PageMap();
    int32_t at = OM_GetFirst(pages);
    std::vector<int32_t> pageIds;
    for (int32_t page; (page = OM_SearchMask(pages, &at, 0, 0)) > 0;) {
        pageIds.push_back(page);
        outlines.push_back(FramePoints(page));
    }
    ASSERT_EQ(RunSql(file, "DELETE FROM junctions WHERE level = 1 AND id = 4"), 1);
    ASSERT_EQ(KT_ResealFile(file.c_str()), 1) << E_LastError();
    for (int session = 1; session <= 3; ++session) {
        SCOPED_TRACE("session " + std::to_string(session));
        EXPECT_EQ(Round(file), "");
        ASSERT_EQ(DB_LoadDataBase(file.c_str()), 1) << E_LastError();
        for (size_t i = 0; i < pageIds.size(); ++i) {
            EXPECT_EQ(FramePoints(pageIds[i]), outlines[i]) << "page " << pageIds[i];
            const std::vector<int32_t> refs = FrameRefs(pageIds[i]);
            EXPECT_EQ(std::set<int32_t>(refs.begin(), refs.end()).size(), 4u) << "page " << pageIds[i];
        }
    }
}

// A frame whose corners another page's frame names too, one lying on
// another page, one named twice, and a frame moved to another page: the
// start-up makes each whole on its own page, at its points.
TEST_F(DamagedDesigns, FramesSharingOrMissingTheirCornersAreRebuiltOnTheirOwnPages)
{
    const std::string good = Path("good.nvd");
    SaveDemo(good);
    ASSERT_EQ(DB_LoadDataBase(good.c_str()), 1) << E_LastError();
    const int32_t amplifier = OM_FindName(DB_PageMap(), "Amplifier");
    const int32_t blinker = OM_FindName(DB_PageMap(), "Blinker");
    ASSERT_NE(amplifier, 0);
    ASSERT_NE(blinker, 0);
    const std::vector<int32_t> a = FrameRefs(amplifier), b = FrameRefs(blinker);
    ASSERT_EQ(a.size(), 5u);
    ASSERT_EQ(b.size(), 5u);
    const std::string frameA = std::to_string(-100 - amplifier), frameB = std::to_string(-100 - blinker);
    const std::vector<std::string> damage{
        // Blinker's first corner is Amplifier's too (the frames are alike).
        "UPDATE branch_points SET ref = " + std::to_string(a[0]) + " WHERE level = 1 AND branch = " + frameB +
            " AND ref = " + std::to_string(b[0]),
        // Amplifier's second corner named twice.
        "UPDATE branch_points SET ref = " + std::to_string(a[0]) + " WHERE level = 1 AND branch = " + frameA +
            " AND number = 2",
        // A corner of Blinker lying on Amplifier.
        "UPDATE junctions SET page = " + std::to_string(amplifier) + " WHERE level = 1 AND id = " +
            std::to_string(b[2]),
        // Blinker's frame branch lying on Amplifier.
        "UPDATE branches SET page = " + std::to_string(amplifier) + " WHERE level = 1 AND id = " + frameB,
    };
    for (const std::string& sql : damage) {
        SCOPED_TRACE(sql);
        const std::string file = Path("bad.nvd");
        WriteBytes(file, ReadBytes(good));
        ASSERT_GT(RunSql(file, sql), 0);
        ASSERT_EQ(KT_ResealFile(file.c_str()), 1) << E_LastError();
        ASSERT_EQ(DB_LoadDataBase(file.c_str()), 1) << E_LastError();
        const std::vector<std::pair<int32_t, int32_t>> pointsA = FramePoints(amplifier), pointsB = FramePoints(blinker);
        ASSERT_NE(design_fuzz::FrameProblems(), "");
        EXPECT_EQ(Round(file), "");
        EXPECT_EQ(Round(file), "");
        ASSERT_EQ(DB_LoadDataBase(file.c_str()), 1) << E_LastError();
        EXPECT_EQ(FramePoints(amplifier), pointsA);
        EXPECT_EQ(FramePoints(blinker), pointsB);
    }
}

// ---- The property: a seeded set of mutations of the demo ----------------------------

// One mutation of the image at `path`, picked by `rng`: row edits as the
// design fuzzer makes them, dangling references, deleted or moved frame
// corners, current pages, reserved ids, byte flips. True when the
// checksum is to be computed again (false after a byte flip left as it
// is).
bool Mutate(const std::string& path, std::mt19937& rng)
{
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    // A row of `table` chosen by the generator (where `where` holds).
    auto row = [&](const std::string& table, const std::string& where = "1") {
        return "(SELECT rowid FROM " + table + " WHERE " + where + " LIMIT 1 OFFSET " + std::to_string(rng() % 997) +
               " % (SELECT max(1, count(*)) FROM " + table + " WHERE " + where + "))";
    };
    const std::string corner =
        "(SELECT j.rowid FROM junctions j JOIN branch_points p ON p.level = j.level AND p.ref = j.id "
        "WHERE p.branch < 0 LIMIT 1 OFFSET " +
        std::to_string(rng() % 97) +
        " % (SELECT max(1, count(*)) FROM branch_points WHERE branch < 0))";
    const std::string value = std::to_string(static_cast<int>(rng() % 9) - 2);
    switch (pick(7)) {
    case 0: {
        std::string bytes(8 + pick(40), '\0');
        for (char& c : bytes) c = static_cast<char>(rng());
        design_fuzz::EditImage(path, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        return true;
    }
    case 1: {
        const std::vector<std::string> refs{
            "UPDATE branch_points SET ref = ref + " + value + " WHERE rowid = " + row("branch_points"),
            "UPDATE components SET page = " + value + " WHERE rowid = " + row("components"),
            "UPDATE components SET symb = symb + " + value + " WHERE rowid = " + row("components"),
            "UPDATE nodes SET comp = comp + " + value + " WHERE rowid = " + row("nodes"),
            "UPDATE branches SET net = net + " + value + " WHERE rowid = " + row("branches"),
            "UPDATE branch_points SET flags = " + std::to_string(pick(8)) + " WHERE rowid = " + row("branch_points"),
            "UPDATE branch_points SET ref = ref + " + value + " WHERE rowid = " + row("branch_points", "branch < 0"),
            "DELETE FROM junctions WHERE rowid = " + row("junctions"),
        };
        RunSql(path, refs[static_cast<size_t>(pick(static_cast<int>(refs.size())))]);
        return true;
    }
    case 2: RunSql(path, "DELETE FROM junctions WHERE rowid = " + corner); return true;
    case 3: {
        const std::vector<std::string> moves{
            "UPDATE junctions SET x = x + " + std::to_string(pick(5) * 254000 - 508000) + " WHERE rowid = " + corner,
            "UPDATE junctions SET y = y - " + std::to_string(pick(3) * 127000) + " WHERE rowid = " + corner,
            "UPDATE junctions SET page = " + std::to_string(pick(5)) + " WHERE rowid = " + corner,
            "UPDATE branches SET page = " + std::to_string(pick(5)) + " WHERE rowid = " + row("branches", "id < 0"),
            "UPDATE branch_points SET ref = (SELECT ref FROM branch_points WHERE rowid = " +
                row("branch_points", "branch < 0") + ") WHERE rowid = " + row("branch_points", "branch < 0"),
        };
        RunSql(path, moves[static_cast<size_t>(pick(static_cast<int>(moves.size())))]);
        return true;
    }
    case 4: {
        const int pages[] = {0, 0, 1, 2, 3, 4, 9, 99};
        RunSql(path, "UPDATE levels SET cur_page = " + std::to_string(pages[pick(8)]) + " WHERE rowid = " + row("levels"));
        return true;
    }
    case 5: {
        const int32_t frame = -100 - pick(8);
        const int32_t keys[] = {-1000, -1001, -1002, -1100, -101, -102, -401, -801, -12001, -2, -5};
        const std::vector<std::string> kept{
            // A frame renumbered with its records, possibly to a page that
            // is not there.
            "UPDATE branch_points SET branch = " + std::to_string(frame) + " WHERE branch = -101 AND level = 1;"
            "UPDATE branches SET id = " + std::to_string(frame) + " WHERE id = -101 AND level = 1",
            "UPDATE symbols SET key = " + std::to_string(keys[pick(11)]) + " WHERE rowid = " + row("symbols", "key < 0"),
            "UPDATE symbols SET name = '@COPPAR' WHERE rowid = " + row("symbols", "key < 0"),
            "UPDATE symbols SET name = 'OTHER' WHERE rowid = " + row("symbols", "key < 0"),
        };
        RunSql(path, kept[static_cast<size_t>(pick(static_cast<int>(kept.size())))]);
        return true;
    }
    default: {
        std::string bytes = ReadBytes(path);
        for (int flips = 1 + pick(3); flips > 0 && !bytes.empty(); --flips)
            bytes[rng() % bytes.size()] ^= static_cast<char>(1 << pick(8));
        WriteBytes(path, bytes);
        return pick(2) == 0;
    }
    }
}

// Three hundred mutants of the demo, one to three mutations each: every
// refused file is left as it was, every accepted one is written back as a
// file that loads with every frame whole. The set is the same on every
// run (a fixed seed).
TEST_F(DamagedDesigns, MutatedDemosAreRefusedUntouchedOrWrittenBackWhole)
{
    const std::string good = Path("good.nvd");
    SaveDemo(good);
    const std::string seed = ReadBytes(good);
    std::mt19937 rng(62);
    const std::string file = Path("mutant.nvd");
    int accepted = 0;
    for (int n = 0; n < 300; ++n) {
        WriteBytes(file, seed);
        std::remove((file + "-journal").c_str());
        bool reseal = true;
        for (int m = 1 + static_cast<int>(rng() % 3); m > 0; --m) reseal = Mutate(file, rng) && reseal;
        if (reseal) KT_ResealFile(file.c_str());
        const int before = refused_;
        const std::string problem = Round(file);
        EXPECT_EQ(problem, "") << "mutant " << n;
        if (!problem.empty()) break;
        if (refused_ == before) ++accepted;
    }
    // Both outcomes are met often.
    EXPECT_GT(accepted, 60);
    EXPECT_GT(refused_, 30);
}

// The design loader's fuzz check over its seeds: each applies a few edits
// to the rows of a small design; the image loads, is walked and drawn, gets
// the editor's start-up repairs, is saved and loaded again with every frame
// whole, or is refused with a text and the open design kept.
TEST_F(DamagedDesigns, TheFuzzerSeedsLoadWholeOrAreRefusedCleanly)
{
    const QDir corpus(FUZZ_DESIGN_CORPUS_DIR);
    const QStringList seeds = corpus.entryList(QDir::Files);
    ASSERT_FALSE(seeds.isEmpty());
    for (const QString& name : seeds) {
        SCOPED_TRACE(name.toStdString());
        const std::string bytes = ReadBytes(corpus.filePath(name).toStdString());
        EXPECT_EQ(design_fuzz::CheckInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "");
    }
}

}  // namespace
