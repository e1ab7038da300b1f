// Design images and libraries whose rows disagree with each other but whose
// content checksum is right, as another program or a faulty build could
// write them: each row is changed through SQLite, the checksum is computed
// again, and the file goes to the loaders. A file is refused with a text
// that names the damage and leaves the open design as it was, or it loads
// into a design the kernel walks and draws.
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "platform/winsys/devices.h"
#include "tests/support/kernel_fixture.h"

#include <QImage>

#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using palvane_test::ReadBytes;
using palvane_test::WriteBytes;

// One value changed in the rows `where` selects: `value` is an SQL
// expression ("0", "NULL", "x'00'", "(SELECT ...)").
struct Change {
    const char* table;
    const char* column;
    const char* where;
    const char* value;
};

// Applies `change` to the file at `path` and stores the checksum of the
// rows as they are now.
void Apply(const std::string& path, const Change& change)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    const std::string sql = std::string("UPDATE \"") + change.table + "\" SET \"" + change.column + "\" = " +
                            change.value + " WHERE " + change.where;
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
    const std::string text = message ? message : "";
    sqlite3_free(message);
    const int changed = sqlite3_changes(db);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << sql << ": " << text;
    ASSERT_GT(changed, 0) << "no row matches: " << sql;
    ASSERT_EQ(KT_ResealFile(path.c_str()), 1) << E_LastError();
}

std::vector<int32_t> WalkAll(int32_t map)
{
    std::vector<int32_t> ids;
    int32_t cursor = OM_GetFirst(map);
    while (int32_t id = OM_SearchMask(map, &cursor, 0, 0)) ids.push_back(id);
    return ids;
}

// Reads and draws every object of every page of every level through the
// kernel's calls, at a close and a far view.
void WalkAndDraw()
{
    QImage image(160, 120, QImage::Format_RGB32);
    winsys::Device device;
    device.kind = winsys::DeviceKind::Image;
    device.surface = &image;
    device.image = &image;
    const int32_t surface = winsys::RegisterDevice(device);
    const int32_t current = DB_CurHier();
    for (int32_t symb : WalkAll(DB_SymbMap())) {
        SymbRec s{};
        S_ReadSymbol(symb, &s);
        for (int32_t i = 1; i <= s.Entries; ++i) {
            EntryRec e{};
            S_ReadEntry(symb, i, &e);
        }
    }
    for (int32_t dev : WalkAll(DB_DeviceMap())) {
        DeviceRec d{};
        D_ReadDevice(dev, &d);
        for (int32_t g = 1; g <= d.Groups; ++g) {
            GroupRec gr{};
            D_ReadGroup(dev, g, &gr);
        }
    }
    for (int32_t level : WalkAll(DB_HierarchyMap())) {
        DB_SetCurHier(level);
        for (int32_t n : WalkAll(DB_NetMap()))
            for (int32_t node : WalkAll(N_NodeMap(n))) {
                NodeRec r{};
                N_ReadNode(n, node, &r);
            }
        for (int32_t bus : WalkAll(DB_BusMap())) {
            BusRec r{};
            N_ReadBus(bus, &r);
            for (int32_t i = 0; i < r.Members; ++i) N_ReadBusMember(bus, i);
        }
        for (int32_t t : WalkAll(DB_TraceMap())) {
            TraceRec r{};
            T_ReadTrace(t, &r);
            for (int32_t i = 1; i <= r.Points; ++i) {
                TracePointRec p{};
                T_ReadRecord(t, i, &p);
            }
        }
        for (int32_t c : WalkAll(DB_LayCompMap())) {
            LayCompRec r{};
            L_ReadComponent(c, &r);
            for (int32_t i = 1; i <= r.Parts; ++i) L_GetSchCompId(c, i);
            EntryRec e{};
            for (int32_t i = 1; L_ReadEntry(c, i, &e) == 1; ++i) {
            }
        }
        for (int32_t page : WalkAll(DB_PageMap())) {
            DB_SetCurPage(page);
            for (int32_t size : {100, 100000}) {
                const ViewDCRec view{size, 160, 120, 0, 0, 0};
                ASSERT_EQ(G_OpenDC(surface, &view), 1);
                C_DrawAllComponents(0);
                B_DrawAllBranchMask(0, 0, 0);
                J_DrawAllJunctions(0);
                N_DrawAllNodes(0);
                for (int32_t n : WalkAll(DB_NetMap())) N_DrawNetRatsnest(n, 1, 1);
                for (int32_t c : WalkAll(DB_SchCompMap())) {
                    EntryRec e{};
                    for (int32_t i = 1; C_ReadEntry(c, i, &e) == 1; ++i) {
                    }
                    int32_t rect[4];
                    C_FrameCompItems(c, rect);
                    C_FrameCompEntries(c, rect);
                }
                for (int32_t b : WalkAll(DB_BranchMap())) {
                    BranchRec r{};
                    B_ReadBranch(b, &r);
                    for (int32_t i = 1; i <= r.Points; ++i) {
                        BranchPointRec p{};
                        B_ReadRecord(b, i, &p);
                    }
                    int32_t rect[4];
                    B_FrameBranchLines(b, 0, rect);
                }
                for (int32_t symb : WalkAll(DB_SymbMap())) S_DrawSymbol(symb, 0, 1);
                T_DrawLayoutText(1);
                G_CloseDC();
            }
        }
    }
    DB_SetCurHier(current);
    winsys::UnregisterDevice(surface);
}

class ImageChecks : public palvane_test::KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        char pattern[] = "/tmp/kernel-image-checks-XXXXXX";
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

    // A design with one object of every kind on level 1 and a second level.
    static void BuildDesign()
    {
        const int32_t symb = S_CreateSymbol(0, "GATE");
        S_AddEntry(symb, "A", -200, 0, 2, 0, 0, 0);
        S_AddEntry(symb, "Y", 200, 0, 2, 0, 0, 0);
        OA_Add(S_SymbolItemArray(symb), I_MakeText(0, 0, 0, 100, 80, "G", 1, 33, 3));
        for (int32_t kind : {4, 5}) {
            // A circle and an arc.
            ItemRec shape{};
            shape.Kind = kind;
            shape.Flags = 1;
            shape.Layer = 40;
            shape.Width = 10;
            shape.P1 = 500;
            shape.P3 = 90000;
            OA_Add(S_SymbolItemArray(symb), I_MakeItem(&shape));
        }
        const int32_t pad = S_MakePadStack();
        OA_Add(S_PadStackItemArray(pad), I_MakeText(0, 0, 0, 100, 80, "P", 1, 97, 3));
        OM_Add(S_SymbolPadStackMap(symb), pad, 1);
        OM_Add(DB_PadStackMap(), S_MakePadStack(), 2);
        const int32_t dev = D_CreateDevice(0, "DEV", "PKG");
        D_AddGroup(dev, "A", "GATE");
        D_AddPin(dev, 1, 1, "A");
        D_AddPin(dev, 0, 2, "VCC");
        const int32_t comp = C_CreateComponent(0, "U1", 1, dev, symb, 1, 1000, 2000, 0);
        OA_Add(C_CompTextArray(comp), I_MakeText(0, 0, 0, 100, 80, "U1", 2, 33, 3));
        const int32_t lay = L_CreateComponent(0, "IC1", 2, dev, symb, 1, 0, 0, 0);
        L_AddSchCompId(lay, comp);
        const int32_t net = N_CreateNet(0, 1, "N1");
        const int32_t node = N_CreateNode(net, 0, comp, 1, lay, 1);
        const int32_t bus = N_CreateBus(0, 5, "BUS");
        N_SetBusMember(bus, 0, net);
        const int32_t junction = J_CreateJunction(0, 3, 5000, 2000);
        const int32_t branch = B_CreateBranch(0, 1, net);
        B_InsertRecord(branch, -1, 3, node);
        B_InsertRecord(branch, -1, 5, junction);
        OA_Add(B_BranchTextArray(branch), I_MakeText(0, 0, 0, 100, 80, "N1", 2, 33, 3));
        const int32_t bend = T_CreateBendPoint(0, 1, 100, 200);
        V_CreateVia(0, 1, 300, 400, 2, 1);
        const int32_t trace = T_CreateTrace(0, 0, net);
        T_InsertRecord(trace, -1, 2, node, 1, 254);
        T_InsertRecord(trace, -1, 4, bend, 1, 254);
        OA_Add(DB_LayoutTextArray(), I_MakeText(0, 0, 0, 100, 80, "TOP", 1, 1, 3));
        F_Write(F_CreateFile(0, "DATA"), "abc", 3);
        GetFreeID(2);
        DB_CreateHier(0, "SUB", "SHEET");
        DB_SetCurHier(1);
    }

    // The open design while bad files are tried: a small other one.
    void OpenMarker()
    {
        DB_DiscardDataBase();
        DB_CreateDataBase("Marker", "TOP", "P1");
        C_CreateComponent(0, "M1", 1, 0, S_CreateSymbol(0, "MS"), 1, 5, 6, 0);
        markerComp_ = C_Component(1);
    }
    // True while the marker design is open and whole.
    bool MarkerOpen() const
    {
        const char* name = O_GetName(markerComp_);
        return name && std::string(name) == "M1" && OM_GetCount(DB_SchCompMap()) == 1 &&
               OM_GetCount(DB_HierarchyMap()) == 1 && std::string(O_GetName(DB_DataBase())) == "Marker";
    }

    std::string dir_;
    int32_t markerComp_ = 0;
};

// ---- Design images -------------------------------------------------------------------

struct RefusedCase {
    Change change;
    const char* says;  // part of the error text
};

TEST_F(ImageChecks, InconsistentDesignRowsAreRefusedAndChangeNothing)
{
    BuildDesign();
    const std::string good = Path("good.nvd");
    ASSERT_EQ(DB_SaveDataBase(good.c_str()), 1) << E_LastError();
    const std::string bytes = ReadBytes(good);
    OpenMarker();

    const std::vector<RefusedCase> cases{
        // Values of the wrong type, size or range.
        {{"components", "x", "1", "NULL"}, "x is not an integer"},
        {{"components", "x", "1", "1.5"}, "x is not an integer"},
        {{"components", "y", "1", "4294967296"}, "y is out of range"},
        {{"components", "name", "1", "'U' || char(0) || '1'"}, "zero byte"},
        {{"components", "name", "1", "hex(zeroblob(150))"}, "too long"},
        {{"components", "name", "1", "x'5531'"}, "name is not a text"},
        {{"devices", "prefix", "1", "'PREFIXTOOLONG'"}, "too long"},
        {{"design", "text_sizes", "1", "x'00'"}, "text size table"},
        {{"files", "data", "1", "NULL"}, "data is not a blob"},
        {{"files", "position", "1", "-1"}, "file position"},
        {{"items", "kind", "owner_kind = 2", "0"}, "unknown item kind"},
        {{"items", "layer", "owner_kind = 2", "256"}, "layer or style"},
        // Positions beyond the coordinate space every placing call keeps to.
        {{"components", "x", "1", "220000001"}, "beyond the coordinate space"},
        {{"lay_comps", "y", "1", "-220000001"}, "beyond the coordinate space"},
        {{"junctions", "x", "1", "2147483647"}, "beyond the coordinate space"},
        {{"bend_points", "y", "1", "-2147483648"}, "beyond the coordinate space"},
        {{"vias", "x", "1", "220000001"}, "beyond the coordinate space"},
        {{"items", "x", "owner_kind = 4", "220000001"}, "beyond the coordinate space"},
        {{"symbol_entries", "y", "number = 1", "-220000001"}, "beyond the coordinate space"},
        // Ids that are zero, negative, taken or out of range.
        {{"levels", "id", "id = 2", "0"}, "not positive"},
        {{"levels", "id", "id = 2", "1"}, "taken"},
        {{"pages", "id", "level = 1", "-1"}, "not positive"},
        {{"components", "id", "1", "0"}, "taken or out of range"},
        {{"nets", "id", "1", "2147483647"}, "taken or out of range"},
        {{"nodes", "id", "1", "0"}, "taken or out of range"},
        {{"symbols", "key", "1", "0"}, "symbol id 0"},
        {{"devices", "key", "1", "0"}, "device id 0"},
        {{"pad_stacks", "key", "owner = 0", "0"}, "pad-stack key"},
        // Negative ids where none is kept for the kind: each such object
        // would be missing from walks and counts.
        {{"components", "id", "1", "-5"}, "id -5 is negative"},
        {{"lay_comps", "id", "1", "-5"}, "id -5 is negative"},
        {{"nets", "id", "1", "-5"}, "id -5 is negative"},
        {{"nodes", "id", "1", "-5"}, "id -5 is negative"},
        {{"buses", "id", "1", "-5"}, "id -5 is negative"},
        {{"junctions", "id", "1", "-5"}, "id -5 is negative"},
        {{"traces", "id", "1", "-5"}, "id -5 is negative"},
        {{"vias", "id", "1", "-5"}, "id -5 is negative"},
        {{"bend_points", "id", "1", "-5"}, "id -5 is negative"},
        {{"files", "id", "1", "-5"}, "id -5 is negative"},
        {{"branches", "id", "1", "-5"}, "id -5 is negative"},
        {{"branches", "id", "1", "-200"}, "id -200 is negative"},
        {{"symbols", "key", "1", "-5"}, "symbol id -5 is negative"},
        {{"symbols", "key", "1", "-1000"}, "symbol id -1000 is negative"},
        {{"devices", "key", "1", "-2"}, "device id -2 is negative"},
        // Rows whose owner does not exist, or lies on a level that does not.
        {{"pages", "level", "1", "9"}, "level 9 does not exist"},
        {{"components", "level", "1", "0"}, "level 0 does not exist"},
        {{"nodes", "net", "1", "99"}, "net 99 does not exist"},
        {{"branch_points", "branch", "number = 2", "99"}, "branch 99 does not exist"},
        {{"branch_points", "level", "number = 2", "2"}, "branch 1 does not exist"},
        {{"trace_points", "trace", "number = 1", "99"}, "trace 99 does not exist"},
        {{"lay_comp_parts", "lay_comp", "1", "99"}, "layout component 99 does not exist"},
        {{"lay_comp_parts", "comp", "1", "99"}, "component 99 does not exist"},
        {{"bus_members", "net", "1", "99"}, "net 99 does not exist"},
        {{"bus_members", "level", "1", "2"}, "bus 1 does not exist"},
        {{"symbol_entries", "symbol", "number = 1", "99"}, "symbol that does not exist"},
        {{"device_groups", "device", "1", "99"}, "device that does not exist"},
        {{"device_pins", "grp", "grp = 1", "5"}, "group that does not exist"},
        {{"pad_stacks", "owner", "owner = 1", "99"}, "owner that does not exist"},
        {{"items", "owner", "owner_kind = 2", "99"}, "component 99 does not exist"},
        {{"items", "owner", "owner_kind = 4", "99"}, "branch 99 does not exist"},
        {{"items", "owner", "owner_kind = 1", "99"}, "owner that does not exist"},
        {{"items", "sub", "owner_kind = 6", "99"}, "owner that does not exist"},
        {{"items", "owner_kind", "owner_kind = 5", "9"}, "unknown item owner kind"},
        // Elements of arrays out of order, counts that disagree with rows.
        {{"branch_points", "number", "number = 2", "3"}, "out of order"},
        {{"trace_points", "number", "number = 1", "0"}, "out of order"},
        {{"symbol_entries", "number", "number = 2", "1"}, "out of order"},
        {{"device_pins", "number", "grp = 0", "2"}, "out of order"},
        {{"items", "number", "owner_kind = 2", "5"}, "out of order"},
        {{"bus_members", "slot", "1", "128"}, "member slot 128 is out of range"},
        {{"bus_members", "slot", "1", "-1"}, "member slot -1 is out of range"},
        {{"lay_comp_parts", "slot", "1", "0"}, "out of order"},
        // Whole-design references and heap reservations.
        {{"design", "cur_level", "1", "5"}, "current level"},
        {{"levels", "cur_page", "id = 1", "9"}, "current page"},
        {{"heaps", "kind", "1", "4"}, "reserved id"},
        {{"heaps", "level", "1", "9"}, "reserved id"},
        {{"heaps", "id", "1", "(SELECT id FROM junctions LIMIT 1)"}, "reserved id"},
        {{"heaps", "id", "1", "-1"}, "reserved id"},
    };
    const std::string bad = Path("bad.nvd");
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(std::string(c.change.table) + "." + c.change.column + " = " + c.change.value);
        WriteBytes(bad, bytes);
        Apply(bad, c.change);
        EXPECT_EQ(DB_LoadDataBase(bad.c_str()), 0);
        const std::string error = E_LastError();
        EXPECT_NE(error.find("damaged"), std::string::npos) << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_TRUE(MarkerOpen());
    }
    // The untouched file loads.
    ASSERT_EQ(DB_LoadDataBase(good.c_str()), 1) << E_LastError();
}

// The ids kept for objects found by id alone are checked for what they
// mean: a frame branch only for a page its level has, a fixed symbol only
// under its own name. A level with pages but none current opens on its
// first page: the kernel writes such a level itself (a page made on a level
// without pages), and the editor must never meet a level with pages and
// no current page.
TEST_F(ImageChecks, KeptIdsMeanWhatTheyAreKeptFor)
{
    BuildDesign();
    ASSERT_EQ(DB_CreatePage(0, "SECOND"), 2);
    const int32_t corner = J_CreateJunction(0, 3, -1000, -1000);
    ASSERT_EQ(B_CreateBranch(-101, 4, 0), -101);
    ASSERT_EQ(B_InsertRecord(-101, -1, 5, corner), 1);
    for (const auto& [id, name] : std::vector<std::pair<int32_t, const char*>>{
             {-101, "@DESNOTES"}, {-401, "@COPPAR"}, {-801, "@AGAPMSK"}, {-1001, "@PGENOTES"},
             {-12001, "ZoneSymbol"}, {-13001, "GridSymbol"}, {-2, "ANYNAME"}})
        ASSERT_EQ(S_CreateSymbol(id, name), id) << name;
    const std::string good = Path("good.nvd");
    ASSERT_EQ(DB_SaveDataBase(good.c_str()), 1) << E_LastError();
    const std::string bytes = ReadBytes(good);
    OpenMarker();

    // The table the refusal names, the change and what it says of the row.
    struct Kept {
        const char* table;
        RefusedCase refusal;
    };
    const std::vector<Kept> refused{
        {"branches", {{"branches", "id", "id = -101", "-150"}, "frame id -150 is kept for page 50, which level 1 does not have"}},
        {"branches", {{"branches", "id", "id = -101", "-103"}, "frame id -103 is kept for page 3"}},
        {"branches", {{"pages", "id", "level = 1 AND id = 1", "3"}, "frame id -101 is kept for page 1, which level 1 does not have"}},
        {"symbols", {{"symbols", "name", "key = -101", "'NOTES'"}, "symbol id -101 is kept for \"@DESNOTES\", not \"NOTES\""}},
        {"symbols", {{"symbols", "name", "key = -1001", "'@DESNOTES'"}, "symbol id -1001 is kept for \"@PGENOTES\""}},
        {"symbols", {{"symbols", "name", "key = -401", "'@AGAPMSK'"}, "symbol id -401 is kept for \"@COPPAR\""}},
        {"symbols", {{"symbols", "name", "key = -801", "'@COPPAR'"}, "symbol id -801 is kept for \"@AGAPMSK\""}},
        {"symbols", {{"symbols", "name", "key = -12001", "'GridSymbol'"}, "symbol id -12001 is kept for \"ZoneSymbol\""}},
        {"symbols", {{"symbols", "name", "key = -13001", "'ZoneSymbol'"}, "symbol id -13001 is kept for \"GridSymbol\""}},
        {"symbols", {{"symbols", "key", "key = -1001", "-1000"}, "symbol id -1000 is negative and not one kept"}},
    };
    const std::string bad = Path("bad.nvd");
    for (const auto& [table, c] : refused) {
        SCOPED_TRACE(std::string(c.change.table) + "." + c.change.column + " = " + c.change.value);
        WriteBytes(bad, bytes);
        Apply(bad, c.change);
        const std::string before = ReadBytes(bad);
        EXPECT_EQ(DB_LoadDataBase(bad.c_str()), 0);
        const std::string error = E_LastError();
        // The table, the row and the id.
        EXPECT_NE(error.find(std::string("damaged: table ") + table + ", row "), std::string::npos)
            << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_TRUE(MarkerOpen());
        EXPECT_EQ(ReadBytes(bad), before);
    }

    // Level 1's current page 0: it opens on its first page, and saves so.
    WriteBytes(bad, bytes);
    Apply(bad, {"levels", "cur_page", "id = 1", "0"});
    ASSERT_EQ(DB_LoadDataBase(bad.c_str()), 1) << E_LastError();
    EXPECT_EQ(DB_CurHier(), 1);
    EXPECT_EQ(DB_CurPage(), 1);
    ASSERT_EQ(DB_SaveDataBase(Path("again.nvd").c_str()), 1) << E_LastError();
    ASSERT_EQ(DB_LoadDataBase(Path("again.nvd").c_str()), 1) << E_LastError();
    EXPECT_EQ(DB_CurPage(), 1);
    // The kept ids with their own names load.
    ASSERT_EQ(DB_LoadDataBase(good.c_str()), 1) << E_LastError();
    EXPECT_NE(B_Branch(-101), 0);
    EXPECT_STREQ(O_GetName(S_Symbol(-2)), "ANYNAME");
}

TEST_F(ImageChecks, DanglingReferencesAndExtremeValuesLoadAndDraw)
{
    // References the running kernel also meets once their object is
    // deleted, and values at the ends of their range: the design loads and
    // every call walks and draws it.
    BuildDesign();
    const std::string good = Path("good.nvd");
    ASSERT_EQ(DB_SaveDataBase(good.c_str()), 1) << E_LastError();
    const std::string bytes = ReadBytes(good);

    const std::vector<Change> cases{
        {"components", "symb", "1", "99"},         {"components", "device", "1", "99"},
        {"components", "page", "1", "99"},         {"components", "lay_comp", "1", "99"},
        {"components", "grp", "1", "-5"},          {"lay_comps", "symb", "1", "99"},
        {"nodes", "comp", "1", "99"},              {"nodes", "entry", "1", "-1"},
        {"nodes", "lay_entry", "1", "2147483647"}, {"branches", "net", "1", "99"},
        {"branches", "page", "1", "99"},           {"branch_points", "ref", "1", "99"},
        {"branch_points", "flags", "1", "-1"},     {"trace_points", "ref", "1", "99"},
        {"trace_points", "layer", "1", "-1"},      {"traces", "net", "1", "99"},
        {"vias", "pad_stack", "1", "99"},          {"junctions", "page", "1", "99"},
        {"symbol_entries", "flags", "1", "-1"},    {"pages", "view_size", "1", "0"},
        {"items", "width", "1", "-2147483648"},    {"items", "p1", "1", "2147483647"},
        // Positions at the edge of the coordinate space; the last shown
        // position of a point record is only a copy.
        {"components", "x", "1", "220000000"},
        {"junctions", "y", "1", "-220000000"},
        {"branch_points", "x", "1", "2147483647"},
        {"trace_points", "y", "1", "-2147483648"},
        // The radius of a circle or an arc is the size of its value.
        {"items", "p1", "kind IN (4, 5)", "-2147483648"},
    };
    const std::string bad = Path("bad.nvd");
    for (const Change& c : cases) {
        SCOPED_TRACE(std::string(c.table) + "." + c.column + " = " + c.value);
        WriteBytes(bad, bytes);
        Apply(bad, c);
        ASSERT_EQ(DB_LoadDataBase(bad.c_str()), 1) << E_LastError();
        WalkAndDraw();
        // And it saves again.
        EXPECT_EQ(DB_SaveDataBase(Path("again.nvd").c_str()), 1) << E_LastError();
    }
}

// ---- Libraries -------------------------------------------------------------------------

TEST_F(ImageChecks, InconsistentLibraryRowsAreRefused)
{
    BuildDesign();
    const std::string symbols = Path("symbols.nsl");
    const std::string parts = Path("parts.npl");
    {
        const int32_t lib = E_OpenLibrary(symbols.c_str(), "NorvoSLL00", -1);
        ASSERT_GT(lib, 0) << E_LastError();
        for (const char* name : {"ONE", "TWO"}) {
            ASSERT_EQ(S_SaveSymbol(1, E_OpenLibToWrite(lib, name)), 1) << E_LastError();
            E_CloseLibWrite(lib);
        }
        E_CloseLibrary(lib);
        const int32_t plib = E_OpenLibrary(parts.c_str(), "NorvoDLL00", -1);
        ASSERT_GT(plib, 0) << E_LastError();
        E_OpenLibToWrite(plib, "DEV");
        ASSERT_EQ(D_SaveDevice(plib, 1), 1) << E_LastError();
        E_CloseLibrary(plib);
    }
    OpenMarker();

    struct LibraryCase {
        const char* file;
        Change change;
        const char* says;
        bool refusedAtOpen;  // else when the entry "ONE" or "DEV" is read
    };
    const std::vector<LibraryCase> cases{
        // Two entries with one number would share their rows, and writing
        // one would delete the other.
        {"symbols.nsl", {"lib_entries", "number", "name = 'TWO'", "1"}, "two entries of the same number", true},
        {"symbols.nsl", {"lib_entries", "name", "name = 'TWO'", "'ONE'"}, "two entries of the same name", true},
        {"symbols.nsl", {"lib_entries", "number", "name = 'TWO'", "0"}, "bad entry number", true},
        {"symbols.nsl", {"lib_entries", "number", "name = 'TWO'", "2147483648"}, "bad entry number", true},
        {"symbols.nsl", {"lib_entries", "name", "name = 'TWO'", "''"}, "bad entry number or name", true},
        {"symbols.nsl", {"lib_entries", "kind", "name = 'TWO'", "1"}, "wrong kind", true},
        {"parts.npl", {"lib_entries", "kind", "1", "2"}, "wrong kind", true},
        {"symbols.nsl", {"symbols", "key", "key = 2", "1"}, "two symbols in one entry", false},
        {"symbols.nsl", {"symbols", "key", "key = 1", "5"}, "holds no symbol", false},
        {"symbols.nsl", {"symbol_entries", "number", "symbol = 1 AND number = 2", "3"}, "out of order", false},
        {"symbols.nsl", {"pad_stacks", "key", "owner = 1", "0"}, "pad-stack key", false},
        {"symbols.nsl", {"items", "sub", "owner_kind = 6 AND owner = 1", "7"}, "owner that does not exist", false},
        {"symbols.nsl", {"items", "kind", "owner_kind = 1 AND owner = 1", "7"}, "unknown item kind", false},
        {"symbols.nsl", {"symbol_entries", "x", "symbol = 1 AND number = 1", "220000001"},
         "beyond the coordinate space", false},
        {"parts.npl", {"devices", "key", "1", "7"}, "holds no device", false},
        {"parts.npl", {"device_pins", "grp", "grp = 1", "3"}, "group that does not exist", false},
        {"parts.npl", {"device_groups", "number", "1", "2"}, "out of order", false},
        {"parts.npl", {"devices", "prefix", "1", "'PREFIXTOOLONG'"}, "too long", false},
    };
    for (const LibraryCase& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + c.change.table + "." + c.change.column + " = " + c.change.value);
        const bool symbolLibrary = std::string(c.file) == "symbols.nsl";
        const char* kind = symbolLibrary ? "NorvoSLL00" : "NorvoDLL00";
        const std::string bad = Path(std::string("bad-") + c.file);
        WriteBytes(bad, ReadBytes(Path(c.file)));
        Apply(bad, c.change);
        const int32_t symbolCount = OM_GetCount(DB_SymbMap()), deviceCount = OM_GetCount(DB_DeviceMap());
        for (int32_t mode : {0, -1}) {
            const int32_t lib = E_OpenLibrary(bad.c_str(), kind, mode);
            std::string error = E_LastError();
            if (!c.refusedAtOpen) {
                ASSERT_GT(lib, 0) << error;
                const int32_t entry = E_OpenLibToRead(lib, symbolLibrary ? "ONE" : "DEV");
                ASSERT_GT(entry, 0) << E_LastError();
                EXPECT_EQ(symbolLibrary ? S_LoadSymbol(0, entry) : D_LoadDevice(0, entry), 0);
                error = E_LastError();
                E_CloseLibrary(lib);
            } else {
                EXPECT_EQ(lib, 0);
            }
            EXPECT_NE(error.find("damaged"), std::string::npos) << error;
            EXPECT_NE(error.find(c.says), std::string::npos) << error;
        }
        EXPECT_EQ(OM_GetCount(DB_SymbMap()), symbolCount);
        EXPECT_EQ(OM_GetCount(DB_DeviceMap()), deviceCount);
        EXPECT_TRUE(MarkerOpen());
    }
}

// A design whose last save was stopped in the middle: its rollback journal
// lies beside it. The load says so and how to go on, instead of calling the
// file damaged, and leaves both files and the open design as they were.
// The way it gives (a program that may write the file lets SQLite roll the
// write back) leads to the design as it was before that write; moving the
// journal away keeps the half write.
TEST_F(ImageChecks, AFileLeftMidWriteIsNamedAsSuchAndLeftUntouched)
{
    BuildDesign();
    const uint64_t saved = KT_DesignDigest();
    const std::string writing = Path("writing.nvd");
    ASSERT_EQ(DB_SaveDataBase(writing.c_str()), 1) << E_LastError();
    // A writer inside a transaction: the journal holds the pages it changed.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(writing.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA cache_size = 1; BEGIN; UPDATE components SET x = x + 1; "
                               "UPDATE items SET x = x + 1; UPDATE junctions SET x = x + 1;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    // The files as the machine left them when the writer stopped there.
    const std::string left = Path("left.nvd");
    WriteBytes(left, ReadBytes(writing));
    WriteBytes(left + "-journal", ReadBytes(writing + "-journal"));
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    const std::string fileBefore = ReadBytes(left), journalBefore = ReadBytes(left + "-journal");
    ASSERT_FALSE(journalBefore.empty());

    OpenMarker();
    EXPECT_EQ(DB_LoadDataBase(left.c_str()), 0);
    const std::string error = E_LastError();
    EXPECT_NE(error.find("interrupted"), std::string::npos) << error;
    EXPECT_NE(error.find("left.nvd-journal"), std::string::npos) << error;
    EXPECT_EQ(error.find("damaged"), std::string::npos) << error;
    EXPECT_TRUE(MarkerOpen());
    EXPECT_EQ(ReadBytes(left), fileBefore);
    EXPECT_EQ(ReadBytes(left + "-journal"), journalBefore);
    // The message gives the sound way on, not the move of the journal.
    EXPECT_NE(error.find("let SQLite roll the write back"), std::string::npos) << error;
    EXPECT_NE(error.find("sqlite3 \"left.nvd\" \"PRAGMA quick_check\""), std::string::npos) << error;
    EXPECT_NE(error.find("Do not move or delete the journal"), std::string::npos) << error;
    EXPECT_EQ(error.find("move the journal away to read"), std::string::npos) << error;
    // Followed on a copy of both files: opened by a program that may write
    // it, the file is rolled back and loads as the design was saved.
    const std::string advised = Path("advised.nvd");
    WriteBytes(advised, fileBefore);
    WriteBytes(advised + "-journal", journalBefore);
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open_v2(advised.c_str(), &writer, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(writer, "PRAGMA quick_check", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(writer);
    EXPECT_FALSE(fs::exists(advised + "-journal") && fs::file_size(advised + "-journal") > 0);
    ASSERT_EQ(DB_LoadDataBase(advised.c_str()), 1) << E_LastError();
    EXPECT_EQ(KT_DesignDigest(), saved);
    OpenMarker();
    // With the journal moved away the file is read as the write left it:
    // half of its changes, which the checksum finds.
    fs::rename(left + "-journal", Path("kept-journal"));
    EXPECT_EQ(DB_LoadDataBase(left.c_str()), 0);
    EXPECT_NE(std::string(E_LastError()).find("damaged"), std::string::npos) << E_LastError();
    EXPECT_TRUE(MarkerOpen());
}

}  // namespace
