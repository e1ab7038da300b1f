#include "fuzz/design/design_fuzz.h"

#include "editor/objects/branches.h"
#include "editor/shell/caption.h"
#include "editor/shell/pagedraw.h"
#include "fuzz/support/quiet_interaction.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "platform/winsys/devices.h"

#include <QImage>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace design_fuzz {

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A design with one object of every kind on its first level and a second
// level.
void BuildSeedDesign()
{
    DB_DiscardDataBase();
    DB_CreateDataBase("Seed", "TOP", "P1");
    const int32_t symb = S_CreateSymbol(0, "GATE");
    S_AddEntry(symb, "A", -200, 0, 2, 0, 0, 0);
    S_AddEntry(symb, "Y", 200, 0, 2, 0, 0, 0);
    OA_Add(S_SymbolItemArray(symb), I_MakeText(0, 0, 0, 100, 80, "G", 1, 33, 3));
    for (int32_t kind : {1, 3, 4, 5}) {
        ItemRec shape{};
        shape.Kind = kind;
        shape.Flags = 1;
        shape.Layer = 40;
        shape.Width = 10;
        shape.P1 = 500;
        shape.P2 = 300;
        shape.P3 = 90000;
        OA_Add(S_SymbolItemArray(symb), I_MakeItem(&shape));
    }
    const int32_t pad = S_MakePadStack();
    OA_Add(S_PadStackItemArray(pad), I_MakeText(0, 0, 0, 100, 80, "P", 1, 97, 3));
    OM_Add(S_SymbolPadStackMap(symb), pad, 1);
    const int32_t dev = D_CreateDevice(0, "DEV", "PKG");
    D_AddGroup(dev, "A", "GATE");
    D_AddPin(dev, 1, 1, "A");
    D_AddPin(dev, 0, 2, "VCC");
    const int32_t comp = C_CreateComponent(0, "U1", 1, dev, symb, 1, 1000, 2000, 0);
    OA_Add(C_CompTextArray(comp), I_MakeText(0, 0, 0, 100, 80, "U1", 2, 33, 3));
    const int32_t comp2 = C_CreateComponent(0, "U2", 1, dev, symb, 1, 9000, 2000, 90000);
    const int32_t lay = L_CreateComponent(0, "IC1", 2, dev, symb, 1, 0, 0, 0);
    L_AddSchCompId(lay, comp);
    const int32_t net = N_CreateNet(0, 1, "N1");
    const int32_t node = N_CreateNode(net, 0, comp, 1, lay, 1);
    const int32_t node2 = N_CreateNode(net, 0, comp2, 1, 0, 0);
    const int32_t bus = N_CreateBus(0, 5, "BUS");
    N_SetBusMember(bus, 0, net);
    const int32_t junction = J_CreateJunction(0, 3, 5000, 2000);
    const int32_t branch = B_CreateBranch(0, 1, net);
    B_InsertRecord(branch, -1, 3, node);
    B_InsertRecord(branch, -1, 5, junction);
    B_InsertRecord(branch, -1, 3, node2);
    OA_Add(B_BranchTextArray(branch), I_MakeText(0, 0, 0, 100, 80, "N1", 2, 33, 3));
    const int32_t bend = T_CreateBendPoint(0, 1, 100, 200);
    V_CreateVia(0, 1, 300, 400, 2, 1);
    const int32_t trace = T_CreateTrace(0, 0, net);
    T_InsertRecord(trace, -1, 2, node, 1, 254);
    T_InsertRecord(trace, -1, 4, bend, 1, 254);
    OA_Add(DB_LayoutTextArray(), I_MakeText(0, 0, 0, 100, 80, "TOP", 1, 1, 3));
    F_Write(F_CreateFile(0, "DATA"), "abc", 3);
    // Two pages with a frame each, and the special symbols the editor makes.
    DB_CreatePage(0, "P2");
    for (const int32_t page : {1, 2}) {
        DB_SetCurPage(page);
        const int32_t frame = B_CreateBranch(-100 - page, 4, 0);
        std::vector<int32_t> corners;
        for (const auto& [x, y] : {std::pair{-4000, -3000}, {4000, -3000}, {4000, 3000}, {-4000, 3000}})
            corners.push_back(J_CreateJunction(0, 3, x * page, y));
        corners.push_back(corners.front());
        for (const int32_t corner : corners) B_InsertRecord(frame, -1, 5, corner);
        S_CreateSymbol(-1000 - page, "@PGENOTES");
    }
    DB_SetCurPage(1);
    S_CreateSymbol(-101, "@DESNOTES");
    DB_CreateHier(0, "SUB", "SHEET");
    DB_SetCurHier(1);
}

// The open design while a fuzzed image is loaded over it.
void OpenMarker()
{
    DB_DiscardDataBase();
    DB_CreateDataBase("Marker", "TOP", "P1");
    C_CreateComponent(0, "M1", 1, 0, S_CreateSymbol(0, "MS"), 1, 5, 6, 0);
}

bool MarkerOpen()
{
    const char* design = O_GetName(DB_DataBase());
    if (!design || std::string(design) != "Marker" || OM_GetCount(DB_SchCompMap()) != 1) return false;
    const char* name = O_GetName(C_Component(1));
    return name && std::string(name) == "M1";
}

std::vector<int32_t> WalkAll(int32_t map)
{
    std::vector<int32_t> ids;
    int32_t cursor = OM_GetFirst(map);
    while (int32_t id = OM_SearchMask(map, &cursor, 0, 0)) ids.push_back(id);
    return ids;
}

// Reads and draws every object of every page of every level.
void WalkAndDraw()
{
    QImage image(96, 64, QImage::Format_RGB32);
    winsys::Device device;
    device.kind = winsys::DeviceKind::Image;
    device.surface = &image;
    device.image = &image;
    const int32_t surface = winsys::RegisterDevice(device);
    for (int32_t symb : WalkAll(DB_SymbMap())) {
        SymbRec s{};
        S_ReadSymbol(symb, &s);
        for (int32_t i = 1; i <= s.Entries && i <= 64; ++i) {
            EntryRec e{};
            S_ReadEntry(symb, i, &e);
        }
    }
    for (int32_t dev : WalkAll(DB_DeviceMap())) {
        DeviceRec d{};
        D_ReadDevice(dev, &d);
        for (int32_t g = 1; g <= d.Groups && g <= 64; ++g) {
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
            for (int32_t i = 0; i < r.Members && i < 64; ++i) N_ReadBusMember(bus, i);
        }
        for (int32_t page : WalkAll(DB_PageMap())) {
            DB_SetCurPage(page);
            const ViewDCRec view{100, 96, 64, 0, 0, 0};
            if (G_OpenDC(surface, &view) != 1) continue;
            C_DrawAllComponents(0);
            B_DrawAllBranchMask(0, 0, 0);
            J_DrawAllJunctions(0);
            N_DrawAllNodes(0);
            for (int32_t n : WalkAll(DB_NetMap())) N_DrawNetRatsnest(n, 1, 1);
            for (int32_t b : WalkAll(DB_BranchMap())) {
                BranchRec r{};
                B_ReadBranch(b, &r);
                for (int32_t i = 1; i <= r.Points && i <= 64; ++i) {
                    BranchPointRec p{};
                    B_ReadRecord(b, i, &p);
                }
            }
            for (int32_t symb : WalkAll(DB_SymbMap())) S_DrawSymbol(symb, 0, 1);
            T_DrawLayoutText(1);
            G_CloseDC();
        }
    }
    winsys::UnregisterDevice(surface);
}

// Reads the input's bytes in turn; zeros once they run out.
struct Bytes {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool More() const { return at < size; }
    uint8_t Byte() { return at < size ? data[at++] : 0; }
    int32_t Long()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | Byte();
        return static_cast<int32_t>(v);
    }
};

struct TableInfo {
    std::string name;
    std::vector<std::string> columns;
};

std::vector<TableInfo> Tables(sqlite3* db)
{
    std::vector<TableInfo> tables;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name", -1, &st, nullptr);
    while (st && sqlite3_step(st) == SQLITE_ROW)
        tables.push_back({reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), {}});
    sqlite3_finalize(st);
    for (TableInfo& t : tables) {
        const std::string sql = "SELECT name FROM pragma_table_info('" + t.name + "')";
        sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
        while (st && sqlite3_step(st) == SQLITE_ROW)
            t.columns.push_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
    }
    return tables;
}

// Applies the input's edits to the image file; false when the file could
// not be opened.
bool Edit(const std::string& path, Bytes& in)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    const std::vector<TableInfo> tables = Tables(db);
    for (int edits = 0; in.More() && edits < 16 && !tables.empty(); ++edits) {
        const uint8_t op = in.Byte();
        const TableInfo& t = tables[in.Byte() % tables.size()];
        if (t.columns.empty()) continue;
        const std::string column = t.columns[in.Byte() % t.columns.size()];
        const int row = in.Byte();
        const std::string pick =
            "rowid = (SELECT rowid FROM \"" + t.name + "\" LIMIT 1 OFFSET " + std::to_string(row) + " % (SELECT max(1, count(*)) FROM \"" + t.name + "\"))";
        std::string sql;
        switch (op % 6) {
        case 0:
        case 1: sql = "UPDATE \"" + t.name + "\" SET \"" + column + "\" = ?1 WHERE " + pick; break;
        case 2: sql = "UPDATE \"" + t.name + "\" SET \"" + column + "\" = \"" + column + "\" + ?1 WHERE " + pick; break;
        case 3: sql = "DELETE FROM \"" + t.name + "\" WHERE " + pick; break;
        case 4: sql = "INSERT INTO \"" + t.name + "\" SELECT * FROM \"" + t.name + "\" WHERE " + pick; break;
        default: sql = "UPDATE \"" + t.name + "\" SET \"" + column + "\" = ?1 WHERE " + pick; break;
        }
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
            sqlite3_finalize(st);
            continue;
        }
        switch (op % 6) {
        case 0:
        case 2: sqlite3_bind_int(st, 1, in.Long()); break;
        case 1: {
            std::string text;
            for (uint8_t n = in.Byte() % 24; n > 0; --n) text += static_cast<char>(in.Byte());
            if (op & 0x40) sqlite3_bind_blob(st, 1, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
            else sqlite3_bind_text(st, 1, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
            break;
        }
        case 5: sqlite3_bind_null(st, 1); break;
        default: break;
        }
        sqlite3_step(st);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return true;
}

}  // namespace

bool EditImage(const std::string& path, const uint8_t* data, size_t size)
{
    Bytes in{data, size};
    return Edit(path, in);
}

void RunStartUpRepairs()
{
    // What the editor's start-up does to the design it opens: wires with
    // references that are gone removed, every page's frame made whole, the
    // shown page's frame rebuilt; then, as each page of the level is shown,
    // its special symbols made.
    int32_t removed = 0;
    RemoveBrokenBranches(removed);
    if (removed != 0) MakeHeap(2, 0);
    RepairPageFrames();
    ReadCurrentPage();
    if (g_CurPage > 0) RebuildFrameBranch();
    const int32_t shown = DB_CurPage();
    for (const int32_t page : WalkAll(DB_PageMap())) {
        DB_SetCurPage(page);
        ReadCurrentPage();
        EnsureSpecialSymbols();
    }
    if (shown > 0) DB_SetCurPage(shown);
    ReadCurrentPage();
    EnsureSpecialSymbols();
}

std::string FrameProblems()
{
    std::string problems;
    const int32_t current = DB_CurHier();
    for (const int32_t level : WalkAll(DB_HierarchyMap())) {
        DB_SetCurHier(level);
        std::map<int32_t, int32_t> owner;  // corner junction -> page whose frame names it
        for (const int32_t page : WalkAll(DB_PageMap())) {
            const int32_t frame = -100 - page;
            BranchRec branch{};
            if (B_ReadBranch(frame, &branch) == 0 || branch.Points == 0) continue;
            const std::string where = "level " + std::to_string(level) + ", page " + std::to_string(page) + ": ";
            if (branch.Page != page) problems += where + "the frame lies on page " + std::to_string(branch.Page) + "\n";
            std::vector<int32_t> refs;
            for (int32_t i = 1; i <= branch.Points; ++i) {
                BranchPointRec point{};
                if (B_ReadRecord(frame, i, &point) == 1) refs.push_back((point.Flags & 6) == 4 ? point.Ref : 0);
            }
            if (refs.size() < 2 || refs.front() != refs.back()) {
                problems += where + "the frame is not closed\n";
                continue;
            }
            const std::set<int32_t> corners(refs.begin(), refs.end() - 1);
            if (corners.size() != refs.size() - 1) problems += where + "a corner is named twice\n";
            for (const int32_t corner : corners) {
                JunctionRec junction{};
                if (corner == 0 || J_ReadJunction(corner, &junction) == 0) {
                    problems += where + "corner " + std::to_string(corner) + " is no junction\n";
                    continue;
                }
                if (junction.Page != page)
                    problems += where + "corner " + std::to_string(corner) + " lies on page " +
                                std::to_string(junction.Page) + "\n";
                const auto [at, fresh] = owner.emplace(corner, page);
                if (!fresh)
                    problems += where + "corner " + std::to_string(corner) + " is also a corner of page " +
                                std::to_string(at->second) + "\n";
            }
        }
    }
    DB_SetCurHier(current);
    return problems;
}

const std::string& SeedImage()
{
    static const std::string seed = [] {
        const std::string path = fuzz_support::ScratchDir() + "/seed.nvd";
        BuildSeedDesign();
        if (DB_SaveDataBase(path.c_str()) != 1) {
            std::fprintf(stderr, "the seed design cannot be saved: %s\n", E_LastError());
            std::abort();
        }
        return ReadFile(path);
    }();
    return seed;
}

std::string CheckInput(const uint8_t* data, size_t size)
{
    fuzz_support::EnsureApplication();
    const fuzz_support::QuietScope quiet;
    const std::string& seed = SeedImage();
    const std::string path = fuzz_support::ScratchDir() + "/input.nvd";
    const std::string again = fuzz_support::ScratchDir() + "/saved.nvd";
    std::remove((path + "-journal").c_str());
    WriteFile(path, seed);
    if (!EditImage(path, data, size)) return "";
    if (KT_ResealFile(path.c_str()) != 1) return "";
    OpenMarker();
    if (DB_LoadDataBase(path.c_str()) != 1) {
        const char* text = E_LastError();
        if (!text || !*text) return "the load was refused without a text";
        if (!MarkerOpen()) return std::string("a refused load changed the open design: ") + text;
        return "";
    }
    WalkAndDraw();
    RunStartUpRepairs();
    WalkAndDraw();
    if (DB_SaveDataBase(again.c_str()) != 1) return std::string("an accepted design cannot be saved: ") + E_LastError();
    OpenMarker();
    if (DB_LoadDataBase(again.c_str()) != 1)
        return std::string("an accepted design, saved, cannot be loaded again: ") + E_LastError();
    if (const std::string frames = FrameProblems(); !frames.empty())
        return "an accepted design, repaired and saved, has a frame that is not whole: " + frames;
    return "";
}

}  // namespace design_fuzz

// The fuzzer's entry, in the fuzz target only (a test binary replays the
// seeds through CheckInput and may hold several checks).
#ifdef PALVANE_FUZZ_TARGET
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string problem = design_fuzz::CheckInput(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "design loader: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
#endif
