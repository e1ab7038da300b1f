// The kernel's object core: ids, handles, maps, walks, masks, names, levels,
// pages and heaps, through the exported functions only.
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "tests/support/kernel_fixture.h"

#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using KernelCore = palvane_test::KernelTest;

std::vector<int32_t> WalkAll(int32_t map, int32_t value = 0, int32_t mask = 0)
{
    std::vector<int32_t> ids;
    int32_t cursor = OM_GetFirst(map);
    while (int32_t id = OM_SearchMask(map, &cursor, value, mask)) ids.push_back(id);
    return ids;
}

TEST_F(KernelCore, NewDatabaseHasOneLevelWithOnePage)
{
    EXPECT_EQ(DB_CurHier(), 1);
    EXPECT_EQ(DB_CurPage(), 1);
    EXPECT_STREQ(O_GetName(DB_DataBase()), "Untitled");
    EXPECT_STREQ(O_GetName(OM_Object(DB_HierarchyMap(), 1)), "MAINHIER");
    EXPECT_STREQ(O_GetName(DB_Page(1)), "MAINPAGE");
    EXPECT_EQ(WalkAll(DB_PageMap()), std::vector<int32_t>{1});
}

TEST_F(KernelCore, LowestFreeIdIsReused)
{
    for (int i = 2; i <= 5; ++i) ASSERT_EQ(DB_CreatePage(0, ("P" + std::to_string(i)).c_str()), i);
    ASSERT_EQ(OM_Delete(DB_PageMap(), 3), 1);
    ASSERT_EQ(OM_Delete(DB_PageMap(), 2), 1);
    EXPECT_EQ(DB_CreatePage(0, "again"), 2);
    EXPECT_EQ(DB_CreatePage(0, "and again"), 3);
    EXPECT_EQ(DB_CreatePage(0, "next"), 6);
    // An explicit id must be free.
    EXPECT_EQ(DB_CreatePage(4, "taken"), 0);
    EXPECT_EQ(DB_CreatePage(50, "explicit"), 50);
    EXPECT_EQ(DB_CreatePage(0, "fills the gap"), 7);
}

TEST_F(KernelCore, PageIdsStopAt99)
{
    for (int i = 2; i <= 99; ++i) ASSERT_EQ(DB_CreatePage(0, "P"), i);
    EXPECT_EQ(OM_GetCount(DB_PageMap()), 99);
    EXPECT_EQ(DB_CreatePage(0, "P100"), 0);
    EXPECT_EQ(DB_CreatePage(100, "P100"), 0);
    EXPECT_EQ(OM_GetCount(DB_PageMap()), 99);
    // The 99th page is a page like any other: current, frame, freed id.
    ASSERT_EQ(DB_SetCurPage(99), 99);
    ASSERT_EQ(B_CreateBranch(-100 - 99, 4, 0), -199);
    BranchRec frame{};
    ASSERT_EQ(B_ReadBranch(-199, &frame), 1);
    EXPECT_EQ(frame.Page, 99);
    ASSERT_EQ(OM_Delete(DB_PageMap(), 50), 1);
    EXPECT_EQ(DB_CreatePage(0, "AGAIN"), 50);
    EXPECT_EQ(DB_CreatePage(0, "P100"), 0);
}

TEST_F(KernelCore, WalkSurvivesDeletionOfCurrentAndLaterObjects)
{
    for (int i = 2; i <= 10; ++i) DB_CreatePage(0, "P");
    const int32_t map = DB_PageMap();
    std::vector<int32_t> seen;
    int32_t cursor = OM_GetFirst(map);
    while (int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
        seen.push_back(id);
        if (id == 3) {
            OM_Delete(map, 3);  // the current one
            OM_Delete(map, 7);  // one still ahead
        }
        if (id == 5) DB_CreatePage(0, "new");  // takes id 3, behind the cursor
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 8, 9, 10}));
    EXPECT_EQ(OM_SearchMask(map, &cursor, 0, 0), 0);  // stays at the end
}

TEST_F(KernelCore, WalksAfterDeletionsFromTheTopFindWhatIsLeftAndWhatComes)
{
    for (int i = 1; i <= 40; ++i) ASSERT_EQ(N_CreateNet(0, 1, "N"), i);
    const int32_t map = DB_NetMap();
    for (int32_t id = 40; id >= 4; --id) ASSERT_EQ(OM_Delete(map, id), 1);
    EXPECT_EQ(WalkAll(map), (std::vector<int32_t>{1, 2, 3}));
    // A member above the freed ones is found again, and the lowest free id
    // is taken after the others.
    EXPECT_EQ(N_CreateNet(30, 1, "N"), 30);
    EXPECT_EQ(N_CreateNet(0, 1, "N"), 4);
    EXPECT_EQ(WalkAll(map), (std::vector<int32_t>{1, 2, 3, 4, 30}));
    for (const int32_t id : {30, 4, 3, 2, 1}) ASSERT_EQ(OM_Delete(map, id), 1);
    EXPECT_EQ(WalkAll(map), std::vector<int32_t>{});
    EXPECT_EQ(OM_FindMask(map, 0, 0), 0);
    EXPECT_EQ(N_CreateNet(0, 1, "N"), 1);
    EXPECT_EQ(WalkAll(map), std::vector<int32_t>{1});
}

TEST_F(KernelCore, MaskSemantics)
{
    for (int i = 2; i <= 4; ++i) DB_CreatePage(0, "P");
    const int32_t p2 = DB_Page(2), p3 = DB_Page(3);
    ASSERT_EQ(O_Mask(p2, 1, 3), 1);
    ASSERT_EQ(O_Mask(p3, 3, 3), 1);
    EXPECT_EQ(O_GetStatus(p2), 1);
    // Value bits outside the mask are set as well: (status And Not mask) Or value.
    ASSERT_EQ(O_Mask(p2, 8, 0), 1);
    EXPECT_EQ(O_GetStatus(p2), 9);
    ASSERT_EQ(O_Mask(p2, 4, -1), 1);
    EXPECT_EQ(O_GetStatus(p2), 4);
    O_Mask(p2, 1, -1);

    // Value first, then mask: (1, 3) is "bit 1 set and bit 2 clear".
    EXPECT_EQ(WalkAll(DB_PageMap(), 1, 3), std::vector<int32_t>{2});
    EXPECT_EQ(WalkAll(DB_PageMap(), 3, 3), std::vector<int32_t>{3});
    EXPECT_EQ(WalkAll(DB_PageMap(), 0, 1), (std::vector<int32_t>{1, 4}));
    EXPECT_EQ(OM_FindMask(DB_PageMap(), 3, 3), 3);
    EXPECT_EQ(OM_FindMask(DB_PageMap(), 16, 16), 0);

    ASSERT_EQ(OM_MaskAll(DB_PageMap(), 256, 257), 4);
    EXPECT_EQ(O_GetStatus(p3), 256 | 2);
    EXPECT_EQ(WalkAll(DB_PageMap(), 256, 256).size(), 4u);
}

TEST_F(KernelCore, NameSearches)
{
    DB_CreatePage(0, "SHEET");
    DB_CreatePage(0, "OTHER");
    DB_CreatePage(0, "SHEET");
    const int32_t map = DB_PageMap();
    EXPECT_EQ(OM_FindName(map, "SHEET"), 2);
    EXPECT_EQ(OM_FindName(map, "sheet"), 0);  // names are case-sensitive
    EXPECT_EQ(OM_FindName(map, "NONE"), 0);
    int32_t cursor = OM_GetFirst(map);
    EXPECT_EQ(OM_SearchName(map, &cursor, "SHEET"), 2);
    EXPECT_EQ(OM_SearchName(map, &cursor, "SHEET"), 4);
    EXPECT_EQ(OM_SearchName(map, &cursor, "SHEET"), 0);

    O_Mask(DB_Page(4), 32, 32);
    EXPECT_EQ(OM_FindNameMask(map, "SHEET", 32, 32), 4);
    // Renaming keeps the index right.
    ASSERT_EQ(O_Rename(DB_Page(2), "RENAMED"), 1);
    EXPECT_EQ(OM_FindName(map, "SHEET"), 4);
    EXPECT_EQ(OM_FindName(map, "RENAMED"), 2);
}

// Many members coming, going, renamed and moved to other ids, with names
// shared by several members, names that differ in one byte only (first,
// middle, last) and names of every length the index reads differently
// (under 4, 4 to 16, over 16 bytes, the longest allowed): after each step
// every name finds the lowest id that holds it and a search by name walks
// exactly the ids that hold it.
TEST_F(KernelCore, NameIndexFollowsMembersComingGoingRenamedAndMoved)
{
    std::vector<std::string> pool;
    for (const char* name : {"", "A", "B", "AB", "BA", "N12", "ABCD", "ABCE", "ABCDEFG", "ABCDEFGH", "XBCDEFGH",
                             "ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOQ", "ABCDEFGHIJKLMNOPQ", "ABCDEFGHIJKLMNOPR",
                             "ABCDEFGHXJKLMNOPQ"})
        pool.emplace_back(name);
    for (size_t length : {32, 255}) {
        pool.push_back(std::string(length, 'L'));
        pool.push_back(std::string(length - 1, 'L') + "M");
    }
    for (int i = 0; i < 300; ++i) pool.push_back("W" + std::to_string(i));
    const int32_t map = DB_NetMap();
    std::map<int32_t, std::string> model;  // id -> name
    std::mt19937 random(20240611);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    auto anyMember = [&] {
        auto it = model.begin();
        std::advance(it, static_cast<long>(pick(model.size())));
        return it->first;
    };
    auto freeId = [&] {
        int32_t id;
        do id = static_cast<int32_t>(1 + pick(900));
        while (model.count(id));
        return id;
    };
    auto check = [&](const std::string& name) {
        std::vector<int32_t> expected;
        if (!name.empty())
            for (const auto& [id, held] : model)
                if (held == name) expected.push_back(id);
        EXPECT_EQ(OM_FindName(map, name.c_str()), expected.empty() ? 0 : expected.front()) << "\"" << name << "\"";
        std::vector<int32_t> walked;
        int32_t cursor = OM_GetFirst(map);
        while (int32_t id = OM_SearchName(map, &cursor, name.c_str())) walked.push_back(id);
        EXPECT_EQ(walked, expected) << "\"" << name << "\"";
    };
    for (int step = 0; step < 4000 && !HasFailure(); ++step) {
        const size_t what = model.size() < 20 ? 0 : pick(model.size() > 500 ? 4 : 5);
        if (what == 0 || what == 4) {
            const std::string& name = pool[pick(pool.size())];
            const int32_t id = pick(2) ? 0 : freeId();
            const int32_t made = N_CreateNet(id, 1, name.c_str());
            ASSERT_NE(made, 0);
            model[made] = name;
        } else if (what == 1) {
            const int32_t id = anyMember();
            ASSERT_EQ(OM_Delete(map, id), 1);
            model.erase(id);
        } else if (what == 2) {
            const int32_t id = anyMember();
            const std::string& name = pool[pick(pool.size())];
            ASSERT_EQ(O_Rename(N_Net(id), name.c_str()), 1);
            model[id] = name;
        } else {
            const int32_t id = anyMember(), to = freeId();
            ASSERT_EQ(OM_ChangeId(map, id, to), to);
            model[to] = model[id];
            model.erase(id);
        }
        check(pool[pick(pool.size())]);
        if (step % 500 == 0)
            for (const std::string& name : pool) check(name);
    }
    for (const std::string& name : pool) check(name);
    EXPECT_EQ(OM_FindName(map, "NOT THERE"), 0);
}

// A walk by status, a walk by name and finds by name, each step checked
// against a model while members come and go between the steps: the member
// the walk stands on and those ahead of it deleted, members made behind and
// ahead of it (some far above the others, beyond the map's key table, some
// growing the table), renamed, moved to other ids and marked. Each step
// gives the lowest id above the cursor that holds the status or the name
// now. Outside a change group the steps run without the export guard, inside
// one with it; a group put back at the end gives back every id and name of
// its start, one kept gives what the steps left.
TEST_F(KernelCore, WalksAndFindsFollowChangesMadeBetweenTheirSteps)
{
    enum class Group { None, Kept, PutBack };
    const struct {
        const char* label;
        Group group;
        unsigned seed;
    } cases[] = {{"outside any change group", Group::None, 7},
                 {"in a change group kept", Group::Kept, 8},
                 {"in a change group put back", Group::PutBack, 9}};
    const std::vector<std::string> pool{"", "A", "B", "SHARED", "ABCDEFGHIJKLMNOPQ", "ABCDEFGHIJKLMNOPR", "N1", "N2",
                                        "N3", "N4", "N5", "N6", "N7", "N8"};
    struct Member {
        std::string name;
        int32_t status;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        DB_DiscardDataBase();
        ASSERT_NE(DB_CreateDataBase("Walks", "MAINHIER", "MAINPAGE"), 0);
        const int32_t map = DB_NetMap();
        std::mt19937 random(c.seed);
        auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
        std::map<int32_t, Member> model;
        // A free id: near the others, or far above them.
        auto freeId = [&] {
            int32_t id;
            do id = static_cast<int32_t>(pick(4) ? 1 + pick(200) : 5000000 + pick(1000));
            while (model.count(id));
            return id;
        };
        auto anyMember = [&] {
            auto it = model.begin();
            std::advance(it, static_cast<long>(pick(model.size())));
            return it->first;
        };
        auto make = [&](int32_t id) {
            const std::string& name = pool[pick(pool.size())];
            const int32_t made = N_CreateNet(id, 1, name.c_str());
            ASSERT_GT(made, 0);
            ASSERT_EQ(model.count(made), 0u);
            model[made] = {name, 1};
        };
        for (int i = 0; i < 40; ++i) make(pick(3) ? 0 : freeId());
        const std::map<int32_t, Member> atStart = model;
        if (c.group != Group::None) {
            ASSERT_EQ(DB_BeginChange(), 1);
        }

        int32_t maskCursor = OM_GetFirst(map), value = 0, mask = 0;
        int32_t nameCursor = OM_GetFirst(map);
        std::string walkedName = "SHARED";
        for (int step = 0; step < 3000 && !HasFailure(); ++step) {
            switch (pick(10)) {
            case 0: make(pick(2) ? 0 : freeId()); break;
            case 1: {
                // The member the walk stands on, one ahead of it, or any.
                auto it = pick(2) ? model.lower_bound(maskCursor) : model.begin();
                if (it == model.end() || pick(3) == 0) {
                    if (model.empty()) break;
                    it = model.find(anyMember());
                }
                ASSERT_EQ(OM_Delete(map, it->first), 1);
                model.erase(it);
                break;
            }
            case 2: {
                if (model.empty()) break;
                const int32_t id = anyMember();
                const std::string& name = pool[pick(pool.size())];
                ASSERT_EQ(O_Rename(N_Net(id), name.c_str()), 1);
                model[id].name = name;
                break;
            }
            case 3: {
                if (model.empty()) break;
                const int32_t id = anyMember(), to = freeId();
                ASSERT_EQ(OM_ChangeId(map, id, to), to);
                model[to] = model[id];
                model.erase(id);
                break;
            }
            case 4: {
                if (model.empty()) break;
                const int32_t id = anyMember(), bit = pick(2) ? 16 : 32, set = pick(2) ? bit : 0;
                ASSERT_EQ(O_Mask(N_Net(id), set, bit), 1);
                model[id].status = (model[id].status & ~bit) | set;
                break;
            }
            case 5:
            case 6: {
                int32_t expected = 0;
                for (auto it = model.upper_bound(maskCursor); it != model.end(); ++it)
                    if ((it->second.status & mask) == value) {
                        expected = it->first;
                        break;
                    }
                const int32_t before = maskCursor;
                ASSERT_EQ(OM_SearchMask(map, &maskCursor, value, mask), expected)
                    << "after " << before << ", value " << value << ", mask " << mask;
                EXPECT_EQ(maskCursor, expected ? expected : before);
                if (!expected) {
                    // At the end: a new walk, by another status.
                    maskCursor = OM_GetFirst(map);
                    mask = pick(2) ? 16 : 0;
                    value = mask && pick(2) ? 16 : 0;
                }
                break;
            }
            case 7:
            case 8: {
                int32_t expected = 0;
                for (auto it = model.upper_bound(nameCursor); it != model.end(); ++it)
                    if (it->second.name == walkedName) {
                        expected = it->first;
                        break;
                    }
                ASSERT_EQ(OM_SearchName(map, &nameCursor, walkedName.c_str()), expected) << "\"" << walkedName << "\"";
                if (!expected) {
                    nameCursor = OM_GetFirst(map);
                    walkedName = pool[1 + pick(pool.size() - 1)];
                }
                break;
            }
            default: {
                const std::string& name = pool[pick(pool.size())];
                int32_t expected = 0;
                if (!name.empty())
                    for (const auto& [id, member] : model)
                        if (member.name == name) {
                            expected = id;
                            break;
                        }
                EXPECT_EQ(OM_FindName(map, name.c_str()), expected) << "\"" << name << "\"";
            }
            }
        }
        if (c.group == Group::Kept) {
            EXPECT_EQ(DB_EndChange(1), 1);
        }
        if (c.group == Group::PutBack) {
            EXPECT_EQ(DB_EndChange(0), 4);
            model = atStart;
        }
        std::vector<int32_t> ids;
        for (const auto& [id, member] : model) ids.push_back(id);
        EXPECT_EQ(WalkAll(map), ids);
        for (const std::string& name : pool) {
            int32_t lowest = 0;
            if (!name.empty())
                for (const auto& [id, member] : model)
                    if (member.name == name) {
                        lowest = id;
                        break;
                    }
            EXPECT_EQ(OM_FindName(map, name.c_str()), lowest) << "\"" << name << "\"";
        }
    }
}

// A walk's steps and the finds by name run without the export guard when
// it has nothing to watch; armed, the test hooks reach them by their own
// names as they reach every other export: a refused call answers 0 and
// changes nothing, a defect is reported naming the export.
TEST_F(KernelCore, TestHooksReachTheWalksAndFindsByName)
{
    ASSERT_EQ(N_CreateNet(0, 1, "A"), 1);
    ASSERT_EQ(N_CreateNet(0, 1, "B"), 2);
    const int32_t map = DB_NetMap();

    KT_FailCall("OM_SearchMask", 2);
    int32_t cursor = OM_GetFirst(map);
    EXPECT_EQ(OM_SearchMask(map, &cursor, 0, 0), 1);
    EXPECT_EQ(OM_SearchMask(map, &cursor, 0, 0), 0);  // refused
    EXPECT_STREQ(KT_LastRefused(), "OM_SearchMask");
    EXPECT_EQ(cursor, 1);
    EXPECT_EQ(OM_SearchMask(map, &cursor, 0, 0), 2);
    KT_FailCall("OM_FindName", 1);
    EXPECT_EQ(OM_FindName(map, "B"), 0);  // refused
    EXPECT_STREQ(KT_LastRefused(), "OM_FindName");
    EXPECT_EQ(OM_FindName(map, "B"), 2);
    KT_FailCall("", 0);

    for (const char* name : {"OM_SearchMask", "OM_FindName"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(E_SetString("KernelFaultForTests", name), 1);
        testing::internal::CaptureStderr();
        cursor = OM_GetFirst(map);
        const int32_t walked = OM_SearchMask(map, &cursor, 0, 0);
        const int32_t found = OM_FindName(map, "B");
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "NVOKernel32: unexpected exception in " + std::string(name) + ": fault injected for tests\n");
        EXPECT_EQ(walked, std::string(name) == "OM_SearchMask" ? 0 : 1);
        EXPECT_EQ(found, std::string(name) == "OM_FindName" ? 0 : 2);
    }
    ASSERT_EQ(E_SetString("KernelFaultForTests", ""), 1);
    cursor = OM_GetFirst(map);
    EXPECT_EQ(OM_SearchMask(map, &cursor, 0, 0), 1);
    EXPECT_EQ(OM_FindName(map, "B"), 2);
}

TEST_F(KernelCore, NextFreeNumberedName)
{
    DB_CreatePage(0, "Unpck1");
    DB_CreatePage(0, "Unpck2");
    DB_CreatePage(0, "Unpck4");
    char buffer[1024];
    EXPECT_EQ(OM_FindNextFreeNumSuffix(DB_PageMap(), "Unpck", buffer), 3);
    EXPECT_STREQ(buffer, "Unpck3");
    EXPECT_EQ(OM_FindNextFreeNumSuffix(DB_PageMap(), std::string(255, 'x').c_str(), buffer), 0);
    EXPECT_EQ(OM_FindNextFreeNumSuffix(DB_PageMap(), "A", nullptr), 0);
}

TEST_F(KernelCore, StaleHandlesFailEvenWhenTheIdIsReused)
{
    DB_CreatePage(0, "OLD");
    const int32_t old = DB_Page(2);
    ASSERT_NE(old, 0);
    EXPECT_EQ(DB_Page(2), old);  // one handle per object
    ASSERT_EQ(OM_Delete(DB_PageMap(), 2), 1);
    ASSERT_EQ(DB_CreatePage(0, "NEW"), 2);
    EXPECT_NE(DB_Page(2), old);
    EXPECT_EQ(O_GetName(old), nullptr);
    EXPECT_EQ(O_Mask(old, 1, 1), 0);
    EXPECT_EQ(O_Rename(old, "X"), 0);
    EXPECT_EQ(O_GetStatus(DB_Page(2)), 0);
}

TEST_F(KernelCore, MapHandlesFollowTheirLevel)
{
    ASSERT_EQ(DB_CreateHier(0, "SUB", "SUBPAGE"), 2);
    const int32_t mainPages = DB_PageMap();
    ASSERT_EQ(DB_SetCurHier(2), 2);
    EXPECT_NE(DB_PageMap(), mainPages);
    EXPECT_EQ(DB_CurPage(), 1);
    EXPECT_STREQ(O_GetName(DB_Page(1)), "SUBPAGE");
    // The old handle still walks the main level's pages.
    EXPECT_STREQ(O_GetName(OM_Object(mainPages, 1)), "MAINPAGE");
    // Levels come and go with the database only.
    EXPECT_EQ(OM_Delete(DB_HierarchyMap(), 2), 0);
    EXPECT_EQ(OM_DeleteAll(DB_HierarchyMap()), 0);
    EXPECT_EQ(OM_ChangeId(DB_HierarchyMap(), 2, 5), 0);
    ASSERT_EQ(DB_SetCurHier(1), 1);
    EXPECT_EQ(DB_SetCurHier(7), 0);
    EXPECT_EQ(DB_CurHier(), 1);
}

TEST_F(KernelCore, ChangeIdMovesAnObjectToAFreeId)
{
    const int32_t pages = DB_PageMap();
    ASSERT_EQ(DB_CreatePage(0, "TEMP"), 2);
    const int32_t handle = DB_Page(2);
    ASSERT_EQ(OM_ChangeId(pages, 2, 0), 3);  // 0: the lowest id free before the move
    ASSERT_EQ(OM_ChangeId(pages, 3, 5), 5);
    EXPECT_EQ(OM_Object(pages, 3), 0);
    EXPECT_STREQ(O_GetName(OM_Object(pages, 5)), "TEMP");
    EXPECT_EQ(OM_Object(pages, 5), handle);    // the same object
    EXPECT_EQ(OM_FindName(pages, "TEMP"), 5);  // and the name index follows
    EXPECT_EQ(OM_ChangeId(pages, 5, 1), 0);    // taken
    EXPECT_EQ(OM_ChangeId(pages, 9, 3), 0);    // no such object
    EXPECT_EQ(OM_ChangeId(pages, 5, -3), 0);   // never to a negative id
    EXPECT_EQ(OM_ChangeId(pages, 5, 100), 0);  // beyond the page limit
    EXPECT_EQ(OM_ChangeId(pages, 5, 99), 99);  // the last page id
}

TEST_F(KernelCore, PageSwitchingAndPageTests)
{
    DB_CreatePage(0, "TWO");
    EXPECT_EQ(DB_SetCurPage(2), 2);
    EXPECT_EQ(DB_CurPage(), 2);
    EXPECT_EQ(DB_SetCurPage(9), 0);
    EXPECT_EQ(DB_SetCurPage(0), 0);
    EXPECT_EQ(DB_CurPage(), 2);

    PageRec rec{};
    rec.ViewX = 77;
    EXPECT_EQ(DB_ReadPage(9, &rec), 0);
    EXPECT_EQ(rec.ViewX, 77);  // untouched on failure
    ASSERT_EQ(DB_ReadPage(2, &rec), 1);
    EXPECT_EQ(rec.Hier, 1);
    EXPECT_EQ(rec.ViewX, 0);
    EXPECT_EQ(rec.ViewSize, 0);
    EXPECT_STREQ(rec.Name, "TWO");

    // The stored view comes back exactly as given.
    ASSERT_EQ(DB_ChangePageDispl(2, 1000, -2000, 1, 25400), 1);
    EXPECT_EQ(DB_ChangePageDispl(9, 1, 1, 1, 1), 0);
    ASSERT_EQ(DB_ReadPage(2, &rec), 1);
    EXPECT_EQ(rec.ViewX, 1000);
    EXPECT_EQ(rec.ViewY, -2000);
    EXPECT_EQ(rec.ViewMode, 1);
    EXPECT_EQ(rec.ViewSize, 25400);

    // Deleting the current page makes the lowest remaining one current.
    ASSERT_EQ(OM_Delete(DB_PageMap(), 2), 1);
    EXPECT_EQ(DB_CurPage(), 1);
    ASSERT_EQ(OM_Delete(DB_PageMap(), 1), 1);
    EXPECT_EQ(DB_CurPage(), 0);
}

// What the kernel makes and keeps is what its loader takes: a negative id
// only as it is kept (a frame of a page the level has, a fixed symbol under
// its own name), frames that go and move with their pages, and a current
// page on every level that has pages.
TEST_F(KernelCore, KeptIdsAreMadeOnlyForWhatTheyMean)
{
    ASSERT_EQ(DB_CreatePage(0, "P2"), 2);
    EXPECT_EQ(B_CreateBranch(-150, 4, 0), 0);
    EXPECT_EQ(B_CreateBranch(-100, 4, 0), 0);
    EXPECT_EQ(B_CreateBranch(-5, 1, 0), 0);
    EXPECT_EQ(B_CreateBranch(-102, 4, 0), -102);
    ASSERT_EQ(B_CreateBranch(-101, 4, 0), -101);
    EXPECT_EQ(S_CreateSymbol(-1000, "@PGENOTES"), 0);
    EXPECT_EQ(S_CreateSymbol(-5, "X"), 0);
    EXPECT_EQ(S_CreateSymbol(-101, "NOTES"), 0);
    EXPECT_EQ(S_CreateSymbol(-1001, "@DESNOTES"), 0);
    EXPECT_EQ(S_CreateSymbol(-101, "@DESNOTES"), -101);
    EXPECT_EQ(S_CreateSymbol(-1001, "@PGENOTES"), -1001);
    EXPECT_EQ(S_CreateSymbol(-2, "FROMLIB"), -2);

    // Page 2 renumbered takes its frame along; deleted, the frame goes.
    ASSERT_EQ(OM_ChangeId(DB_PageMap(), 2, 7), 7);
    EXPECT_EQ(B_Branch(-102), 0);
    EXPECT_NE(B_Branch(-107), 0);
    ASSERT_EQ(OM_Delete(DB_PageMap(), 7), 1);
    EXPECT_EQ(B_Branch(-107), 0);
    EXPECT_NE(B_Branch(-101), 0);
    ASSERT_EQ(OM_DeleteAll(DB_PageMap()), 1);
    EXPECT_EQ(B_Branch(-101), 0);
    EXPECT_EQ(DB_CurPage(), 0);
    // The first page made on a level without pages becomes current.
    ASSERT_EQ(DB_CreatePage(4, "AGAIN"), 4);
    EXPECT_EQ(DB_CurPage(), 4);
    ASSERT_EQ(DB_CreatePage(0, "MORE"), 1);
    EXPECT_EQ(DB_CurPage(), 4);
}

TEST_F(KernelCore, HeapsReserveAndReturnIds)
{
    EXPECT_EQ(GetFreeID(2), 1);
    EXPECT_EQ(GetFreeID(2), 2);  // reserved until used or rebuilt
    EXPECT_EQ(AddToHeap(0, 1, 2), 1);
    EXPECT_EQ(GetFreeID(2), 1);
    ASSERT_EQ(MakeHeap(2, 0), 1);
    EXPECT_EQ(GetFreeID(2), 1);
    EXPECT_EQ(GetFreeID(3), 1);
    EXPECT_EQ(GetFreeID(1), 1);
    EXPECT_EQ(AddToHeap(0, 9, 2), 0);  // nothing to give back
    EXPECT_EQ(GetFreeID(4), 0);
    EXPECT_EQ(MakeHeap(0, 0), 0);
}

TEST_F(KernelCore, BadInputFailsCleanly)
{
    int32_t cursor = 0;
    char buffer[16];
    const std::string tooLong(256, 'n');
    struct Case {
        const char* what;
        int32_t result;
    } cases[] = {
        {"O_Mask on 0", O_Mask(0, 1, 1)},
        {"O_Mask on garbage", O_Mask(0x12345678, 1, 1)},
        {"O_Rename null", O_Rename(DB_Page(1), nullptr)},
        {"O_Rename too long", O_Rename(DB_Page(1), tooLong.c_str())},
        {"O_ChangePosition page", O_ChangePosition(DB_Page(1), 1, 1)},
        {"O_ChangePosition bad handle", O_ChangePosition(77, 1, 1)},
        {"O_TestPage garbage", O_TestPage(-5, 0)},
        {"OM_SearchMask bad map", OM_SearchMask(12345, &cursor, 0, 0)},
        {"OM_SearchMask null cursor", OM_SearchMask(DB_PageMap(), nullptr, 0, 0)},
        {"OM_FindName null", OM_FindName(DB_PageMap(), nullptr)},
        {"OM_Object missing", OM_Object(DB_PageMap(), 42)},
        {"OM_Object object handle", OM_Object(DB_Page(1), 1)},
        {"OM_Add wrong kind", OM_Add(DB_SymbMap(), DB_Page(1), 0)},
        {"OM_Delete missing", OM_Delete(DB_PageMap(), 42)},
        {"OM_GetCount bad map", OM_GetCount(-1)},
        {"OA_GetCount map handle", OA_GetCount(DB_PageMap())},
        {"OA_Object out of range", OA_Object(DB_LayoutTextArray(), 1)},
        {"OA_Delete out of range", OA_Delete(DB_LayoutTextArray(), 0)},
        {"OA_Add page", OA_Add(DB_LayoutTextArray(), DB_Page(1))},
        {"DB_ReadPage null", DB_ReadPage(1, nullptr)},
        {"DB_CreatePage long name", DB_CreatePage(0, tooLong.c_str())},
        {"DB_CreateHier negative", DB_CreateHier(-1, "X", "Y")},
        {"OM_FindNextFreeNumSuffix bad map", OM_FindNextFreeNumSuffix(0, "A", buffer)},
        {"E_MemCopy null", E_MemCopy(nullptr, buffer, 4)},
    };
    for (const Case& c : cases) EXPECT_EQ(c.result, 0) << c.what;
    EXPECT_STREQ(O_GetName(DB_Page(1)), "MAINPAGE");
}

TEST_F(KernelCore, EverythingFailsWithoutADatabase)
{
    const int32_t page = DB_Page(1);
    DB_DiscardDataBase();
    EXPECT_EQ(DB_CurPage(), 0);
    EXPECT_EQ(DB_PageMap(), 0);
    EXPECT_EQ(DB_DataBase(), 0);
    EXPECT_EQ(DB_CreatePage(0, "P"), 0);
    EXPECT_EQ(O_GetName(page), nullptr);
    EXPECT_EQ(GetFreeID(2), 0);
    // The system tables belong to the running kernel and stay.
    EXPECT_NE(E_SysTable(17), nullptr);
}

TEST_F(KernelCore, SystemTablesAreLiveMemory)
{
    auto* busy = static_cast<int32_t*>(E_SysTable(17));
    ASSERT_NE(busy, nullptr);
    EXPECT_EQ(*busy, 0);
    int32_t one = 1, read = 0;
    ASSERT_EQ(E_MemCopy(busy, &one, 4), 4);
    ASSERT_EQ(E_MemCopy(&read, E_SysTable(17), 4), 4);
    EXPECT_EQ(read, 1);
    EXPECT_EQ(E_SysTable(32), nullptr);
    EXPECT_EQ(E_SysTable(-1), nullptr);

    int32_t grid[14];
    E_MemCopy(grid, E_SysTable(3), sizeof grid);
    EXPECT_EQ(grid[grid[0]], 254000);  // the selected grid step: a tenth of an inch
    int32_t* sizes = DB_TextSizeTable();
    ASSERT_NE(sizes, nullptr);
    for (int i = 0; i < 32; ++i) EXPECT_GT(sizes[i * 3], 0);
    // The text sizes belong to the database: a new one starts afresh.
    sizes[0] = 1;
    DB_DiscardDataBase();
    EXPECT_EQ(DB_TextSizeTable(), nullptr);
    ASSERT_NE(DB_CreateDataBase("D", "H", "P"), 0);
    EXPECT_NE(DB_TextSizeTable()[0], 1);
}

}  // namespace

namespace {

TEST_F(KernelCore, ArraysTakeOnlyNewItems)
{
    const int32_t texts = DB_LayoutTextArray();
    const int32_t item = I_MakeText(100, 200, 0, 10000, 6000, "NOTE", 2, 1, 0);
    ASSERT_NE(item, 0);
    EXPECT_EQ(OA_Add(texts, item), 1);
    EXPECT_EQ(OA_Add(texts, item), 0);  // already owned, even by this array
    ASSERT_EQ(S_CreateSymbol(0, "SYM"), 1);
    EXPECT_EQ(OA_Add(S_SymbolItemArray(1), item), 0);
    EXPECT_EQ(OA_GetCount(texts), 1);
    EXPECT_EQ(OA_GetCount(S_SymbolItemArray(1)), 0);
    EXPECT_EQ(OA_Object(texts, 1), item);
}

// Kinds without a lower limit take ids up to 16,777,215: the highest one
// works like any other (create, find, walk in order, renumber, delete), one
// above it is refused.
TEST_F(KernelCore, IdsGoUpToTheLimitOfTheIdSpace)
{
    constexpr int32_t kLimit = 16777215;
    ASSERT_EQ(N_CreateNet(kLimit, 1, "TOP"), kLimit);
    ASSERT_EQ(N_CreateNet(3, 1, "LOW"), 3);
    EXPECT_EQ(N_CreateNet(kLimit + 1, 1, "BEYOND"), 0);
    EXPECT_EQ(N_CreateNet(kLimit, 1, "AGAIN"), 0);
    EXPECT_EQ(WalkAll(DB_NetMap()), (std::vector<int32_t>{3, kLimit}));
    EXPECT_EQ(OM_FindName(DB_NetMap(), "TOP"), kLimit);
    EXPECT_NE(N_Net(kLimit), 0);
    EXPECT_EQ(OM_GetCount(DB_NetMap()), 2);
    EXPECT_EQ(OM_ChangeId(DB_NetMap(), 3, kLimit - 1), kLimit - 1);
    EXPECT_EQ(OM_ChangeId(DB_NetMap(), kLimit - 1, kLimit + 1), 0);
    EXPECT_EQ(WalkAll(DB_NetMap()), (std::vector<int32_t>{kLimit - 1, kLimit}));
    // Nodes share one id space per level, with the same limit.
    ASSERT_EQ(N_CreateNode(kLimit, kLimit, 0, 0, 0, 0), kLimit);
    EXPECT_EQ(WalkAll(N_NodeMap(kLimit)), std::vector<int32_t>{kLimit});
    EXPECT_EQ(N_CreateNode(kLimit - 1, kLimit, 0, 0, 0, 0), 0);  // taken in the level
    ASSERT_EQ(OM_Delete(DB_NetMap(), kLimit), 1);
    EXPECT_EQ(WalkAll(DB_NetMap()), std::vector<int32_t>{kLimit - 1});
    EXPECT_EQ(N_CreateNet(0, 1, "NEXT"), 1);
}

// The test hook refuses the n-th call of one named export, and as many
// calls after it as asked: the refused calls give the failure result and
// change nothing; the other exports and the calls outside the range run.
TEST_F(KernelCore, TheTestHookRefusesTheNthCallOfOneExport)
{
    KT_FailCall("N_CreateNet", 2);
    const int32_t a = N_CreateNet(0, 1, "A");
    EXPECT_NE(a, 0);
    EXPECT_NE(N_CreateBus(0, 1, "BUS"), 0);
    EXPECT_EQ(N_CreateNet(0, 1, "B"), 0);
    EXPECT_EQ(OM_FindName(DB_NetMap(), "B"), 0);
    EXPECT_NE(N_CreateNet(0, 1, "C"), 0);

    KT_FailCall("OM_Delete", 1, 2);
    EXPECT_EQ(OM_Delete(DB_NetMap(), a), 0);
    EXPECT_EQ(OM_Delete(DB_NetMap(), a), 0);
    EXPECT_EQ(OM_Delete(DB_NetMap(), a), 1);

    KT_FailCall("N_CreateNet", 1, -1);
    EXPECT_EQ(N_CreateNet(0, 1, "D"), 0);
    EXPECT_EQ(N_CreateNet(0, 1, "E"), 0);
    KT_FailCall("", 0);
    EXPECT_NE(N_CreateNet(0, 1, "F"), 0);
}

// A defect inside an export (here one injected through the test switch)
// ends in the export's failure result and one line on standard error that
// names the function, so it never passes for "not found"; the other
// exports are not touched, and an expected failure writes nothing.
TEST_F(KernelCore, AnUnexpectedExceptionInAnExportWritesOneLineNamingIt)
{
    const int32_t page = DB_Page(1);
    ASSERT_NE(page, 0);
    ASSERT_EQ(E_SetString("KernelFaultForTests", "DB_Page"), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(DB_Page(1), 0);
    EXPECT_EQ(DB_CurPage(), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "NVOKernel32: unexpected exception in DB_Page: fault injected for tests\n");

    // The file functions give "internal error" as their error text.
    ASSERT_EQ(E_SetString("KernelFaultForTests", "DB_SaveDataBase"), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(DB_SaveDataBase("/nonexistent-folder/x.nvd"), 0);
    EXPECT_STREQ(E_LastError(), "internal error");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "NVOKernel32: unexpected exception in DB_SaveDataBase: fault injected for tests\n");

    // Disarmed, expected failures stay quiet.
    ASSERT_EQ(E_SetString("KernelFaultForTests", ""), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(DB_Page(1), page);
    EXPECT_EQ(DB_Page(77), 0);
    EXPECT_EQ(DB_SaveDataBase("/nonexistent-folder/x.nvd"), 0);
    EXPECT_STRNE(E_LastError(), "internal error");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
