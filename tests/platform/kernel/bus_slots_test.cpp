// Bus member slots: a member is put into any free slot 0..127 by its
// number, removing a member (or deleting its net) frees that slot while the
// others keep theirs, and the design image stores and reads back each
// member's slot, free slots between them included, as well as files whose
// members are numbered 0, 1, 2 ...
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "tests/support/kernel_fixture.h"

#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Slot by slot, 0..Members-1 (0 for a free slot).
std::vector<int32_t> Slots(int32_t bus)
{
    BusRec rec{};
    EXPECT_EQ(N_ReadBus(bus, &rec), 1);
    std::vector<int32_t> nets;
    for (int32_t i = 0; i < rec.Members; ++i) nets.push_back(N_ReadBusMember(bus, i));
    return nets;
}

int32_t SlotOf(int32_t net, int32_t bus)
{
    int32_t slot = -1;
    return N_FindBusMember(net, &slot) == bus ? slot : -1;
}

class BusSlots : public palvane_test::KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        char pattern[] = "/tmp/kernel-bus-slots-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(dir_, ec);
        KernelTest::TearDown();
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    // Runs `sql` on the image at `path` and stores the checksum of the rows
    // as they are then, as another writer of the format would have.
    static void Rewrite(const std::string& path, const std::string& sql)
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        char* message = nullptr;
        const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
        const std::string text = message ? message : "";
        sqlite3_free(message);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK) << sql << ": " << text;
        ASSERT_EQ(KT_ResealFile(path.c_str()), 1) << E_LastError();
    }

    // The stored (slot, net) rows of the image at `path`, in row order.
    static std::vector<std::pair<int, int>> StoredSlots(const std::string& path)
    {
        std::vector<std::pair<int, int>> rows;
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_stmt* stmt = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, "SELECT slot, net FROM bus_members ORDER BY rowid", -1, &stmt, nullptr),
                  SQLITE_OK);
        while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
            rows.emplace_back(sqlite3_column_int(stmt, 0), sqlite3_column_int(stmt, 1));
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        return rows;
    }

    std::string dir_;
};

TEST_F(BusSlots, AnyFreeSlotIsTakenByItsNumber)
{
    struct Case {
        const char* what;
        std::vector<int32_t> order;  // slots filled in this order
        int32_t members;             // BusRec Members afterwards
    } cases[] = {
        {"slot 7 on an empty bus", {7}, 8},
        {"the last slot alone", {127}, 128},
        {"slot 0", {0}, 1},
        {"downwards", {9, 4, 0}, 10},
        {"a gap filled later", {0, 2, 1}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int32_t bus = N_CreateBus(0, 1, "B");
        ASSERT_NE(bus, 0);
        std::vector<int32_t> expected(static_cast<size_t>(c.members), 0);
        for (const int32_t slot : c.order) {
            const int32_t net = N_CreateNet(0, 1, "");
            ASSERT_EQ(N_SetBusMember(bus, slot, net), slot);
            expected[static_cast<size_t>(slot)] = net;
            EXPECT_EQ(SlotOf(net, bus), slot);
            EXPECT_EQ(N_ReadBusMember(bus, slot), net);
        }
        EXPECT_EQ(Slots(bus), expected);
        // Below Members a slot may be free; at and beyond it nothing is.
        EXPECT_EQ(N_ReadBusMember(bus, c.members), 0);
        EXPECT_EQ(N_ReadBusMember(bus, 128), 0);
        ASSERT_EQ(OM_Delete(DB_BusMap(), bus), 1);
    }
}

TEST_F(BusSlots, SlotsOutsideTheRangeAreRefusedAndChangeNothing)
{
    const int32_t bus = N_CreateBus(0, 1, "B"), net = N_CreateNet(0, 1, "N"), other = N_CreateNet(0, 1, "O");
    ASSERT_EQ(N_SetBusMember(bus, 5, net), 5);
    for (const int32_t slot : {-1, 128, 1000, -128}) {
        SCOPED_TRACE(slot);
        EXPECT_EQ(N_SetBusMember(bus, slot, other), -1);
        EXPECT_EQ(N_DeleteBusMember(bus, slot), 0);
        EXPECT_EQ(N_ReadBusMember(bus, slot), 0);
    }
    EXPECT_EQ(Slots(bus), (std::vector<int32_t>{0, 0, 0, 0, 0, net}));
    EXPECT_EQ(SlotOf(other, bus), -1);
}

TEST_F(BusSlots, RemovingAMemberKeepsTheOthersSlots)
{
    const int32_t bus = N_CreateBus(0, 1, "B");
    const int32_t a = N_CreateNet(0, 1, "A"), b = N_CreateNet(0, 1, "B"), c = N_CreateNet(0, 1, "C");
    ASSERT_EQ(N_SetBusMember(bus, 0, a), 0);
    ASSERT_EQ(N_SetBusMember(bus, 3, b), 3);
    ASSERT_EQ(N_SetBusMember(bus, 7, c), 7);

    // A member in the middle: the slot is free, the others stay.
    EXPECT_EQ(N_DeleteBusMember(bus, 3), 1);
    EXPECT_EQ(Slots(bus), (std::vector<int32_t>{a, 0, 0, 0, 0, 0, 0, c}));
    EXPECT_EQ(SlotOf(c, bus), 7);
    EXPECT_EQ(SlotOf(b, bus), -1);
    // A free slot has nothing to remove.
    EXPECT_EQ(N_DeleteBusMember(bus, 3), 0);
    EXPECT_EQ(N_DeleteBusMember(bus, 5), 0);
    // The freed slot can be taken by its number again.
    EXPECT_EQ(N_SetBusMember(bus, 3, b), 3);
    EXPECT_EQ(N_DeleteBusMember(bus, 3), 1);

    // The highest member: Members drops to one past the highest left.
    EXPECT_EQ(N_DeleteBusMember(bus, 7), 1);
    EXPECT_EQ(Slots(bus), std::vector<int32_t>{a});
    EXPECT_EQ(N_DeleteBusMember(bus, 0), 1);
    EXPECT_TRUE(Slots(bus).empty());
}

TEST_F(BusSlots, DeletingAMemberNetFreesOnlyItsSlot)
{
    const int32_t bus = N_CreateBus(0, 1, "B");
    const int32_t a = N_CreateNet(0, 1, "A"), b = N_CreateNet(0, 1, "B"), c = N_CreateNet(0, 1, "C");
    N_SetBusMember(bus, 1, a);
    N_SetBusMember(bus, 2, b);
    N_SetBusMember(bus, 6, c);
    ASSERT_EQ(OM_Delete(DB_NetMap(), b), 1);
    EXPECT_EQ(Slots(bus), (std::vector<int32_t>{0, a, 0, 0, 0, 0, c}));
    EXPECT_EQ(SlotOf(a, bus), 1);
    EXPECT_EQ(SlotOf(c, bus), 6);
    // The highest member's net goes: Members follows.
    ASSERT_EQ(OM_Delete(DB_NetMap(), c), 1);
    EXPECT_EQ(Slots(bus), (std::vector<int32_t>{0, a}));
    // A net made under a freed id is no member.
    const int32_t reused = N_CreateNet(c, 1, "NEW");
    ASSERT_EQ(reused, c);
    EXPECT_EQ(SlotOf(reused, bus), -1);
    EXPECT_EQ(Slots(bus), (std::vector<int32_t>{0, a}));
}

TEST_F(BusSlots, SlotsWithGapsSurviveSaveAndLoad)
{
    const int32_t bus = N_CreateBus(0, 5, "DATA"), empty = N_CreateBus(0, 1, "EMPTY");
    const int32_t a = N_CreateNet(0, 1, "A"), b = N_CreateNet(0, 1, "B"), gone = N_CreateNet(0, 1, "GONE");
    N_SetBusMember(bus, 3, a);
    N_SetBusMember(bus, 5, gone);
    N_SetBusMember(bus, 127, b);
    OM_Delete(DB_NetMap(), gone);

    const std::string path = Path("gaps.nvd");
    ASSERT_EQ(DB_SaveDataBase(path.c_str()), 1) << E_LastError();
    EXPECT_EQ(StoredSlots(path), (std::vector<std::pair<int, int>>{{3, a}, {127, b}}));
    DB_DiscardDataBase();
    ASSERT_EQ(DB_LoadDataBase(path.c_str()), 1) << E_LastError();

    std::vector<int32_t> expected(128, 0);
    expected[3] = a;
    expected[127] = b;
    EXPECT_EQ(Slots(OM_FindName(DB_BusMap(), "DATA")), expected);
    EXPECT_TRUE(Slots(OM_FindName(DB_BusMap(), "EMPTY")).empty());
    EXPECT_EQ(OM_FindName(DB_BusMap(), "EMPTY"), empty);
    // After the load a slot is taken by its number as before.
    const int32_t c = N_CreateNet(0, 1, "C");
    EXPECT_EQ(N_SetBusMember(bus, 50, c), 50);
    EXPECT_EQ(SlotOf(b, bus), 127);
}

TEST_F(BusSlots, AFileNumberingItsMembersDenselyLoadsWithThoseSlots)
{
    // The rows as files written before free slots existed hold them: one
    // bus numbered 0, 1, 2, the next bus again from 0.
    const int32_t bus = N_CreateBus(0, 5, "DATA"), other = N_CreateBus(0, 1, "CTRL");
    const int32_t d0 = N_CreateNet(0, 1, "D0"), d1 = N_CreateNet(0, 1, "D1"), d2 = N_CreateNet(0, 1, "D2");
    const int32_t clk = N_CreateNet(0, 1, "CLK");
    N_SetBusMember(bus, 10, d0);
    N_SetBusMember(bus, 20, d1);
    N_SetBusMember(bus, 30, d2);
    N_SetBusMember(other, 64, clk);
    const std::string path = Path("dense.nvd");
    ASSERT_EQ(DB_SaveDataBase(path.c_str()), 1) << E_LastError();
    Rewrite(path, "UPDATE bus_members SET slot = slot / 10 - 1 WHERE bus = " + std::to_string(bus) +
                      "; UPDATE bus_members SET slot = 0 WHERE bus = " + std::to_string(other));
    ASSERT_EQ(StoredSlots(path), (std::vector<std::pair<int, int>>{{0, d0}, {1, d1}, {2, d2}, {0, clk}}));

    DB_DiscardDataBase();
    ASSERT_EQ(DB_LoadDataBase(path.c_str()), 1) << E_LastError();
    EXPECT_EQ(Slots(bus), (std::vector<int32_t>{d0, d1, d2}));
    EXPECT_EQ(Slots(other), std::vector<int32_t>{clk});
    // Such a bus then works by slots: removing the middle member keeps the
    // last one at 2, and the next save stores that.
    EXPECT_EQ(N_DeleteBusMember(bus, 1), 1);
    EXPECT_EQ(SlotOf(d2, bus), 2);
    const std::string again = Path("again.nvd");
    ASSERT_EQ(DB_SaveDataBase(again.c_str()), 1) << E_LastError();
    EXPECT_EQ(StoredSlots(again), (std::vector<std::pair<int, int>>{{0, d0}, {2, d2}, {0, clk}}));
}

TEST_F(BusSlots, StoredSlotsThatNoSaveWritesAreRefused)
{
    const int32_t bus = N_CreateBus(0, 5, "DATA");
    const int32_t a = N_CreateNet(0, 1, "A"), b = N_CreateNet(0, 1, "B");
    N_SetBusMember(bus, 2, a);
    N_SetBusMember(bus, 9, b);
    const std::string good = Path("good.nvd");
    ASSERT_EQ(DB_SaveDataBase(good.c_str()), 1) << E_LastError();
    const std::string bytes = palvane_test::ReadBytes(good);
    const std::string b9 = "net = " + std::to_string(b);

    struct Case {
        const char* what;
        std::string sql;
        const char* says;
    } cases[] = {
        {"falling slots", "UPDATE bus_members SET slot = 1 WHERE " + b9, "member slots out of order"},
        {"a slot twice", "UPDATE bus_members SET slot = 2 WHERE " + b9, "member slots out of order"},
        {"slot 128", "UPDATE bus_members SET slot = 128 WHERE " + b9, "member slot 128 is out of range"},
        {"a negative slot", "UPDATE bus_members SET slot = -3 WHERE " + b9, "member slot -3 is out of range"},
    };
    DB_DiscardDataBase();
    ASSERT_EQ(DB_CreateDataBase("Marker", "TOP", "P1"), 1);
    const int32_t marker = N_CreateNet(0, 1, "MARKER");
    const std::string bad = Path("bad.nvd");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        palvane_test::WriteBytes(bad, bytes);
        Rewrite(bad, c.sql);
        EXPECT_EQ(DB_LoadDataBase(bad.c_str()), 0);
        const std::string error = E_LastError();
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        // The open design is the one that was open.
        EXPECT_EQ(OM_FindName(DB_NetMap(), "MARKER"), marker);
        EXPECT_EQ(OM_FindName(DB_BusMap(), "DATA"), 0);
    }
    // The file as saved loads.
    ASSERT_EQ(DB_LoadDataBase(good.c_str()), 1) << E_LastError();
    EXPECT_EQ(SlotOf(b, OM_FindName(DB_BusMap(), "DATA")), 9);
}

}  // namespace
