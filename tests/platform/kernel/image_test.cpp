// The database image, library files and file objects, through the
// kernel's exported functions only: round trips of a design holding every
// kind of object, damaged and foreign files, atomic saves, libraries with
// their temporary ids, notes files, and the file objects' byte semantics.
#include "platform/kernel/nvokernel32.h"
#include "tests/support/kernel_fixture.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using palvane_test::ReadBytes;
using palvane_test::WriteBytes;

// ---- Files -------------------------------------------------------------------------

// Files in `dir` whose names start with `prefix`.
std::vector<std::string> FilesStartingWith(const std::string& dir, const std::string& prefix)
{
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string().rfind(prefix, 0) == 0) found.push_back(e.path().filename().string());
    return found;
}

class KernelImage : public palvane_test::KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        char pattern[] = "/tmp/kernel-image-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, ec);
        fs::remove_all(dir_, ec);
        KernelTest::TearDown();
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    std::string dir_;
};

// ---- Walking everything through the exported functions ---------------------------

std::vector<int32_t> WalkAll(int32_t map)
{
    std::vector<int32_t> ids;
    int32_t cursor = OM_GetFirst(map);
    while (int32_t id = OM_SearchMask(map, &cursor, 0, 0)) ids.push_back(id);
    return ids;
}

std::string Str(const char* s)
{
    return s ? "\"" + std::string(s) + "\"" : "null";
}

void DumpItem(std::ostream& out, int32_t item)
{
    ItemRec r{};
    if (I_ReadItem(item, &r) != 1) {
        out << "  item unreadable\n";
        return;
    }
    out << "  item kind " << r.Kind << " flags " << r.Flags << " status " << O_GetStatus(item) << " link " << r.Link
        << " at " << r.X << "," << r.Y << " layer " << int{r.Layer} << " style " << int{r.Style} << " width "
        << r.Width << " gap " << r.Gap << " angle " << r.Angle << " p " << r.P1 << "," << r.P2 << "," << r.P3 << ","
        << r.P4 << " text " << Str(r.Text) << " name " << Str(O_GetName(item)) << "\n";
}

void DumpItems(std::ostream& out, const char* what, int32_t array)
{
    const int32_t n = OA_GetCount(array);
    out << " " << what << " " << n << "\n";
    for (int32_t i = 1; i <= n; ++i) DumpItem(out, OA_Object(array, i));
}

void DumpEntry(std::ostream& out, const EntryRec& e)
{
    out << "  entry " << e.Number << " flags " << e.Flags << " at " << e.X << "," << e.Y << " name " << Str(e.Name)
        << " key " << e.KeyOrTextX << " text " << e.TextY << "," << e.TextAngle << " swap " << e.SwapLevel
        << " label " << Str(e.Label) << "\n";
}

void DumpPadStack(std::ostream& out, int32_t key, int32_t padStack)
{
    PadStackRec r{};
    if (S_ReadPadStack(padStack, &r) != 1) {
        out << " pad stack " << key << " unreadable\n";
        return;
    }
    out << " pad stack " << key << " flags " << r.Flags << " hole " << r.Hole << "," << r.Hole2 << " name "
        << Str(O_GetName(padStack)) << "\n";
    DumpItems(out, "pad items", S_PadStackItemArray(padStack));
}

void DumpSymbol(std::ostream& out, int32_t symb)
{
    SymbRec r{};
    if (S_ReadSymbol(symb, &r) != 1) return;
    out << "symbol " << symb << " flags " << r.Flags << " status " << O_GetStatus(S_Symbol(symb)) << " name "
        << Str(r.Name) << " entries " << r.Entries << "\n";
    const int32_t entries = S_SymbolEntryArray(symb);
    for (int32_t i = 1; i <= r.Entries; ++i) {
        EntryRec e{};
        S_ReadEntry(symb, i, &e);
        DumpEntry(out, e);
        out << "   entry status " << O_GetStatus(OA_Object(entries, i)) << "\n";
    }
    DumpItems(out, "items", S_SymbolItemArray(symb));
    const int32_t pads = S_SymbolPadStackMap(symb);
    for (int32_t key : WalkAll(pads)) DumpPadStack(out, key, OM_Object(pads, key));
}

void DumpPins(std::ostream& out, const char* what, int32_t pins)
{
    const int32_t n = OA_GetCount(pins);
    out << " " << what << " " << n << "\n";
    for (int32_t i = 1; i <= n; ++i) {
        PinRec p{};
        D_ReadPin(pins, i, &p);
        out << "  pin " << p.Number << " " << Str(p.Name) << " status " << O_GetStatus(OA_Object(pins, i)) << "\n";
    }
}

void DumpDevice(std::ostream& out, int32_t device)
{
    DeviceRec r{};
    if (D_ReadDevice(device, &r) != 1) return;
    out << "device " << device << " flags " << r.Flags << " name " << Str(r.Name) << " prefix " << Str(r.Prefix)
        << " package " << Str(r.Package) << " supply " << r.SupplyPins << " groups " << r.Groups << "\n";
    for (int32_t g = 1; g <= r.Groups; ++g) {
        GroupRec gr{};
        D_ReadGroup(device, g, &gr);
        out << " group " << g << " " << Str(gr.Name) << " symbol " << Str(gr.SymbName) << " pins " << gr.Pins
            << " status " << O_GetStatus(OA_Object(D_GroupArray(device), g)) << "\n";
        DumpPins(out, "pins", D_GroupPinArray(device, g));
    }
    DumpPins(out, "supply pins", D_SupplyPinArray(device));
}

// Negative ids the design may use: walks skip them, so they are asked for.
const std::vector<int32_t> kNegativeSymbols{-1, -2, -101, -102, -401, -801, -1001, -1101, -12001, -13001};

void DumpLevel(std::ostream& out, int32_t hier)
{
    DB_SetCurHier(hier);
    const int32_t level = OM_Object(DB_HierarchyMap(), hier);
    out << "level " << hier << " " << Str(O_GetName(level)) << " status " << O_GetStatus(level) << " current page "
        << DB_CurPage() << "\n";
    std::vector<int32_t> pages = WalkAll(DB_PageMap());
    for (int32_t p : pages) {
        PageRec r{};
        DB_ReadPage(p, &r);
        out << "page " << p << " " << Str(r.Name) << " flags " << r.Flags << " hier " << r.Hier << " view " << r.ViewX
            << "," << r.ViewY << "," << r.ViewMode << "," << r.ViewSize << "\n";
    }
    for (int32_t c : WalkAll(DB_SchCompMap())) {
        CompRec r{};
        C_ReadComponent(c, &r);
        out << "comp " << c << " " << Str(r.Name) << " flags " << r.Flags << " at " << r.X << "," << r.Y << " symb "
            << r.Symb << " device " << r.Device << " pack " << r.LayComp << "," << r.Group << " page " << r.Page
            << " info " << r.Info << " angle " << r.Angle << " extra " << r.Extra << "\n";
        EntryRec e{};
        for (int32_t i = 1; C_ReadEntry(c, i, &e) == 1; ++i) DumpEntry(out, e);
        DumpItems(out, "texts", C_CompTextArray(c));
    }
    for (int32_t c : WalkAll(DB_LayCompMap())) {
        LayCompRec r{};
        L_ReadComponent(c, &r);
        out << "laycomp " << c << " " << Str(r.Name) << " flags " << r.Flags << " at " << r.X << "," << r.Y
            << " angle " << r.Angle << " symb " << r.Symb << " device " << r.Device << " extra " << r.Extra
            << " parts " << r.Parts << ":";
        for (int32_t i = 1; i <= r.Parts; ++i) out << " " << L_GetSchCompId(c, i);
        out << "\n";
        EntryRec e{};
        for (int32_t i = 1; L_ReadEntry(c, i, &e) == 1; ++i) DumpEntry(out, e);
        DumpItems(out, "texts", L_CompTextArray(c));
    }
    for (int32_t n : WalkAll(DB_NetMap())) {
        NetRec r{};
        N_ReadNet(n, &r);
        out << "net " << n << " " << Str(r.Name) << " flags " << r.Flags << " nodes " << r.Nodes << " bus " << r.Bus
            << "\n";
        for (int32_t node : WalkAll(N_NodeMap(n))) {
            for (int32_t view : {0, 1}) {
                N_SetNodeView(view);
                NodeRec nr{};
                N_ReadNode(n, node, &nr);
                out << " node " << node << " view " << view << " flags " << nr.Flags << " sch " << nr.Comp << ","
                    << nr.Entry << " lay " << nr.LayComp << "," << nr.LayEntry << " at " << nr.X << "," << nr.Y
                    << "\n";
            }
            N_SetNodeView(0);
        }
    }
    for (int32_t b : WalkAll(DB_BusMap())) {
        BusRec r{};
        N_ReadBus(b, &r);
        out << "bus " << b << " " << Str(r.Name) << " flags " << r.Flags << " members";
        for (int32_t i = 0; i < r.Members; ++i) out << " " << N_ReadBusMember(b, i);
        out << "\n";
    }
    std::vector<int32_t> branches = WalkAll(DB_BranchMap());
    for (int32_t p : pages) branches.push_back(-100 - p);
    for (int32_t b : branches) {
        BranchRec r{};
        if (B_ReadBranch(b, &r) != 1) continue;
        out << "branch " << b << " flags " << r.Flags << " status " << O_GetStatus(B_Branch(b)) << " net " << r.Net
            << " page " << r.Page << " points " << r.Points << "\n";
        for (int32_t i = 1; i <= r.Points; ++i) {
            BranchPointRec pr{};
            B_ReadRecord(b, i, &pr);
            out << "  point " << pr.Flags << " ref " << pr.Ref << " at " << pr.X << "," << pr.Y << "\n";
        }
        DumpItems(out, "texts", B_BranchTextArray(b));
    }
    for (int32_t j : WalkAll(DB_JunctMap())) {
        JunctionRec r{};
        J_ReadJunction(j, &r);
        out << "junction " << j << " flags " << r.Flags << " at " << r.X << "," << r.Y << " page " << r.Page << "\n";
    }
    for (int32_t t : WalkAll(DB_TraceMap())) {
        TraceRec r{};
        T_ReadTrace(t, &r);
        out << "trace " << t << " flags " << r.Flags << " net " << r.Net << " points " << r.Points << "\n";
        for (int32_t i = 1; i <= r.Points; ++i) {
            TracePointRec pr{};
            T_ReadRecord(t, i, &pr);
            out << "  point " << pr.Flags << " ref " << pr.Ref << " layer " << pr.Layer << " width " << pr.Width
                << " at " << pr.X << "," << pr.Y << "\n";
        }
    }
    for (int32_t v : WalkAll(DB_ViaMap())) out << "via " << v << " status " << O_GetStatus(V_Via(v)) << "\n";
    for (int32_t bp = 1; bp <= 40; ++bp)
        if (int32_t h = T_BendPoint(bp)) out << "bend point " << bp << " status " << O_GetStatus(h) << "\n";
    for (int32_t f : WalkAll(DB_FileMap())) {
        const int32_t position = F_Seek(f, 0, 1);
        std::string bytes(static_cast<size_t>(F_GetLength(f)), '\0');
        F_Seek(f, 0, 0);
        const int32_t read = F_Read(f, bytes.data(), static_cast<int32_t>(bytes.size()));
        F_Seek(f, position, 0);
        out << "file " << f << " " << Str(O_GetName(F_File(f))) << " status " << O_GetStatus(F_File(f))
            << " position " << position << " read " << read << " bytes";
        for (unsigned char ch : bytes) out << " " << int{ch};
        out << "\n";
    }
    DumpItems(out, "layout texts", DB_LayoutTextArray());
}

// The whole open design as text.
std::string Dump()
{
    std::ostringstream out;
    out << "design " << Str(O_GetName(DB_DataBase())) << " status " << O_GetStatus(DB_DataBase()) << "\n";
    if (!DB_DataBase()) return out.str();
    out << "text sizes";
    const int32_t* sizes = DB_TextSizeTable();
    for (int i = 0; i < 96; ++i) out << " " << sizes[i];
    out << "\n";
    std::vector<int32_t> symbols = WalkAll(DB_SymbMap());
    symbols.insert(symbols.end(), kNegativeSymbols.begin(), kNegativeSymbols.end());
    for (int32_t s : symbols) DumpSymbol(out, s);
    std::vector<int32_t> devices = WalkAll(DB_DeviceMap());
    devices.push_back(-1);
    for (int32_t d : devices) DumpDevice(out, d);
    for (int32_t key : WalkAll(DB_PadStackMap())) DumpPadStack(out, key, OM_Object(DB_PadStackMap(), key));
    const int32_t current = DB_CurHier();
    out << "current level " << current << "\n";
    for (int32_t h : WalkAll(DB_HierarchyMap())) DumpLevel(out, h);
    DB_SetCurHier(current);
    return out.str();
}

// What the design hands out next, in every level: the ids its heaps give
// (reservations included) and the lowest free ids of each kind. Changes the
// design, so it runs last.
std::string Probe()
{
    std::ostringstream out;
    const int32_t current = DB_CurHier();
    for (int32_t h : WalkAll(DB_HierarchyMap())) {
        DB_SetCurHier(h);
        out << "level " << h;
        for (int32_t kind : {1, 2, 3}) out << " heap " << kind << ": " << GetFreeID(kind) << "," << GetFreeID(kind);
        out << " page " << DB_CreatePage(0, "p") << " net " << N_CreateNet(0, 1, "n") << " file "
            << F_CreateFile(0, "f") << "\n";
        if (DB_CurPage())
            out << " comp " << C_CreateComponent(0, "c", 1, 0, 1, 0, 0, 0, 0) << " branch "
                << B_CreateBranch(0, 1, 0) << " junction " << J_CreateJunction(0, 3, 0, 0) << "\n";
    }
    DB_SetCurHier(current);
    out << "symbol " << S_CreateSymbol(0, "s") << " device " << D_CreateDevice(0, "d", "p") << "\n";
    return out.str();
}

// ---- A design holding every kind of object -----------------------------------------

int32_t AddText(int32_t array, const char* text, int32_t flags, int32_t x = 10, int32_t y = 20, int32_t link = 0)
{
    const int32_t item = I_MakeText(x, y, 90000, 1200, 800, text, flags, 33, 3);
    I_ChangeItemLink(item, link);
    I_ChangeItemGap(item, 7);
    return OA_Add(array, item);
}

int32_t AddShape(int32_t array, int32_t kind, int32_t layer, int32_t link = 0)
{
    ItemRec r{};
    r.Kind = kind;
    r.Flags = 1 | 2048;
    r.Link = link;
    r.X = -300 * kind;
    r.Y = 450;
    r.Layer = static_cast<uint8_t>(layer);
    r.Style = 16;
    r.Width = 254;
    r.Gap = 3;
    r.Angle = 45000;
    r.P1 = 1000;
    r.P2 = -2000;
    r.P3 = kind == 2 || kind == 5 ? 3000 : 0;
    r.P4 = kind == 2 ? -4000 : 0;
    return OA_Add(array, I_MakeItem(&r));
}

int32_t AddPadStack(int32_t map, int32_t key, int32_t hole, int32_t layer)
{
    const int32_t ps = S_MakePadStack();
    S_ChangePadStackHole(ps, hole, hole / 2);
    AddShape(S_PadStackItemArray(ps), 3, 96 + layer);
    AddShape(S_PadStackItemArray(ps), 4, 96 + layer + 1);
    O_Mask(ps, 8, 8);
    return OM_Add(map, ps, key);
}

void WriteFile(int32_t file, const std::string& bytes)
{
    F_Write(file, bytes.data(), static_cast<int32_t>(bytes.size()));
}

void BuildRichDesign()
{
    O_Mask(DB_DataBase(), 64, 64);
    int32_t* sizes = DB_TextSizeTable();
    sizes[0] = 1234;
    sizes[50] = -7;
    sizes[95] = 2147483647;

    // Symbols: a schematic gate, a package with its own pad stacks, fixed
    // negative ones and the library temporaries; a gap in the ids.
    const int32_t nand = S_CreateSymbol(0, "NAND");
    O_Mask(S_Symbol(nand), 1, 3);
    S_AddEntry(nand, "A", -200, 100, 2, 11, 12, 13);
    S_AddEntry(nand, "B", -200, -100, 0, -5, 6, 90000);
    S_AddEntry(nand, "Y", 300, 0, 2, 0, 0, 0);
    S_ChangeEntrySwapLevel(nand, 1, 1);
    S_ChangeEntrySwapLevel(nand, 2, 1);
    O_Mask(OA_Object(S_SymbolEntryArray(nand), 3), 256, 256);
    for (int32_t kind = 1; kind <= 5; ++kind) AddShape(S_SymbolItemArray(nand), kind, 40 + kind);
    AddText(S_SymbolItemArray(nand), "&", 1);
    const int32_t gone = S_CreateSymbol(0, "GONE");
    const int32_t dip = S_CreateSymbol(0, "DIP8");
    O_Mask(S_Symbol(dip), 2, 3);
    AddPadStack(S_SymbolPadStackMap(dip), 1, 8000, 1);
    AddPadStack(S_SymbolPadStackMap(dip), 2, 0, 2);
    for (int32_t pin = 1; pin <= 8; ++pin)
        S_AddEntry(dip, std::to_string(pin).c_str(), (pin - 1) % 4 * 100000, pin > 4 ? 300000 : 0, 0,
                   pin == 1 ? 1 : 2, 0, 0);
    AddShape(S_SymbolItemArray(dip), 3, 21);
    OM_Delete(DB_SymbMap(), gone);
    S_CreateSymbol(-101, "@DESNOTES");
    AddText(S_SymbolItemArray(-101), "Design notes \xB5", 1);
    S_CreateSymbol(-401, "@COPPAR");
    O_Mask(S_Symbol(-401), 2, 2);
    AddShape(S_SymbolItemArray(-401), 3, 97, 1);
    S_CreateSymbol(-1001, "@PGENOTES");
    S_CreateSymbol(-12001, "ZoneSymbol");
    S_CreateSymbol(-2, "TMPGATE");
    S_AddEntry(-2, "IN", 0, 0, 0, 0, 0, 0);
    S_CreateSymbol(-1, "TMPPKG");
    AddPadStack(S_SymbolPadStackMap(-1), 5, 100, 3);
    S_CreateSymbol(0, std::string(255, 'S').c_str());

    // The design's pad stacks.
    AddPadStack(DB_PadStackMap(), 3, 9000, 1);
    AddPadStack(DB_PadStackMap(), 7, 0, 4);

    // Devices with groups, pins and supply pins, and the temporary one.
    const int32_t dev = D_CreateDevice(0, "7400", "DIP8 \x80" "14");
    D_ChangeDevicePrefix(dev, "U");
    D_AddGroup(dev, "A", "NAND");
    D_AddGroup(dev, "B", "NAND");
    D_AddPin(dev, 1, 1, "A");
    D_AddPin(dev, 1, 2, "B");
    D_AddPin(dev, 1, 3, "Y");
    D_AddPin(dev, 2, 4, "A");
    D_AddPin(dev, 2, 5, "B");
    D_AddPin(dev, 2, 6, "Y");
    D_AddPin(dev, 0, 8, "VCC");
    D_AddPin(dev, 0, 7, "GND");
    O_Mask(D_Device(dev), 128, 128);
    O_Mask(OA_Object(D_GroupArray(dev), 2), 64, 64);
    O_Mask(OA_Object(D_GroupPinArray(dev, 1), 2), 16, 16);
    D_CreateDevice(-1, "TMPDEV", "SO8");
    D_AddGroup(-1, "G", "TMPGATE");

    // Level 1: pages (one deleted), stored views.
    DB_CreatePage(0, "SECOND");
    DB_CreatePage(0, "GONE");
    OM_Delete(DB_PageMap(), 3);
    DB_CreatePage(5, "FIFTH");
    DB_ChangePageDispl(1, -5000, 7000, 1, 2540);
    O_Mask(DB_Page(2), 16, 16);
    O_Mask(OM_Object(DB_HierarchyMap(), 1), 512, 512);

    // Components with texts, one deleted, one with a 255-byte name.
    const int32_t c1 = C_CreateComponent(0, "U1A", 1, dev, nand, 1, 100000, 200000, 0);
    const int32_t c2 = C_CreateComponent(0, "U1B", 3, dev, nand, 5, -100000, 200000, 90000);
    const int32_t cGone = C_CreateComponent(0, "GONE", 1, 0, nand, 1, 0, 0, 0);
    DB_SetCurPage(2);
    const int32_t c3 = C_CreateComponent(0, "R\xB5", 1 | 32, 0, nand, 1, 7, 8, 45000);
    C_CreateComponent(0, std::string(255, 'C').c_str(), 1, 0, dip, 1, 0, 0, 0);
    DB_SetCurPage(1);
    AddText(C_CompTextArray(c1), "U1A", 130);
    AddText(C_CompTextArray(c1), "1", 144, 5, 5, 1);
    AddText(C_CompTextArray(c2), "", 132);
    C_ChangeItemMask(c2, 99);

    // A layout component holding both gates and a stale slot.
    const int32_t lc = L_CreateComponent(0, "IC1", 2, dev, dip, 1, 500000, 600000, 180000);
    L_AddSchCompId(lc, c1);
    L_AddSchCompId(lc, c2);
    L_AddSchCompId(lc, cGone);
    L_AddSchCompId(lc, c3);
    L_ChangeSchCompId(lc, 4, 0);
    C_ChangeCompPackInfo(c1, lc, 1);
    C_ChangeCompPackInfo(c2, lc, 2);
    OM_Delete(DB_SchCompMap(), cGone);
    AddText(L_CompTextArray(lc), "IC1", 2);

    // Nets with nodes on both sides, one side only, an explicit node id.
    const int32_t clk = N_CreateNet(0, 5, "CLK");
    const int32_t un = N_CreateNet(0, 1, "UN1");
    const int32_t d0 = N_CreateNet(0, 1 | 8, "D0");
    const int32_t d1 = N_CreateNet(0, 1 | 8, "D1");
    const int32_t n1 = N_CreateNode(clk, 0, c1, 1, lc, 1);
    const int32_t n2 = N_CreateNode(clk, 0, c2, 3, lc, 6);
    const int32_t n3 = N_CreateNode(un, 0, c1, 3, 0, 0);
    N_CreateNode(un, 0, 0, 0, lc, 3);
    N_CreateNode(d0, 40, c3, 1, 0, 0);
    O_Mask(N_Node(clk, n1), 2 | 4 | 256, 2 | 4 | 256);
    O_Mask(N_Net(clk), 1024, 1024);

    // A bus with members; a deleted member net leaves its slot free.
    const int32_t bus = N_CreateBus(0, 5, "DATA");
    const int32_t temp = N_CreateNet(0, 1, "TEMP");
    N_SetBusMember(bus, 0, d0);
    N_SetBusMember(bus, 1, temp);
    N_SetBusMember(bus, 2, d1);
    OM_Delete(DB_NetMap(), temp);

    // Junctions, wires with node and junction records, texts, a record
    // whose junction has gone (it keeps the position it last showed).
    const int32_t j1 = J_CreateJunction(0, 11, 300000, 200000);
    const int32_t j2 = J_CreateJunction(0, 3, 300000, 900000);
    const int32_t jGone = J_CreateJunction(0, 3, 7777, 8888);
    const int32_t b1 = B_CreateBranch(0, 1, clk);
    B_InsertRecord(b1, -1, 3, n1);
    B_InsertRecord(b1, -1, 5, j1);
    B_InsertRecord(b1, -1, 5, j2);
    B_InsertRecord(b1, -1, 5, jGone);
    BranchPointRec shown{};
    B_ReadRecord(b1, 4, &shown);
    AddToHeap(0, jGone, 2);
    B_MaskRecord(b1, 2, 256, 256);
    AddText(B_BranchTextArray(b1), "CLK", 2);
    const int32_t bj1 = J_CreateJunction(0, 15, 0, 0);
    const int32_t bj2 = J_CreateJunction(0, 7, 0, 500000);
    const int32_t bb = B_CreateBranch(0, 3, bus);
    B_InsertRecord(bb, -1, 5, bj1);
    B_InsertRecord(bb, -1, 5, bj2);
    AddText(B_BranchTextArray(bb), "DATA", 4);
    AddText(B_BranchTextArray(bb), "D0", 8, 0, 0, 0);
    O_Mask(B_Branch(bb), 8192, 8192);
    const int32_t b3 = B_CreateBranch(0, 1, un);
    B_InsertRecord(b3, -1, 3, n3);
    B_InsertRecord(b3, 1, 5, j1);

    // The page frames.
    int32_t corners[4];
    for (int i = 0; i < 4; ++i) corners[i] = J_CreateJunction(0, 2, i % 2 * 1000000, i / 2 * 800000);
    B_CreateBranch(-101, 4, 0);
    for (int32_t c : corners) B_InsertRecord(-101, -1, 5, c);
    B_InsertRecord(-101, -1, 5, corners[0]);
    O_Mask(B_Branch(-101), 256, 256);
    DB_SetCurPage(2);
    B_CreateBranch(-102, 4, 0);
    B_InsertRecord(-102, -1, 5, J_CreateJunction(0, 2, 1, 2));
    DB_SetCurPage(1);

    // Layout: bend points, vias, traces with all three kinds of record.
    const int32_t bp1 = T_CreateBendPoint(0, 1, 100, 200);
    const int32_t bpGone = T_CreateBendPoint(0, 1, 5, 5);
    const int32_t bp3 = T_CreateBendPoint(0, 1 | 128, 300, 400);
    AddToHeap(0, bpGone, 1);
    const int32_t v1 = V_CreateVia(0, 1, 30000, 40000, 3, 1);
    O_Mask(V_Via(v1), 128, 128);
    const int32_t t1 = T_CreateTrace(0, 0, clk);
    T_InsertRecord(t1, -1, 2, n1, 1, 254);
    T_InsertRecord(t1, -1, 4, bp1, 1, 254);
    T_InsertRecord(t1, -1, 8, v1, 2, 500);
    T_InsertRecord(t1, -1, 4, bp3, 2, 500);
    T_InsertRecord(t1, -1, 2, n2, 2, 500);
    T_MaskRecord(t1, 2, 128, 128);
    O_Mask(T_Trace(t1), 64, 64);
    AddText(DB_LayoutTextArray(), "TOP", 1);
    AddShape(DB_LayoutTextArray(), 1, 1);

    // File objects: binary bytes with a position left inside, an empty one,
    // a marked one.
    const int32_t f1 = F_CreateFile(0, "HIERSTCK");
    std::string bytes;
    for (int i = 0; i < 300; ++i) bytes.push_back(static_cast<char>(i * 7));
    WriteFile(f1, bytes);
    F_Seek(f1, 17, 0);
    F_CreateFile(0, "!SEX");
    const int32_t f3 = F_CreateFile(0, "@Bitmap@");
    F_SetLength(f3, 52 * 3);
    O_Mask(F_File(f3), 4, 4);

    // Ids handed out by the heaps and not used yet.
    GetFreeID(2);
    GetFreeID(2);
    GetFreeID(1);
    GetFreeID(3);

    // Level 2, current, with its own objects, and an empty level 7.
    DB_CreateHier(0, "SUB", "SHEET1");
    DB_SetCurHier(2);
    DB_CreatePage(0, "SHEET2");
    DB_SetCurPage(2);
    const int32_t s1 = C_CreateComponent(0, "U9", 1, 0, nand, 1, 1, 2, 0);
    const int32_t net = N_CreateNet(0, 1, "CLK");
    const int32_t node = N_CreateNode(net, 0, s1, 2, 0, 0);
    const int32_t sj = J_CreateJunction(0, 3, 50, 60);
    const int32_t sb = B_CreateBranch(0, 1, net);
    B_InsertRecord(sb, -1, 3, node);
    B_InsertRecord(sb, -1, 5, sj);
    WriteFile(F_CreateFile(0, "HIERSTCK"), std::string("\0\1\2", 3));
    GetFreeID(3);
    DB_CreateHier(7, "EMPTY", nullptr);
    DB_SetCurHier(1);
    DB_SetCurPage(2);
    DB_SetCurHier(2);
}

// ---- Round trips ---------------------------------------------------------------------

TEST_F(KernelImage, RichDesignRoundTripsExactly)
{
    BuildRichDesign();
    const std::string before = Dump();
    const std::string path = Path("design.nvd");
    ASSERT_EQ(DB_SaveDataBase(path.c_str()), 1) << E_LastError();
    EXPECT_STREQ(E_LastError(), "");
    EXPECT_EQ(Dump(), before) << "saving changed the open design";
    EXPECT_TRUE(FilesStartingWith(dir_, "design.nvd.tmp").empty());
    const std::string probeBefore = Probe();

    DB_DiscardDataBase();
    ASSERT_EQ(DB_LoadDataBase(path.c_str()), 1) << E_LastError();
    EXPECT_STREQ(E_LastError(), "");
    EXPECT_EQ(DB_CurHier(), 2);
    EXPECT_EQ(DB_CurPage(), 2);
    EXPECT_EQ(Dump(), before);

    // Saving the loaded design again gives the same file, byte for byte:
    // what the exported calls do not show came back too.
    const std::string again = Path("again.nvd");
    ASSERT_EQ(DB_SaveDataBase(again.c_str()), 1) << E_LastError();
    EXPECT_TRUE(ReadBytes(path) == ReadBytes(again));

    // The heaps, with their reservations, and the free ids of every kind.
    EXPECT_EQ(Probe(), probeBefore);
}

TEST_F(KernelImage, LoadReplacesTheOpenDesignAndItsHandles)
{
    const int32_t oldComp = C_CreateComponent(0, "OLD", 1, 0, S_CreateSymbol(0, "S"), 1, 0, 0, 0);
    const std::string path = Path("a.nvd");
    ASSERT_EQ(DB_SaveDataBase(path.c_str()), 1);
    const int32_t handle = C_Component(oldComp);
    const int32_t map = DB_SchCompMap();
    ASSERT_NE(handle, 0);
    // Loading over an open design (the host does not discard first).
    ASSERT_EQ(DB_LoadDataBase(path.c_str()), 1) << E_LastError();
    EXPECT_EQ(O_GetStatus(handle), 0);
    EXPECT_EQ(O_GetName(handle), nullptr);
    EXPECT_EQ(OM_GetCount(map), 0);
    EXPECT_STREQ(O_GetName(C_Component(oldComp)), "OLD");
}

TEST_F(KernelImage, HeapsAreKeptWithTheImage)
{
    EXPECT_EQ(SaveHeap(2), 1);
    EXPECT_EQ(SaveHeap(1), 1);
    EXPECT_EQ(SaveHeap(3), 1);
    EXPECT_EQ(SaveHeap(4), 0);
    EXPECT_STRNE(E_LastError(), "");
    EXPECT_EQ(SaveHeap(0), 0);
    DB_DiscardDataBase();
    EXPECT_EQ(SaveHeap(2), 0);
}

// ---- Bad input ---------------------------------------------------------------------------

TEST_F(KernelImage, SaveAndLoadRefuseBadArguments)
{
    const std::string before = Dump();
    EXPECT_EQ(DB_SaveDataBase(nullptr), 0);
    EXPECT_STRNE(E_LastError(), "");
    EXPECT_EQ(DB_SaveDataBase(""), 0);
    EXPECT_EQ(DB_LoadDataBase(nullptr), 0);
    EXPECT_EQ(DB_LoadDataBase(""), 0);
    EXPECT_EQ(DB_LoadDataBase(Path("missing.nvd").c_str()), 0);
    EXPECT_NE(std::string(E_LastError()).find("missing.nvd"), std::string::npos) << E_LastError();
    EXPECT_NE(std::string(E_LastError()).find("no such file"), std::string::npos) << E_LastError();
    EXPECT_EQ(DB_LoadDataBase(dir_.c_str()), 0);
    EXPECT_EQ(Dump(), before);

    DB_DiscardDataBase();
    EXPECT_EQ(DB_SaveDataBase(Path("none.nvd").c_str()), 0);
    EXPECT_NE(std::string(E_LastError()).find("no design is open"), std::string::npos);
    EXPECT_FALSE(fs::exists(Path("none.nvd")));
    // A failed load with no design open leaves none open.
    EXPECT_EQ(DB_LoadDataBase(Path("missing.nvd").c_str()), 0);
    EXPECT_EQ(DB_DataBase(), 0);
}

// A library file to hand where a design image is expected, and back.
std::string MakeLibraryFile(const std::string& path, const char* kind)
{
    const int32_t symb = S_CreateSymbol(0, "LIBSYM");
    const int32_t dev = D_CreateDevice(0, "LIBDEV", "P");
    const int32_t lib = E_OpenLibrary(path.c_str(), kind, -1);
    EXPECT_NE(lib, 0) << E_LastError();
    const int32_t entry = E_OpenLibToWrite(lib, "ENTRY");
    if (std::string(kind) == "NorvoSLL00")
        EXPECT_EQ(S_SaveSymbol(symb, entry), 1) << E_LastError();
    else
        EXPECT_EQ(D_SaveDevice(lib, dev), 1) << E_LastError();
    E_CloseLibWrite(lib);
    E_CloseLibrary(lib);
    OM_Delete(DB_SymbMap(), symb);
    OM_Delete(DB_DeviceMap(), dev);
    return ReadBytes(path);
}

void SetBigEndian(std::string& bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[offset + static_cast<size_t>(i)] = static_cast<char>(value >> (24 - 8 * i));
}

TEST_F(KernelImage, DamagedAndForeignFilesAreRefusedAndChangeNothing)
{
    BuildRichDesign();
    const std::string richPath = Path("rich.nvd");
    ASSERT_EQ(DB_SaveDataBase(richPath.c_str()), 1) << E_LastError();
    const std::string rich = ReadBytes(richPath);
    const std::string richDump = Dump();
    const size_t size = rich.size();
    ASSERT_GT(size, 8 * 4096u);

    // The open design while the bad files are tried: a small other one.
    auto openMarker = [] {
        DB_DiscardDataBase();
        DB_CreateDataBase("Marker", "TOP", "P1");
        C_CreateComponent(0, "M1", 1, 0, S_CreateSymbol(0, "MS"), 1, 5, 6, 0);
    };
    openMarker();
    const std::string parts = MakeLibraryFile(Path("parts.lib"), "NorvoDLL00");
    const std::string symbols = MakeLibraryFile(Path("symbols.lib"), "NorvoSLL00");

    // Damage at an arbitrary offset may hit unused space and be harmless
    // (`mayLoad`); damage to stored rows, the header or the structure never is.
    struct Case {
        std::string name;
        std::function<std::string()> bytes;
        bool mayLoad = false;
    };
    auto flipped = [&](size_t offset) {
        return [&, offset] {
            std::string b = rich;
            b[offset] = static_cast<char>(b[offset] ^ 0x5A);
            return b;
        };
    };
    auto flippedAt = [&](const std::string& stored, bool last = false) {
        const size_t at = last ? rich.rfind(stored) : rich.find(stored);
        EXPECT_NE(at, std::string::npos) << "not stored as such: " << stored;
        return flipped(at == std::string::npos ? 0 : at + 1);
    };
    std::string fileBytes;
    for (int i = 0; i < 8; ++i) fileBytes.push_back(static_cast<char>(i * 7));
    auto zeroedPage = [&](size_t page) {
        return [&, page] {
            std::string b = rich;
            std::fill(b.begin() + static_cast<long>(page * 4096), b.begin() + static_cast<long>((page + 1) * 4096),
                      '\0');
            return b;
        };
    };
    auto truncated = [&](size_t length) { return [&, length] { return rich.substr(0, length); }; };
    auto version = [&](uint32_t v) {
        return [&, v] {
            std::string b = rich;
            SetBigEndian(b, 60, v);
            return b;
        };
    };
    const std::vector<Case> cases{
        {"empty file", [] { return std::string(); }},
        {"not SQLite at all", [] { return std::string("PALVANE design\nU1 7400\n"); }},
        {"SQLite header only", [] { return std::string("SQLite format 3\0", 16); }},
        {"truncated in the header", truncated(50)},
        {"truncated after the header", truncated(100)},
        {"truncated after page 1", truncated(4096)},
        {"truncated in the middle", truncated(size / 2)},
        {"truncated by one byte", truncated(size - 1)},
        {"flipped in the page size", flipped(16)},
        {"flipped in the change counter", flipped(25), true},
        {"flipped in the page count", flipped(31), true},
        {"flipped at page 1's tree header", flipped(100)},
        {"flipped in page 1's cells", flipped(4000), true},
        {"flipped at page 3's start", flipped(2 * 4096)},
        {"flipped in page 3's cells", flipped(3 * 4096 - 200), true},
        {"flipped in the middle", flipped(size / 2), true},
        {"flipped in the middle + 1000", flipped(size / 2 + 1000), true},
        {"flipped near the end", flipped(size - 100), true},
        {"flipped in the last byte", flipped(size - 1), true},
        {"flipped in a stored name", flippedAt("U1A")},
        {"flipped in a stored long name", flippedAt(std::string(255, 'C'))},
        {"flipped in a file object's bytes", flippedAt(fileBytes)},
        {"flipped in the file kind", flippedAt("design", true)},
        {"page 2 zeroed", zeroedPage(1)},
        {"a middle page zeroed", zeroedPage(size / 4096 / 2)},
        {"the last page zeroed", zeroedPage(size / 4096 - 1)},
        {"no format version", version(0)},
        {"a newer format version", version(2)},
        {"a much newer format version", version(0x7FFFFFFF)},
        {"a foreign application id",
         [&] {
             std::string b = rich;
             SetBigEndian(b, 68, 0x12345678);
             return b;
         }},
        {"a parts library", [&] { return parts; }},
        {"a symbol library", [&] { return symbols; }},
    };
    const std::string markerDump = Dump();
    int32_t markerHandle = C_Component(1);
    int32_t markerMap = DB_SchCompMap();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Path("bad.nvd");
        const std::string bytes = c.bytes();
        WriteBytes(path, bytes);
        const int32_t loaded = DB_LoadDataBase(path.c_str());
        if (!c.mayLoad) {
            EXPECT_EQ(loaded, 0);
        }
        if (loaded == 0) {
            EXPECT_STRNE(E_LastError(), "");
            EXPECT_NE(std::string(E_LastError()).find(path), std::string::npos) << E_LastError();
            EXPECT_EQ(Dump(), markerDump);
            EXPECT_EQ(O_GetStatus(markerHandle), 1);
            EXPECT_EQ(OM_GetCount(markerMap), 1);
        } else {
            // Damage where nothing is stored may be harmless: then the
            // design must be exactly the one saved.
            EXPECT_EQ(Dump(), richDump);
            openMarker();
            markerHandle = C_Component(1);
            markerMap = DB_SchCompMap();
        }
        EXPECT_TRUE(ReadBytes(path) == bytes) << "the file was changed";
    }
    // Specific texts for the cases a user meets.
    auto errorFor = [&](const std::string& bytes) {
        WriteBytes(Path("bad.nvd"), bytes);
        EXPECT_EQ(DB_LoadDataBase(Path("bad.nvd").c_str()), 0);
        return std::string(E_LastError());
    };
    EXPECT_NE(errorFor(version(2)()).find("newer version"), std::string::npos);
    EXPECT_NE(errorFor(parts).find("parts library"), std::string::npos);
    EXPECT_NE(errorFor("").find("empty"), std::string::npos);
    EXPECT_NE(errorFor("text").find("not an SQLite file"), std::string::npos);
    EXPECT_NE(errorFor(truncated(size / 2)()).find("damaged"), std::string::npos);
}

TEST_F(KernelImage, NoFlippedByteHalfLoadsADesign)
{
    // A byte flipped at offsets spread over the whole file: each load is
    // refused or gives the design exactly as saved, never anything between.
    BuildRichDesign();
    const std::string path = Path("rich.nvd");
    ASSERT_EQ(DB_SaveDataBase(path.c_str()), 1);
    const std::string rich = ReadBytes(path);
    const std::string richDump = Dump();
    DB_DiscardDataBase();
    DB_CreateDataBase("Marker", "TOP", "P1");
    const std::string markerDump = Dump();
    const std::string bad = Path("bad.nvd");
    for (size_t offset = 7; offset < rich.size(); offset += 211) {
        SCOPED_TRACE(offset);
        std::string bytes = rich;
        bytes[offset] = static_cast<char>(bytes[offset] ^ 0x21);
        WriteBytes(bad, bytes);
        if (DB_LoadDataBase(bad.c_str())) {
            ASSERT_EQ(Dump(), richDump);
            DB_DiscardDataBase();
            DB_CreateDataBase("Marker", "TOP", "P1");
        } else {
            ASSERT_EQ(Dump(), markerDump);
        }
    }
}

TEST_F(KernelImage, ChecksumCatchesChangedValues)
{
    // A value changed inside a row, with the page still well formed: only
    // the checksum can tell. Find the stored name and change one letter.
    C_CreateComponent(0, "UNIQUE_NAME_XYZ", 1, 0, S_CreateSymbol(0, "S"), 1, 0, 0, 0);
    const std::string path = Path("c.nvd");
    ASSERT_EQ(DB_SaveDataBase(path.c_str()), 1);
    std::string bytes = ReadBytes(path);
    const size_t at = bytes.find("UNIQUE_NAME_XYZ");
    ASSERT_NE(at, std::string::npos);
    bytes[at] = 'V';
    WriteBytes(path, bytes);
    const std::string before = Dump();
    EXPECT_EQ(DB_LoadDataBase(path.c_str()), 0);
    EXPECT_NE(std::string(E_LastError()).find("checksum"), std::string::npos) << E_LastError();
    EXPECT_EQ(Dump(), before);
}

// ---- Atomic saving -------------------------------------------------------------------------

TEST_F(KernelImage, FailedSaveLeavesTheOldFile)
{
    const std::string path = Path("Norvo32.TMP");
    ASSERT_EQ(DB_SaveDataBase(path.c_str()), 1);
    const std::string old = ReadBytes(path);
    BuildRichDesign();
    const std::string before = Dump();

    // The disk runs full while the new file is written.
    {
        struct rlimit saved {};
        getrlimit(RLIMIT_FSIZE, &saved);
        auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = 8192;
        setrlimit(RLIMIT_FSIZE, &small);
        const int32_t result = DB_SaveDataBase(path.c_str());
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_EQ(result, 0);
        EXPECT_NE(std::string(E_LastError()).find(path), std::string::npos) << E_LastError();
    }
    EXPECT_TRUE(ReadBytes(path) == old);
    EXPECT_EQ(FilesStartingWith(dir_, "Norvo32.TMP"), std::vector<std::string>{"Norvo32.TMP"});
    EXPECT_EQ(Dump(), before);

    // A target that is a directory, a directory that does not exist.
    fs::create_directory(Path("adir"));
    EXPECT_EQ(DB_SaveDataBase(Path("adir").c_str()), 0);
    EXPECT_TRUE(fs::is_directory(Path("adir")) && fs::is_empty(Path("adir")));
    EXPECT_EQ(DB_SaveDataBase(Path("nodir/x.nvd").c_str()), 0);
    EXPECT_FALSE(fs::exists(Path("nodir")));

    // A directory without write permission (root may write anyway).
    if (geteuid() != 0) {
        fs::create_directory(Path("ro"));
        const std::string roPath = Path("ro/d.nvd");
        WriteBytes(roPath, old);
        fs::permissions(Path("ro"), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(DB_SaveDataBase(roPath.c_str()), 0);
        fs::permissions(Path("ro"), fs::perms::owner_all);
        EXPECT_TRUE(ReadBytes(roPath) == old);
        EXPECT_EQ(FilesStartingWith(Path("ro"), "d.nvd"), std::vector<std::string>{"d.nvd"});
    }
    EXPECT_EQ(Dump(), before);

    // And a save that works replaces the file whole.
    ASSERT_EQ(DB_SaveDataBase(path.c_str()), 1) << E_LastError();
    DB_DiscardDataBase();
    ASSERT_EQ(DB_LoadDataBase(path.c_str()), 1) << E_LastError();
    EXPECT_EQ(Dump(), before);
}

TEST_F(KernelImage, SavedFileGetsTheUsualPermissions)
{
    // A new file as the umask allows, a replaced file keeps its own mode
    // (not the private mode of the temporary file written first).
    const mode_t mask = umask(027);
    const std::string path = Path("d.nvd");
    ASSERT_EQ(DB_SaveDataBase(path.c_str()), 1);
    umask(mask);
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    chmod(path.c_str(), 0604);
    ASSERT_EQ(DB_SaveDataBase(path.c_str()), 1);
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0604u);
}

// ---- Libraries -----------------------------------------------------------------------------

std::string DumpSymbolText(int32_t symb)
{
    std::ostringstream out;
    DumpSymbol(out, symb);
    std::string text = out.str();
    // The id is the library's to choose; everything after it must match.
    return text.substr(text.find(" flags"));
}

std::string DumpDeviceText(int32_t device)
{
    std::ostringstream out;
    DumpDevice(out, device);
    std::string text = out.str();
    return text.substr(text.find(" flags"));
}

std::vector<std::string> Directory(int32_t lib)
{
    std::vector<std::string> names;
    for (int32_t i = 0; const char* name = E_GetLibDirName(lib, i); ++i) names.push_back(name);
    return names;
}

TEST_F(KernelImage, SymbolLibraryRoundTripAndTemporaryIds)
{
    BuildRichDesign();
    const std::string nand = DumpSymbolText(1), dip = DumpSymbolText(3);
    const std::string path = Path("symbols.nsl");

    const int32_t lib = E_OpenLibrary(path.c_str(), "NorvoSLL00", -1);
    ASSERT_GT(lib, 0) << E_LastError();
    for (auto [symb, name] : {std::pair{3, "DIP8"}, std::pair{1, "NAND"}, std::pair{-101, "@DESNOTES"}}) {
        const int32_t entry = E_OpenLibToWrite(lib, name);
        ASSERT_GT(entry, 0) << E_LastError();
        EXPECT_EQ(S_SaveSymbol(symb, entry), 1) << E_LastError();
        EXPECT_EQ(E_CloseLibWrite(lib), 1);
    }
    EXPECT_EQ(Directory(lib), (std::vector<std::string>{"@DESNOTES", "DIP8", "NAND"}));
    EXPECT_EQ(E_CloseLibrary(lib), 1);

    const int32_t rd = E_OpenLibrary(path.c_str(), "NorvoSLL00", 0);
    ASSERT_GT(rd, 0) << E_LastError();
    EXPECT_EQ(Directory(rd), (std::vector<std::string>{"@DESNOTES", "DIP8", "NAND"}));
    EXPECT_EQ(E_GetLibDirName(rd, -1), nullptr);
    EXPECT_EQ(E_GetLibDirName(rd, 3), nullptr);
    EXPECT_EQ(E_OpenLibToRead(rd, "nand"), 0);  // names are case-sensitive
    const int32_t gate = E_OpenLibToRead(rd, "NAND");
    const int32_t package = E_OpenLibToRead(rd, "DIP8");
    ASSERT_GT(gate, 0);
    ASSERT_GT(package, 0);
    OM_Delete(DB_SymbMap(), -2);
    OM_Delete(DB_SymbMap(), -1);
    EXPECT_EQ(S_LoadSymbol(-2, gate), -2) << E_LastError();
    EXPECT_EQ(S_LoadSymbol(-1, package), -1) << E_LastError();
    EXPECT_EQ(DumpSymbolText(-2), nand);
    EXPECT_EQ(DumpSymbolText(-1), dip);
    // A taken id is refused; the caller deletes the old temporary first.
    EXPECT_EQ(S_LoadSymbol(-2, gate), 0);
    EXPECT_NE(std::string(E_LastError()).find("taken"), std::string::npos);
    // Temporaries are skipped by walks until made permanent.
    const std::vector<int32_t> walked = WalkAll(DB_SymbMap());
    const int32_t permanent = OM_ChangeId(DB_SymbMap(), -2, 0);
    ASSERT_GT(permanent, 0);
    EXPECT_EQ(permanent, 4);  // the lowest free symbol id
    EXPECT_EQ(WalkAll(DB_SymbMap()).size(), walked.size() + 1);
    EXPECT_EQ(DumpSymbolText(permanent), nand);
    // Id 0 takes the lowest free positive id.
    EXPECT_EQ(S_LoadSymbol(0, gate), 5) << E_LastError();
    EXPECT_EQ(E_CloseLibrary(rd), 1);
    // Handles of a closed library are stale.
    EXPECT_EQ(E_GetLibDirName(rd, 0), nullptr);
    EXPECT_EQ(E_OpenLibToRead(rd, "NAND"), 0);
    EXPECT_EQ(S_LoadSymbol(-2, gate), 0);
    EXPECT_EQ(E_CloseLibrary(rd), 0);
}

TEST_F(KernelImage, PartsLibraryRoundTripAndReplacedEntries)
{
    BuildRichDesign();
    const std::string dev = DumpDeviceText(1);
    const std::string path = Path("parts.ndl");
    const int32_t lib = E_OpenLibrary(path.c_str(), "NorvoDLL00", -1);
    ASSERT_GT(lib, 0) << E_LastError();
    ASSERT_GT(E_OpenLibToWrite(lib, "7400"), 0);
    EXPECT_EQ(D_SaveDevice(lib, 1), 1) << E_LastError();
    ASSERT_GT(E_OpenLibToWrite(lib, "TMP"), 0);
    EXPECT_EQ(D_SaveDevice(lib, -1), 1) << E_LastError();
    E_CloseLibrary(lib);

    // Writing again keeps the other entries; an entry written twice holds
    // the last device.
    const int32_t again = E_OpenLibrary(path.c_str(), "NorvoDLL00", -1);
    ASSERT_GT(again, 0) << E_LastError();
    ASSERT_GT(E_OpenLibToWrite(again, "TMP"), 0);
    EXPECT_EQ(D_SaveDevice(again, 1), 1) << E_LastError();
    EXPECT_EQ(Directory(again), (std::vector<std::string>{"7400", "TMP"}));
    E_CloseLibrary(again);

    const int32_t rd = E_OpenLibrary(path.c_str(), "NorvoDLL00", 0);
    ASSERT_GT(rd, 0) << E_LastError();
    OM_Delete(DB_DeviceMap(), -1);
    EXPECT_EQ(D_LoadDevice(-1, E_OpenLibToRead(rd, "7400")), -1) << E_LastError();
    EXPECT_EQ(DumpDeviceText(-1), dev);
    const int32_t permanent = OM_ChangeId(DB_DeviceMap(), -1, 0);
    EXPECT_EQ(permanent, 2);
    EXPECT_EQ(DumpDeviceText(permanent), dev);
    EXPECT_EQ(D_LoadDevice(-1, E_OpenLibToRead(rd, "TMP")), -1);
    EXPECT_EQ(DumpDeviceText(-1), dev);
    E_CloseLibrary(rd);
}

TEST_F(KernelImage, NotesFileIsAOneSymbolLibrary)
{
    S_CreateSymbol(-101, "@DESNOTES");
    AddText(S_SymbolItemArray(-101), "first line", 1);
    AddShape(S_SymbolItemArray(-101), 1, 5);
    const std::string notes = DumpSymbolText(-101);
    const std::string path = Path("design.NDN");
    WriteBytes(path, "");  // the editor empties the file first

    const int32_t lib = E_OpenLibrary(path.c_str(), "NorvoSLL00", -1);
    ASSERT_GT(lib, 0) << E_LastError();
    const int32_t entry = E_OpenLibToWrite(lib, "@DESNOTES");
    ASSERT_GT(entry, 0);
    EXPECT_EQ(S_SaveSymbol(-101, entry), 1) << E_LastError();
    EXPECT_EQ(E_CloseLibWrite(lib), 1);
    EXPECT_EQ(E_CloseLibWrite(lib), 0);
    EXPECT_EQ(E_CloseLibrary(lib), 1);

    OM_Delete(DB_SymbMap(), -101);
    const int32_t rd = E_OpenLibrary(path.c_str(), "NorvoSLL00", 0);
    ASSERT_GT(rd, 0) << E_LastError();
    EXPECT_EQ(E_OpenLibToRead(rd, "@PGENOTES"), 0);
    EXPECT_NE(std::string(E_LastError()).find("@PGENOTES"), std::string::npos);
    EXPECT_EQ(S_LoadSymbol(-101, E_OpenLibToRead(rd, "@DESNOTES")), -101) << E_LastError();
    E_CloseLibrary(rd);
    EXPECT_EQ(DumpSymbolText(-101), notes);
    EXPECT_STREQ(O_GetName(S_Symbol(-101)), "@DESNOTES");
}

TEST_F(KernelImage, LibrariesRefuseWrongKindsModesAndHandles)
{
    const int32_t symb = S_CreateSymbol(0, "S");
    const std::string sll = Path("s.nsl"), dll = Path("d.ndl");
    MakeLibraryFile(sll, "NorvoSLL00");
    MakeLibraryFile(dll, "NorvoDLL00");
    const std::string sllBytes = ReadBytes(sll);
    ASSERT_EQ(DB_SaveDataBase(Path("design.nvd").c_str()), 1);
    WriteBytes(Path("text.txt"), "not a library");

    struct Open {
        std::string path;
        const char* kind;
        int32_t mode;
    };
    for (const Open& o : std::vector<Open>{
             {sll, "NorvoDLL00", 0},              // a symbol library as a parts library
             {dll, "NorvoSLL00", 0},              // and the other way round
             {sll, "NorvoDLL00", -1},             // also for writing
             {Path("design.nvd"), "NorvoSLL00", 0},  // a design image
             {Path("design.nvd"), "NorvoSLL00", -1},
             {Path("text.txt"), "NorvoSLL00", -1},   // a foreign file is not overwritten
             {Path("missing.nsl"), "NorvoSLL00", 0},
             {Path("nodir/x.nsl"), "NorvoSLL00", -1},
             {dir_, "NorvoSLL00", 0},
             {sll, "NorvoXLL00", 0},
             {sll, nullptr, 0},
             {sll, "NorvoSLL00", 1},
             {"", "NorvoSLL00", 0},
         }) {
        SCOPED_TRACE(o.path + " " + (o.kind ? o.kind : "null") + " " + std::to_string(o.mode));
        EXPECT_EQ(E_OpenLibrary(o.path.c_str(), o.kind, o.mode), 0);
        EXPECT_STRNE(E_LastError(), "");
    }
    EXPECT_EQ(E_OpenLibrary(nullptr, "NorvoSLL00", 0), 0);
    EXPECT_TRUE(ReadBytes(Path("text.txt")) == "not a library");

    const int32_t rd = E_OpenLibrary(sll.c_str(), "NorvoSLL00", 0);
    ASSERT_GT(rd, 0);
    EXPECT_EQ(E_OpenLibToWrite(rd, "X"), 0);  // opened for reading
    EXPECT_EQ(E_OpenLibToRead(rd, nullptr), 0);
    const int32_t entry = E_OpenLibToRead(rd, "ENTRY");
    ASSERT_GT(entry, 0);
    EXPECT_EQ(D_LoadDevice(-1, entry), 0);  // the entry holds a symbol
    EXPECT_EQ(S_SaveSymbol(symb, entry), 0);  // a read entry
    EXPECT_EQ(S_LoadSymbol(-2, rd), 0);  // a library handle is not an entry
    EXPECT_EQ(E_CloseLibrary(entry), 0);  // and the other way round
    EXPECT_EQ(S_LoadSymbol(-2, C_Component(1)), 0);
    EXPECT_EQ(S_LoadSymbol(-2, 0), 0);
    DB_DiscardDataBase();
    EXPECT_EQ(S_LoadSymbol(-2, entry), 0);  // no design
    EXPECT_NE(std::string(E_LastError()).find("no design"), std::string::npos);
    DB_CreateDataBase("Again", "H", "P");
    EXPECT_EQ(S_LoadSymbol(-2, entry), -2) << "a library outlives the design";
    E_CloseLibrary(rd);

    const int32_t wr = E_OpenLibrary(dll.c_str(), "NorvoDLL00", -1);
    ASSERT_GT(wr, 0);
    EXPECT_EQ(D_SaveDevice(wr, D_CreateDevice(0, "D2", "P")), 0);  // no entry open
    EXPECT_EQ(E_OpenLibToWrite(wr, ""), 0);
    EXPECT_EQ(E_OpenLibToWrite(wr, std::string(256, 'N').c_str()), 0);
    const int32_t wentry = E_OpenLibToWrite(wr, "NEW");
    ASSERT_GT(wentry, 0);
    EXPECT_EQ(S_SaveSymbol(S_CreateSymbol(0, "S2"), wentry), 0);  // a parts library
    EXPECT_EQ(D_SaveDevice(wr, 99), 0);                             // no such device
    EXPECT_EQ(Directory(wr), std::vector<std::string>{"ENTRY"});
    E_CloseLibrary(wr);
    EXPECT_TRUE(ReadBytes(sll) == sllBytes);
}

TEST_F(KernelImage, DamagedLibraryIsRefused)
{
    const int32_t symb = S_CreateSymbol(0, "UNIQUE_SYMBOL_NAME");
    const std::string path = Path("s.nsl");
    const int32_t lib = E_OpenLibrary(path.c_str(), "NorvoSLL00", -1);
    S_SaveSymbol(symb, E_OpenLibToWrite(lib, "E"));
    E_CloseLibrary(lib);
    std::string bytes = ReadBytes(path);
    const size_t at = bytes.find("UNIQUE_SYMBOL_NAME");
    ASSERT_NE(at, std::string::npos);
    bytes[at + 3] = 'X';
    WriteBytes(path, bytes);
    EXPECT_EQ(E_OpenLibrary(path.c_str(), "NorvoSLL00", 0), 0);
    EXPECT_NE(std::string(E_LastError()).find("checksum"), std::string::npos) << E_LastError();
    EXPECT_EQ(E_OpenLibrary(path.c_str(), "NorvoSLL00", -1), 0);
    WriteBytes(path, bytes.substr(0, bytes.size() / 2));
    EXPECT_EQ(E_OpenLibrary(path.c_str(), "NorvoSLL00", 0), 0);
    EXPECT_TRUE(ReadBytes(path) == bytes.substr(0, bytes.size() / 2));
}

// ---- File objects ----------------------------------------------------------------------------

TEST_F(KernelImage, FileObjectsReadWriteSeekAndLength)
{
    const int32_t f = F_CreateFile(0, "!SFILE");
    ASSERT_EQ(f, 1);
    EXPECT_EQ(OM_FindName(DB_FileMap(), "!SFILE"), f);
    EXPECT_STREQ(O_GetName(F_File(f)), "!SFILE");
    EXPECT_EQ(F_GetLength(f), 0);

    const std::string data("ab\0cd\xff\x80z", 8);
    EXPECT_EQ(F_Write(f, data.data(), 8), 8);
    EXPECT_EQ(F_GetLength(f), 8);
    EXPECT_EQ(F_Seek(f, 0, 1), 8);  // writing advanced the position
    char buf[32] = {};
    EXPECT_EQ(F_Read(f, buf, 4), 0);  // at the end
    EXPECT_EQ(F_Seek(f, 0, 0), 0);
    EXPECT_EQ(F_Read(f, buf, 3), 3);
    EXPECT_EQ(std::string(buf, 3), data.substr(0, 3));
    EXPECT_EQ(F_Read(f, buf, 32), 5);  // a short read at the end
    EXPECT_EQ(std::string(buf, 5), data.substr(3));
    EXPECT_EQ(F_Seek(f, -2, 2), 6);
    EXPECT_EQ(F_Read(f, buf, 32), 2);
    EXPECT_EQ(F_Seek(f, -3, 1), 5);
    EXPECT_EQ(F_Write(f, "XY", 2), 2);  // overwrites in place
    EXPECT_EQ(F_GetLength(f), 8);

    // Beyond the end: reads give nothing, a write fills the gap with zeros.
    EXPECT_EQ(F_Seek(f, 12, 0), 12);
    EXPECT_EQ(F_Read(f, buf, 4), 0);
    EXPECT_EQ(F_GetLength(f), 8);
    EXPECT_EQ(F_Write(f, "Q", 0), 0);
    EXPECT_EQ(F_GetLength(f), 8);
    EXPECT_EQ(F_Write(f, "Q", 1), 1);
    EXPECT_EQ(F_GetLength(f), 13);
    F_Seek(f, 0, 0);
    std::string all(13, '?');
    EXPECT_EQ(F_Read(f, all.data(), 13), 13);
    EXPECT_EQ(all, std::string("ab\0cdXYz\0\0\0\0Q", 13));

    // Length: truncating and extending keep the position.
    EXPECT_EQ(F_Seek(f, 4, 0), 4);
    EXPECT_EQ(F_SetLength(f, 2), 1);
    EXPECT_EQ(F_GetLength(f), 2);
    EXPECT_EQ(F_Seek(f, 0, 1), 4);
    EXPECT_EQ(F_SetLength(f, 6), 1);
    F_Seek(f, 0, 0);
    EXPECT_EQ(F_Read(f, buf, 32), 6);
    EXPECT_EQ(std::string(buf, 6), std::string("ab\0\0\0\0", 6));
    EXPECT_EQ(F_SetLength(f, 0), 1);
    EXPECT_EQ(F_GetLength(f), 0);

    // Refusals leave the object as it was.
    F_Seek(f, 0, 0);
    F_Write(f, "12345", 5);
    EXPECT_EQ(F_Seek(f, -6, 2), -1);
    EXPECT_EQ(F_Seek(f, 0, 3), -1);
    EXPECT_EQ(F_Seek(f, 2147483647, 0), -1);
    EXPECT_EQ(F_Seek(f, 0, 1), 5);
    EXPECT_EQ(F_SetLength(f, -1), 0);
    EXPECT_EQ(F_SetLength(f, 2147483647), 0);
    EXPECT_EQ(F_Read(f, nullptr, 1), 0);
    EXPECT_EQ(F_Read(f, buf, -1), 0);
    EXPECT_EQ(F_Write(f, nullptr, 1), 0);
    EXPECT_EQ(F_Write(f, buf, -1), 0);
    EXPECT_EQ(F_GetLength(f), 5);
    EXPECT_EQ(F_Seek(f, 1073741824, 0), 1073741824);
    EXPECT_EQ(F_Write(f, "x", 1), 0);  // would pass the maximum length
    EXPECT_STRNE(E_LastError(), "");
    EXPECT_EQ(F_GetLength(f), 5);
}

TEST_F(KernelImage, FileObjectsBelongToTheirLevelAndRefuseBadIds)
{
    EXPECT_EQ(F_CreateFile(0, "HIERSTCK"), 1);
    EXPECT_EQ(F_CreateFile(1, "taken"), 0);
    EXPECT_EQ(F_CreateFile(0, nullptr), 0);
    EXPECT_EQ(F_CreateFile(0, std::string(256, 'F').c_str()), 0);
    EXPECT_EQ(F_CreateFile(9, "nine"), 9);
    EXPECT_EQ(F_CreateFile(0, "HIERSTCK"), 2);  // names are the caller's business
    F_Write(1, "L1", 2);
    ASSERT_EQ(DB_CreateHier(0, "SUB", "P"), 2);
    DB_SetCurHier(2);
    EXPECT_EQ(F_GetLength(1), -1);
    EXPECT_EQ(F_File(1), 0);
    EXPECT_EQ(F_CreateFile(0, "HIERSTCK"), 1);
    EXPECT_EQ(F_GetLength(1), 0);
    DB_SetCurHier(1);
    EXPECT_EQ(F_GetLength(1), 2);
    const int32_t handle = F_File(9);
    ASSERT_NE(handle, 0);
    EXPECT_EQ(OM_Delete(DB_FileMap(), 9), 1);
    EXPECT_EQ(O_GetStatus(handle), 0);
    char buf[4];
    for (int32_t bad : {0, -1, 9, 100}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(F_File(bad), 0);
        EXPECT_EQ(F_GetLength(bad), -1);
        EXPECT_EQ(F_Seek(bad, 0, 0), -1);
        EXPECT_EQ(F_Read(bad, buf, 1), 0);
        EXPECT_EQ(F_Write(bad, buf, 1), 0);
        EXPECT_EQ(F_SetLength(bad, 1), 0);
    }
    DB_DiscardDataBase();
    EXPECT_EQ(F_CreateFile(0, "x"), 0);
    EXPECT_EQ(F_GetLength(1), -1);
}

}  // namespace
