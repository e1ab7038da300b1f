// The journal of change groups: every kind of change an edit can make,
// put back (the design, its digest and every query as before, handles
// included) and kept (the same design as the edit makes without a group);
// nested groups, refused steps, deleted objects coming back with their
// handles, and a journal that follows the edit, not the design.
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "tests/support/kernel_fixture.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The design every case starts from: two levels; on the first, two pages,
// components with texts, a layout component with parts, nets with nodes, a
// bus, wires with records and texts, a junction, a trace over a bend point
// and a via, a layout text, a file object, a page view and a reserved id;
// design-wide, a schematic and a layout symbol (entries, items, a pad
// stack), a device with a group and pins, a pad stack.
void BuildDesign()
{
    ASSERT_NE(DB_CreateDataBase("D", "MAIN", "P1"), 0);
    ASSERT_EQ(DB_CreatePage(0, "P2"), 2);
    ASSERT_EQ(S_CreateSymbol(1, "RES"), 1);
    ASSERT_EQ(O_Mask(S_Symbol(1), 1, 3), 1);
    ASSERT_EQ(S_AddEntry(1, "1", -1000, 0, 0, 0, 0, 0), 1);
    ASSERT_EQ(S_AddEntry(1, "2", 1000, 0, 0, 0, 0, 0), 2);
    ItemRec line{};
    line.Kind = 1;
    line.Flags = 1;
    line.X = -1000;
    line.P1 = 2000;
    ASSERT_EQ(OA_Add(S_SymbolItemArray(1), I_MakeItem(&line)), 1);
    ASSERT_EQ(S_CreateSymbol(2, "PKG"), 2);
    ASSERT_EQ(O_Mask(S_Symbol(2), 2, 3), 1);
    ASSERT_EQ(S_AddEntry(2, "1", 0, 0, 0, 1, 0, 0), 1);
    ASSERT_EQ(OM_Add(S_SymbolPadStackMap(2), S_MakePadStack(), 1), 1);
    ASSERT_EQ(OM_Add(DB_PadStackMap(), S_MakePadStack(), 1), 1);
    ASSERT_EQ(D_CreateDevice(1, "R", "PKG"), 1);
    ASSERT_EQ(D_AddGroup(1, "A", "RES"), 1);
    ASSERT_EQ(D_AddPin(1, 1, 1, "1"), 1);
    ASSERT_EQ(D_AddPin(1, 0, 9, "2"), 1);
    for (int32_t i = 1; i <= 6; ++i) {
        ASSERT_EQ(C_CreateComponent(0, ("R" + std::to_string(i)).c_str(), 1, 1, 1, 0, i * 5000, 0, 0), i);
        ASSERT_EQ(OA_Add(C_CompTextArray(i), I_MakeText(0, 800, 0, 500, 300, "R", 2, 1, 0)), 1);
    }
    ASSERT_EQ(DB_SetCurPage(2), 2);
    ASSERT_EQ(C_CreateComponent(0, "R7", 1, 1, 1, 0, 0, 9000, 0), 7);
    ASSERT_EQ(DB_SetCurPage(1), 1);
    ASSERT_EQ(L_CreateComponent(0, "U1", 0, 1, 2, 0, 0, 40000, 0), 1);
    ASSERT_EQ(L_AddSchCompId(1, 1), 1);
    ASSERT_EQ(L_AddSchCompId(1, 2), 2);
    ASSERT_EQ(N_CreateNet(0, 1, "N1"), 1);
    ASSERT_EQ(N_CreateNode(1, 0, 1, 2, 1, 1), 1);
    ASSERT_EQ(N_CreateNode(1, 0, 2, 1, 0, 0), 2);
    ASSERT_EQ(N_CreateNet(0, 1, "N2"), 2);
    ASSERT_EQ(N_CreateNode(2, 0, 3, 2, 0, 0), 3);
    ASSERT_EQ(N_CreateNode(2, 0, 4, 1, 0, 0), 4);
    ASSERT_EQ(N_CreateNet(0, 1, "N3"), 3);
    ASSERT_EQ(N_CreateBus(0, 4, "B1"), 1);
    ASSERT_EQ(N_SetBusMember(1, 0, 1), 0);
    ASSERT_EQ(N_SetBusMember(1, 2, 2), 2);
    ASSERT_EQ(J_CreateJunction(0, 11, 17500, 500), 1);
    ASSERT_EQ(B_CreateBranch(0, 0, 1), 1);
    ASSERT_EQ(B_InsertRecord(1, -1, 2, 1), 1);
    ASSERT_EQ(B_InsertRecord(1, -1, 2, 2), 2);
    ASSERT_EQ(B_CreateBranch(0, 0, 2), 2);
    ASSERT_EQ(B_InsertRecord(2, -1, 2, 3), 1);
    ASSERT_EQ(B_InsertRecord(2, -1, 4, 1), 2);
    ASSERT_EQ(B_InsertRecord(2, -1, 2, 4), 3);
    ASSERT_EQ(OA_Add(B_BranchTextArray(2), I_MakeText(17500, 1000, 0, 500, 300, "N2", 2, 1, 0)), 1);
    ASSERT_EQ(T_CreateBendPoint(0, 0, 1000, 41000), 1);
    ASSERT_EQ(V_CreateVia(0, 1, 2000, 42000, 1, 1), 1);
    ASSERT_EQ(T_CreateTrace(0, 0, 1), 1);
    ASSERT_EQ(T_InsertRecord(1, -1, 4, 1, 1, 200), 1);
    ASSERT_EQ(T_InsertRecord(1, -1, 8, 1, 1, 200), 2);
    ASSERT_EQ(OA_Add(DB_LayoutTextArray(), I_MakeText(0, 45000, 0, 500, 300, "BOARD", 2, 3, 0)), 1);
    ASSERT_EQ(F_CreateFile(0, "F"), 1);
    ASSERT_EQ(F_Write(1, "hello", 5), 5);
    ASSERT_EQ(DB_ChangePageDispl(1, 10, 20, 1, 100), 1);
    ASSERT_EQ(GetFreeID(2), 2);
    ASSERT_EQ(DB_CreateHier(0, "SUB", "S1"), 2);
    ASSERT_EQ(DB_SetCurHier(2), 2);
    ASSERT_EQ(N_CreateNet(0, 1, "SUBNET"), 1);
    ASSERT_EQ(DB_SetCurHier(1), 1);
}

// Everything the queries of the current level and the design-wide maps
// answer: walks, finds by name and id, records, hit tests; with the
// handles of the objects when `handles`.
std::string Describe(bool handles)
{
    std::ostringstream out;
    out << "level " << DB_CurHier() << " page " << DB_CurPage() << "\n";
    const auto walk = [&](const char* what, int32_t map, const std::function<void(int32_t)>& each) {
        out << what << " count " << OM_GetCount(map) << ":";
        int32_t cursor = OM_GetFirst(map);
        while (int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
            const int32_t handle = OM_Object(map, id);
            const char* name = O_GetName(handle);
            out << " [" << id << " '" << (name ? name : "") << "' s" << O_GetStatus(handle);
            if (name && *name) out << " find " << OM_FindName(map, name);
            if (handles) out << " h" << handle;
            each(id);
            out << "]";
        }
        out << "\n";
    };
    walk("levels", DB_HierarchyMap(), [](int32_t) {});
    walk("pages", DB_PageMap(), [&](int32_t id) {
        PageRec p{};
        DB_ReadPage(id, &p);
        out << " view " << p.ViewX << "," << p.ViewY << "," << p.ViewMode << "," << p.ViewSize;
    });
    walk("symbols", DB_SymbMap(), [&](int32_t id) {
        SymbRec s{};
        S_ReadSymbol(id, &s);
        out << " entries " << s.Entries << " items " << OA_GetCount(S_SymbolItemArray(id)) << " pads "
            << OM_GetCount(S_SymbolPadStackMap(id));
        for (int32_t e = 1; e <= s.Entries; ++e) {
            SymbEntryRec r{};
            S_ReadEntry(id, e, &r);
            out << " e" << r.X << "," << r.Y << "," << r.SwapLevel << "," << r.Name;
        }
    });
    walk("devices", DB_DeviceMap(), [&](int32_t id) {
        DeviceRec d{};
        D_ReadDevice(id, &d);
        out << " prefix '" << d.Prefix << "' groups " << d.Groups << " supply " << d.SupplyPins;
    });
    walk("pads", DB_PadStackMap(), [&](int32_t id) {
        PadStackRec p{};
        S_ReadPadStack(OM_Object(DB_PadStackMap(), id), &p);
        out << " hole " << p.Hole << "," << p.Hole2;
    });
    const auto item = [&](int32_t handle) {
        ItemRec r{};
        I_ReadItem(handle, &r);
        out << " (" << r.Kind << " " << r.Flags << " " << r.X << "," << r.Y << " " << r.P1 << "," << r.P2 << " "
            << r.Link << " " << r.Gap << " " << (r.Text ? r.Text : "") << (handles ? " h" + std::to_string(handle) : "")
            << ")";
    };
    walk("components", DB_SchCompMap(), [&](int32_t id) {
        CompRec c{};
        C_ReadComponent(id, &c);
        out << " at " << c.X << "," << c.Y << " a" << c.Angle << " symb " << c.Symb << " dev " << c.Device
            << " pack " << c.LayComp << "/" << c.Group << " page " << c.Page << " extra " << c.Extra;
        const int32_t texts = C_CompTextArray(id);
        for (int32_t i = 1; i <= OA_GetCount(texts); ++i) item(OA_Object(texts, i));
        int32_t net = 0;
        out << " pin2 node " << N_FindCompEntry(id, 2, &net) << " net " << net;
    });
    walk("laycomps", DB_LayCompMap(), [&](int32_t id) {
        LayCompRec c{};
        L_ReadComponent(id, &c);
        out << " at " << c.X << "," << c.Y << " parts";
        for (int32_t i = 1; i <= c.Parts; ++i) out << " " << L_GetSchCompId(id, i);
    });
    walk("nets", DB_NetMap(), [&](int32_t id) {
        NetRec n{};
        N_ReadNet(id, &n);
        out << " nodes " << n.Nodes << " bus " << n.Bus;
        const int32_t nodes = N_NodeMap(id);
        int32_t cursor = 0;
        while (int32_t node = OM_SearchMask(nodes, &cursor, 0, 0)) {
            NodeRec r{};
            N_ReadNode(id, node, &r);
            out << " n" << node << "(" << r.Flags << " " << r.Comp << "." << r.Entry << " " << r.LayComp << "."
                << r.LayEntry << " " << r.X << "," << r.Y << ")";
        }
    });
    walk("buses", DB_BusMap(), [&](int32_t id) {
        BusRec b{};
        N_ReadBus(id, &b);
        out << " members";
        for (int32_t i = 0; i < b.Members; ++i) out << " " << N_ReadBusMember(id, i);
    });
    walk("branches", DB_BranchMap(), [&](int32_t id) {
        BranchRec b{};
        B_ReadBranch(id, &b);
        out << " net " << b.Net << " page " << b.Page;
        std::vector<BranchPointRec> records(static_cast<size_t>(b.Points) + 1);
        B_ReadRecords(id, records.data(), b.Points);
        for (int32_t i = 0; i < b.Points; ++i)
            out << " r(" << records[i].Flags << " " << records[i].Ref << " " << records[i].X << "," << records[i].Y
                << ")";
        const int32_t texts = B_BranchTextArray(id);
        for (int32_t i = 1; i <= OA_GetCount(texts); ++i) item(OA_Object(texts, i));
    });
    walk("junctions", DB_JunctMap(), [&](int32_t id) {
        JunctionRec j{};
        J_ReadJunction(id, &j);
        out << " at " << j.X << "," << j.Y << " page " << j.Page;
    });
    walk("traces", DB_TraceMap(), [&](int32_t id) {
        TraceRec t{};
        T_ReadTrace(id, &t);
        out << " net " << t.Net;
        for (int32_t i = 1; i <= t.Points; ++i) {
            TracePointRec r{};
            T_ReadRecord(id, i, &r);
            out << " r(" << r.Flags << " " << r.Ref << " " << r.X << "," << r.Y << ")";
        }
    });
    walk("vias", DB_ViaMap(), [](int32_t) {});
    walk("files", DB_FileMap(), [&](int32_t id) { out << " length " << F_GetLength(id); });
    out << "layout texts";
    for (int32_t i = 1; i <= OA_GetCount(DB_LayoutTextArray()); ++i) item(OA_Object(DB_LayoutTextArray(), i));
    out << "\nsizes";
    const int32_t* sizes = DB_TextSizeTable();
    for (int i = 0; i < 6; ++i) out << " " << sizes[i];
    // Hit tests on the current page: at each component and wire point.
    out << "\nhits";
    for (int32_t x = 0; x <= 35000; x += 2500) {
        int32_t ids[16] = {};
        const int32_t comps = C_CoverComponentSet(x, 0, 300, ids, 16);
        out << " c" << x << ":";
        for (int32_t i = 0; i < std::min(comps, 16); ++i) out << ids[i] << ",";
        const int32_t wires = B_CoverBranchSet(x, 0, 300, ids, 16);
        out << " b:";
        for (int32_t i = 0; i < std::min(wires, 16); ++i) out << ids[i] << ",";
    }
    out << " j" << J_CoverJunction(17500, 500, 100) << "\n";
    return out.str();
}

// The design as the image stores it and as the queries see it.
struct State {
    uint64_t digest = 0;
    std::string queries;
};

State StateNow(bool handles)
{
    // The queries first: reads bring the stored positions of records up to
    // date, as the editor's do.
    State s;
    s.queries = Describe(handles);
    s.digest = KT_DesignDigest();
    return s;
}

struct Edit {
    const char* name;
    std::function<void()> steps;
    bool changesNothing = false;  // what it changes it changes back
};

// Handles of objects by id, looked up when the edit runs.
int32_t Comp(int32_t id) { return C_Component(id); }

const std::vector<Edit>& Edits()
{
    static const std::vector<Edit> edits{
        // Components.
        {"create component", [] { EXPECT_EQ(C_CreateComponent(0, "R9", 1, 1, 1, 0, 9000, 9000, 0), 8); }},
        {"delete component with texts and nodes", [] { EXPECT_EQ(OM_Delete(DB_SchCompMap(), 1), 1); }},
        {"delete every component", [] { EXPECT_EQ(OM_DeleteAll(DB_SchCompMap()), 7); }},
        {"rename component", [] { EXPECT_EQ(O_Rename(Comp(2), "R2X"), 1); }},
        {"rename component to another's name", [] { EXPECT_EQ(O_Rename(Comp(3), "R1"), 1); }},
        {"move component", [] { EXPECT_EQ(O_ChangePosition(Comp(1), 4000, 3000), 1); }},
        {"turn and mirror component", [] { EXPECT_EQ(C_ChangeCompDispAttr(1, 90000, 1), 1); }},
        {"component symbol, device, packing, item mask",
         [] {
             EXPECT_EQ(C_ChangeCompSymbol(2, 2), 1);
             EXPECT_EQ(C_ChangeCompDevice(2, 0), 1);
             EXPECT_EQ(C_ChangeCompPackInfo(3, 1, 1), 1);
             EXPECT_EQ(C_ChangeItemMask(4, 7), 1);
         }},
        {"component to another page", [] { EXPECT_EQ(O_ChangePage(Comp(1), 2), 1); }},
        {"component id changed", [] { EXPECT_EQ(OM_ChangeId(DB_SchCompMap(), 2, 20), 20); }},
        // Layout components.
        {"layout component made, moved, parts changed",
         [] {
             EXPECT_EQ(L_CreateComponent(0, "U2", 0, 1, 2, 0, 100, 100, 0), 2);
             EXPECT_EQ(O_ChangePosition(L_Component(1), 500, 500), 1);
             EXPECT_EQ(L_ChangeSchCompId(1, 1, 3), 1);
             EXPECT_EQ(L_DeleteSchCompId(1, 2), 1);
             EXPECT_EQ(L_AddSchCompId(1, 4), 2);
         }},
        {"packed component deleted and made anew under its id",
         [] {
             EXPECT_EQ(OM_Delete(DB_SchCompMap(), 2), 1);
             EXPECT_EQ(C_CreateComponent(2, "R2", 1, 1, 1, 0, 10000, 0, 0), 2);
         }},
        // Nets, nodes, buses.
        {"create net and nodes",
         [] {
             EXPECT_EQ(N_CreateNet(0, 1, "N4"), 4);
             EXPECT_EQ(N_CreateNode(4, 0, 5, 1, 0, 0), 5);
         }},
        {"delete net with nodes and bus slot", [] { EXPECT_EQ(OM_Delete(DB_NetMap(), 1), 1); }},
        {"delete every net", [] { EXPECT_EQ(OM_DeleteAll(DB_NetMap()), 3); }},
        {"delete a net, then read its bus", [] {
             EXPECT_EQ(OM_Delete(DB_NetMap(), 2), 1);
             BusRec b{};
             EXPECT_EQ(N_ReadBus(1, &b), 1);
             EXPECT_EQ(b.Members, 1);
         }},
        {"node changed, moved to another net, deleted",
         [] {
             EXPECT_EQ(N_ChangeNode(1, 1, 5, 2), 1);
             EXPECT_EQ(OM_Add(N_NodeMap(3), N_Node(2, 3), 0), 3);
             EXPECT_EQ(OM_Delete(N_NodeMap(2), 4), 1);
         }},
        {"node ids given back and reused",
         [] {
             EXPECT_EQ(AddToHeap(0, 2, 3), 2);
             EXPECT_EQ(N_CreateNode(3, 0, 6, 1, 0, 0), 2);
         }},
        {"bus members set and freed, bus deleted",
         [] {
             EXPECT_EQ(N_SetBusMember(1, 5, 3), 5);
             EXPECT_EQ(N_DeleteBusMember(1, 0), 1);
             EXPECT_EQ(N_CreateBus(0, 4, "B2"), 2);
             EXPECT_EQ(OM_Delete(DB_BusMap(), 1), 1);
         }},
        // Wires, records, junctions.
        {"wire made with records",
         [] {
             EXPECT_EQ(B_CreateBranch(0, 0, 3), 3);
             EXPECT_EQ(B_InsertRecord(3, -1, 4, 1), 1);
             EXPECT_EQ(B_InsertRecord(3, -1, 2, 1), 2);
         }},
        {"wire deleted with its text", [] { EXPECT_EQ(OM_Delete(DB_BranchMap(), 2), 1); }},
        {"records inserted, changed, marked, deleted",
         [] {
             EXPECT_EQ(B_InsertRecord(1, 2, 4, 1), 2);
             EXPECT_EQ(B_ChangeRecordRef(2, 2, 1), 1);
             EXPECT_EQ(B_MaskRecord(1, 1, 64, 64), 1);
             EXPECT_EQ(B_DeleteRecord(2, 3), 1);
             BranchPointRec taken[4] = {};
             EXPECT_EQ(B_DeleteRecordsMask(1, 64, taken, 4), 1);
         }},
        {"wire to another net and page",
         [] {
             EXPECT_EQ(B_ChangeBranchNet(1, 3), 1);
             EXPECT_EQ(O_ChangePage(B_Branch(1), 2), 1);
         }},
        {"junction made, moved, deleted",
         [] {
             EXPECT_EQ(J_CreateJunction(0, 11, 100, 100), 3);  // 2 is reserved
             EXPECT_EQ(O_ChangePosition(J_Junction(1), 18000, 600), 1);
             EXPECT_EQ(OM_Delete(DB_JunctMap(), 3), 1);
         }},
        {"component moved, then records read and hit tested",
         [] {
             EXPECT_EQ(O_ChangePosition(Comp(3), 12000, 700), 1);
             Describe(false);
         }},
        // Layout.
        {"trace, via and bend point made, moved, deleted",
         [] {
             EXPECT_EQ(T_CreateBendPoint(0, 0, 3000, 3000), 2);
             EXPECT_EQ(T_InsertRecord(1, 2, 4, 2, 1, 100), 2);
             EXPECT_EQ(O_ChangePosition(V_Via(1), 2500, 42500), 1);
             EXPECT_EQ(T_ChangeTraceNet(1, 2), 1);
             EXPECT_EQ(T_MaskRecord(1, 1, 64, 64), 1);
             EXPECT_EQ(OM_Delete(DB_ViaMap(), 1), 1);
             EXPECT_EQ(T_CreateTrace(0, 0, 0), 2);
         }},
        // Items.
        {"texts added, changed, deleted",
         [] {
             EXPECT_EQ(OA_Add(C_CompTextArray(1), I_MakeText(0, -800, 0, 500, 300, "V", 8, 1, 0)), 2);
             const int32_t name = C_CompText(2, 1);
             ItemRec r{};
             ASSERT_EQ(I_ReadItem(name, &r), 1);
             r.X += 100;
             EXPECT_EQ(I_ChangeItemXY(name, &r), 1);
             EXPECT_EQ(I_ChangeItemAttr(name, 3, 2, 1, 5), 1);
             EXPECT_EQ(I_ChangeTextSize(name, 900, 600), 1);
             EXPECT_EQ(I_ChangeItemLink(name, 4), 1);
             EXPECT_EQ(I_ChangeItemGap(name, 6), 1);
             EXPECT_EQ(O_Rename(name, "TEXTNAME"), 1);
             EXPECT_EQ(OA_Delete(C_CompTextArray(3), 1), 1);
             EXPECT_EQ(OA_Delete(DB_LayoutTextArray(), 1), 1);
         }},
        // Marks.
        {"marks on objects, maps, arrays, nodes and records",
         [] {
             EXPECT_EQ(O_Mask(Comp(1), 256, 256), 1);
             EXPECT_EQ(OM_MaskAll(DB_BranchMap(), 64, 64), 2);
             const int32_t ids[] = {2, 3, 99};
             EXPECT_EQ(OM_MaskIds(DB_SchCompMap(), ids, 3, 128, 128), 2);
             EXPECT_EQ(OA_MaskAll(C_CompTextArray(4), 256, 256), 1);
             EXPECT_EQ(N_MaskAllNodes(16, 16), 4);
             EXPECT_EQ(N_MaskCompNodes(3, 0, 32, 32, 64, 64), 1);
             B_MaskAllRecords(128, 128);
             B_MaskAllBranches(512, 512, 256, 256);
             B_MaskNodeRecords(1, 0, 1024, 1024, 512, 512, 8, 8);
             B_MaskSelRecords(4, 1, 2048, 2048, 1024, 1024, 64, 64);
             EXPECT_EQ(O_Mask(DB_DataBase(), 4, 4), 1);
         }},
        // Pages, levels, views.
        {"pages made, renamed, viewed, made current",
         [] {
             EXPECT_EQ(DB_CreatePage(0, "P3"), 3);
             EXPECT_EQ(O_Rename(DB_Page(2), "PX"), 1);
             EXPECT_EQ(DB_ChangePageDispl(2, 1, 2, 3, 4), 1);
             EXPECT_EQ(DB_SetCurPage(2), 2);
         }},
        {"current page deleted", [] { EXPECT_EQ(OM_Delete(DB_PageMap(), 1), 1); }},
        {"level made and made current, renamed",
         [] {
             EXPECT_EQ(DB_CreateHier(0, "NEW", "Q1"), 3);
             EXPECT_EQ(O_Rename(OM_Object(DB_HierarchyMap(), 2), "SUB2"), 1);
             EXPECT_EQ(DB_SetCurHier(3), 3);
             EXPECT_EQ(N_CreateNet(0, 1, "NEWNET"), 1);
         }},
        {"design renamed", [] { EXPECT_EQ(O_Rename(DB_DataBase(), "E"), 1); }},
        // Free ids, text sizes.
        {"free ids reserved and dropped",
         [] {
             EXPECT_EQ(GetFreeID(1), 2);
             EXPECT_EQ(GetFreeID(3), 5);
             EXPECT_EQ(MakeHeap(2, 0), 1);
         }},
        {"text sizes written after a step",
         [] {
             EXPECT_EQ(O_Mask(Comp(1), 8, 8), 1);
             DB_TextSizeTable()[0] = 77;
         }},
        // Symbols, devices, pad stacks.
        {"symbol made with entries and a pad stack",
         [] {
             EXPECT_EQ(S_CreateSymbol(0, "NEW"), 3);
             EXPECT_EQ(S_AddEntry(3, "A", 0, 0, 0, 0, 0, 0), 1);
             EXPECT_EQ(OM_Add(S_SymbolPadStackMap(3), S_MakePadStack(), 0), 1);
         }},
        {"symbol entries and pad stacks changed",
         [] {
             EXPECT_EQ(S_ChangeEntrySwapLevel(1, 2, 3), 1);
             EXPECT_EQ(S_AddEntry(1, "3", 0, 500, 0, 0, 0, 0), 3);
             EXPECT_EQ(OA_Delete(S_SymbolEntryArray(1), 1), 1);
             EXPECT_EQ(S_ChangePadStackHole(OM_Object(DB_PadStackMap(), 1), 30, 40), 1);
             EXPECT_EQ(OA_Delete(S_SymbolItemArray(1), 1), 1);
         }},
        {"symbol in use deleted", [] { EXPECT_EQ(OM_Delete(DB_SymbMap(), 2), 1); }},
        {"symbol and device loaded from libraries",
         [] {
             // A folder of this process's own: the put-back and the kept
             // test run side by side and write libraries of the same names.
             static QTemporaryDir folder;
             const std::string dir = folder.path().toStdString();
             const std::string symbols = dir + "/journal-symbols.nsl", parts = dir + "/journal-parts.npl";
             std::remove(symbols.c_str());
             std::remove(parts.c_str());
             const int32_t slib = E_OpenLibrary(symbols.c_str(), "NorvoSLL00", -1);
             ASSERT_GT(slib, 0) << E_LastError();
             ASSERT_EQ(S_SaveSymbol(1, E_OpenLibToWrite(slib, "RES")), 1) << E_LastError();
             E_CloseLibWrite(slib);
             E_CloseLibrary(slib);
             const int32_t plib = E_OpenLibrary(parts.c_str(), "NorvoDLL00", -1);
             ASSERT_GT(plib, 0) << E_LastError();
             E_OpenLibToWrite(plib, "R");
             ASSERT_EQ(D_SaveDevice(plib, 1), 1) << E_LastError();
             E_CloseLibrary(plib);
             const int32_t sread = E_OpenLibrary(symbols.c_str(), "NorvoSLL00", 0);
             EXPECT_EQ(S_LoadSymbol(0, E_OpenLibToRead(sread, "RES")), 3) << E_LastError();
             EXPECT_EQ(S_LoadSymbol(-1, E_OpenLibToRead(sread, "RES")), -1) << E_LastError();
             E_CloseLibrary(sread);
             const int32_t pread = E_OpenLibrary(parts.c_str(), "NorvoDLL00", 0);
             EXPECT_EQ(D_LoadDevice(0, E_OpenLibToRead(pread, "R")), 2) << E_LastError();
             E_CloseLibrary(pread);
         }},
        {"temporary symbol made permanent",
         [] {
             EXPECT_EQ(S_CreateSymbol(-1, "TMP"), -1);
             EXPECT_EQ(OM_ChangeId(DB_SymbMap(), -1, 0), 3);
         }},
        {"device made, changed, deleted",
         [] {
             EXPECT_EQ(D_CreateDevice(0, "C", "PKG"), 2);
             EXPECT_EQ(D_AddGroup(2, "A", "RES"), 1);
             EXPECT_EQ(D_AddPin(2, 1, 1, "1"), 1);
             EXPECT_EQ(D_ChangeDevicePrefix(1, "RR"), 1);
             EXPECT_EQ(OM_Delete(DB_DeviceMap(), 1), 1);
         }},
        // File objects.
        {"file objects written, sought, cut, made, deleted",
         [] {
             EXPECT_EQ(F_Seek(1, 0, 0), 0);
             EXPECT_EQ(F_Write(1, "HE", 2), 2);
             EXPECT_EQ(F_SetLength(1, 3), 1);
             EXPECT_EQ(F_CreateFile(0, "G"), 2);
             EXPECT_EQ(OM_Delete(DB_FileMap(), 1), 1);
         }},
        {"one object made and deleted again",
         [] {
             EXPECT_EQ(N_CreateNet(0, 1, "GONE"), 4);
             EXPECT_EQ(OM_Delete(DB_NetMap(), 4), 1);
             EXPECT_EQ(O_ChangePosition(Comp(1), 5000, 0), 1);  // where it is
         },
         true},
    };
    return edits;
}

class ChangeJournal : public palvane_test::KernelTest {
protected:
    void TearDown() override
    {
        KT_FailCall("", 0);
        while (DB_EndChange(1) != 0) {
        }
        DB_DiscardDataBase();
        KernelTest::TearDown();
    }
};

TEST_F(ChangeJournal, EveryKindOfEditIsPutBackExactly)
{
    for (const Edit& edit : Edits()) {
        SCOPED_TRACE(edit.name);
        BuildDesign();
        const State before = StateNow(true);
        ASSERT_EQ(DB_BeginChange(), 1);
        edit.steps();
        EXPECT_EQ(DB_EndChange(0), edit.changesNothing ? 2 : 4) << E_LastError();
        const State after = StateNow(true);
        EXPECT_EQ(after.digest, before.digest);
        EXPECT_EQ(after.queries, before.queries);
        DB_DiscardDataBase();
    }
}

TEST_F(ChangeJournal, EveryKindOfEditKeptIsTheEditWithoutAGroup)
{
    for (const Edit& edit : Edits()) {
        SCOPED_TRACE(edit.name);
        BuildDesign();
        edit.steps();
        const State plain = StateNow(false);
        DB_DiscardDataBase();

        BuildDesign();
        ASSERT_EQ(DB_BeginChange(), 1);
        edit.steps();
        EXPECT_EQ(DB_EndChange(1), 1);
        const State kept = StateNow(false);
        EXPECT_EQ(kept.digest, plain.digest);
        EXPECT_EQ(kept.queries, plain.queries);
        DB_DiscardDataBase();
    }
}

TEST_F(ChangeJournal, EditsOfSeveralLevelsArePutBackFromAnyLevel)
{
    BuildDesign();
    const State before = StateNow(true);
    ASSERT_EQ(DB_BeginChange(), 1);
    ASSERT_EQ(O_ChangePosition(Comp(1), 100, 100), 1);
    ASSERT_EQ(DB_SetCurHier(2), 2);
    ASSERT_EQ(OM_Delete(DB_NetMap(), 1), 1);
    ASSERT_EQ(N_CreateNet(0, 1, "OTHER"), 1);
    ASSERT_EQ(DB_CreatePage(0, "S2"), 2);
    EXPECT_EQ(DB_EndChange(0), 4);
    EXPECT_EQ(DB_CurHier(), 1);
    const State after = StateNow(true);
    EXPECT_EQ(after.digest, before.digest);
    EXPECT_EQ(after.queries, before.queries);
    ASSERT_EQ(DB_SetCurHier(2), 2);
    EXPECT_EQ(OM_FindName(DB_NetMap(), "SUBNET"), 1);
}

TEST_F(ChangeJournal, DeletedObjectsComeBackWithTheirHandles)
{
    BuildDesign();
    const int32_t comp = Comp(1);
    const int32_t texts = C_CompTextArray(1);
    const int32_t text = C_CompText(1, 1);
    const int32_t net = N_Net(1);
    const int32_t nodes = N_NodeMap(1);
    const int32_t node = N_Node(1, 1);
    ASSERT_EQ(DB_BeginChange(), 1);
    ASSERT_EQ(OM_Delete(DB_SchCompMap(), 1), 1);
    ASSERT_EQ(OM_Delete(DB_NetMap(), 1), 1);
    // Inside the group they answer as deleted objects do.
    EXPECT_EQ(O_GetName(comp), nullptr);
    EXPECT_EQ(OA_GetCount(texts), 0);
    EXPECT_EQ(O_GetStatus(text), 0);
    EXPECT_EQ(O_GetName(net), nullptr);
    EXPECT_EQ(OM_GetCount(nodes), 0);
    EXPECT_EQ(O_GetName(node), nullptr);
    int32_t cursor = 0;
    EXPECT_EQ(N_FindCompEntry(1, 2, &cursor), 0);
    // Their ids are free for new objects meanwhile.
    EXPECT_EQ(N_CreateNet(0, 1, "TAKES1"), 1);
    EXPECT_EQ(N_CreateNode(1, 1, 0, 0, 0, 0), 1);
    EXPECT_EQ(DB_EndChange(0), 4);
    EXPECT_STREQ(O_GetName(comp), "R1");
    EXPECT_EQ(C_Component(1), comp);
    EXPECT_EQ(C_CompTextArray(1), texts);
    EXPECT_EQ(OA_Object(texts, 1), text);
    EXPECT_EQ(N_Net(1), net);
    EXPECT_EQ(N_NodeMap(1), nodes);
    EXPECT_EQ(N_Node(1, 1), node);
    // The layout component's parts and the bus slot refer to them again.
    EXPECT_EQ(L_GetSchCompId(1, 1), 1);
    EXPECT_EQ(N_ReadBusMember(1, 0), 1);

    // Kept, they go for good.
    ASSERT_EQ(DB_BeginChange(), 1);
    ASSERT_EQ(OM_Delete(DB_SchCompMap(), 1), 1);
    EXPECT_EQ(DB_EndChange(1), 1);
    EXPECT_EQ(O_GetName(comp), nullptr);
    EXPECT_EQ(L_GetSchCompId(1, 1), 0);
}

// An inner group puts back only what changed since it began; a failed step
// in an inner group finished as a whole fails the enclosing group too.
TEST_F(ChangeJournal, NestedGroupsPutBackTheirOwnPartAndPassFailuresOn)
{
    struct Case {
        const char* name;
        int32_t innerKeep, outerKeep;
        bool refuse;  // the second step of the inner group is refused
        int32_t innerResult, outerResult;
        bool outerStays, innerStays;  // the outer group's move, the inner group's net
    };
    const Case cases[] = {
        {"inner kept, outer kept", 1, 1, false, 1, 1, true, true},
        {"inner undone, outer kept", 0, 1, false, 4, 1, true, false},
        {"inner undone, outer finished", 0, 2, false, 4, 1, true, false},
        {"outer undone", 1, 0, false, 1, 4, false, false},
        {"refused step, inner finished", 2, 2, true, 3, 3, false, false},
        {"refused step, inner finished, outer kept anyway", 2, 1, true, 3, 1, true, false},
        {"refused step, inner undone, outer finished", 0, 2, true, 3, 1, true, false},
        {"refused step, kept anyway", 1, 2, true, 1, 1, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildDesign();
        const State before = StateNow(true);
        ASSERT_EQ(DB_BeginChange(), 1);
        EXPECT_EQ(DB_ChangeDepth(), 1);
        ASSERT_EQ(O_ChangePosition(Comp(1), 777, 0), 1);
        const State moved = StateNow(true);
        ASSERT_EQ(DB_BeginChange(), 1);
        EXPECT_EQ(DB_ChangeDepth(), 2);
        // The inner group changes the object the outer one changed too.
        ASSERT_EQ(O_ChangePosition(Comp(1), 888, 0), 1);
        ASSERT_EQ(N_CreateNet(0, 1, "INNER"), 4);
        if (c.refuse) KT_FailCall("+", 1);
        EXPECT_EQ(OM_Delete(DB_SchCompMap(), 2), c.refuse ? 0 : 1);
        KT_FailCall("", 0);
        EXPECT_EQ(DB_EndChange(c.innerKeep), c.innerResult);
        EXPECT_EQ(DB_ChangeDepth(), 1);
        if (c.innerResult != 1) {
            const State innerGone = StateNow(true);
            EXPECT_EQ(innerGone.digest, moved.digest);
            EXPECT_EQ(innerGone.queries, moved.queries);
        }
        EXPECT_EQ(DB_EndChange(c.outerKeep), c.outerResult) << E_LastError();
        EXPECT_EQ(DB_ChangeDepth(), 0);
        const State after = StateNow(true);
        if (!c.outerStays) {
            EXPECT_EQ(after.digest, before.digest);
            EXPECT_EQ(after.queries, before.queries);
        } else if (!c.innerStays) {
            EXPECT_EQ(after.digest, moved.digest);
            EXPECT_EQ(after.queries, moved.queries);
        }
        EXPECT_EQ(OM_FindName(DB_NetMap(), "INNER"), c.innerStays ? 4 : 0);
        DB_DiscardDataBase();
    }
}

// Marks, page switches and reserved ids refused in a group finished as a
// whole put it back; a mark call that had nothing to mark is no failure.
TEST_F(ChangeJournal, RefusedMarksPageSwitchesAndIdsFailTheGroup)
{
    const char* refused[] = {"O_Mask", "OM_MaskAll", "DB_SetCurPage", "GetFreeID", "DB_ChangePageDispl"};
    for (const char* name : refused) {
        SCOPED_TRACE(name);
        BuildDesign();
        const State before = StateNow(true);
        ASSERT_EQ(DB_BeginChange(), 1);
        ASSERT_EQ(O_ChangePosition(Comp(1), 777, 0), 1);
        KT_FailCall(name, 1);
        if (std::string(name) == "O_Mask") O_Mask(C_Component(1), 1, 1);
        if (std::string(name) == "OM_MaskAll") OM_MaskAll(DB_NetMap(), 1, 1);
        if (std::string(name) == "DB_SetCurPage") DB_SetCurPage(DB_CurPage());
        if (std::string(name) == "GetFreeID") GetFreeID(1);
        if (std::string(name) == "DB_ChangePageDispl") DB_ChangePageDispl(DB_CurPage(), 0, 0, 0, 0);
        KT_FailCall("", 0);
        EXPECT_EQ(DB_EndChange(2), 3);
        EXPECT_EQ(StateNow(true).digest, before.digest);
        DB_DiscardDataBase();
    }
    BuildDesign();
    ASSERT_EQ(DB_BeginChange(), 1);
    ASSERT_EQ(O_ChangePosition(Comp(1), 777, 0), 1);
    // No component has id 99: nothing marked, 0.
    const int32_t ids[] = {99};
    EXPECT_EQ(OM_MaskIds(DB_SchCompMap(), ids, 1, 1, 1), 0);
    EXPECT_EQ(DB_EndChange(2), 1);
    DB_DiscardDataBase();
}

TEST_F(ChangeJournal, ReplacingTheDesignInAGroupDropsItsJournal)
{
    BuildDesign();
    ASSERT_EQ(DB_BeginChange(), 1);
    ASSERT_EQ(OM_Delete(DB_NetMap(), 1), 1);
    EXPECT_GT(KT_ChangeJournalBytes(), 0u);
    ASSERT_NE(DB_CreateDataBase("E", "MAIN", "P1"), 0);
    EXPECT_EQ(KT_ChangeJournalBytes(), 0u);
    EXPECT_EQ(DB_EndChange(0), 0);
    EXPECT_NE(std::string(E_LastError()).find("another design"), std::string::npos);
    EXPECT_EQ(N_CreateNet(0, 1, "FRESH"), 1);
}

// Many edits on a large design: the journal holds what they changed, far
// less than the design, and puts it all back.
TEST_F(ChangeJournal, TheJournalFollowsTheEditNotTheDesign)
{
    ASSERT_NE(DB_CreateDataBase("BIG", "MAIN", "P1"), 0);
    ASSERT_EQ(S_CreateSymbol(1, "RES"), 1);
    ASSERT_EQ(S_AddEntry(1, "1", -1000, 0, 0, 0, 0, 0), 1);
    ASSERT_EQ(S_AddEntry(1, "2", 1000, 0, 0, 0, 0, 0), 2);
    constexpr int32_t kComps = 2000;
    for (int32_t i = 1; i <= kComps; ++i)
        ASSERT_EQ(C_CreateComponent(0, ("R" + std::to_string(i)).c_str(), 1, 0, 1, 0, i * 3000, 0, 0), i);
    for (int32_t i = 1; i <= kComps; ++i) {
        ASSERT_EQ(N_CreateNet(0, 1, ("N" + std::to_string(i)).c_str()), i);
        ASSERT_EQ(N_CreateNode(i, 0, i, 2, 0, 0), 2 * i - 1);
        ASSERT_EQ(N_CreateNode(i, 0, i % kComps + 1, 1, 0, 0), 2 * i);
        for (int32_t w = 0; w < 5; ++w) {
            const int32_t b = B_CreateBranch(0, 0, i);
            ASSERT_GT(b, 0);
            ASSERT_EQ(B_InsertRecord(b, -1, 2, 2 * i - 1), 1);
            ASSERT_EQ(B_InsertRecord(b, -1, 2, 2 * i), 2);
        }
    }
    const State before = StateNow(true);
    ASSERT_EQ(DB_BeginChange(), 1);
    for (int32_t i = 1; i <= 100; ++i) {
        ASSERT_EQ(O_ChangePosition(Comp(i * 10), i, i), 1);
        ASSERT_EQ(OM_Delete(DB_BranchMap(), i * 7), 1);
        ASSERT_EQ(O_Mask(N_Net(i), 64, 64), 1);
    }
    ASSERT_EQ(OM_Delete(DB_NetMap(), 5), 1);
    // 300 small edits: a few tens of kilobytes, whatever the design's size
    // (several megabytes).
    EXPECT_LT(KT_ChangeJournalBytes(), 128u * 1024u);
    EXPECT_EQ(DB_EndChange(0), 4);
    const State after = StateNow(true);
    EXPECT_EQ(after.digest, before.digest);
    EXPECT_EQ(after.queries, before.queries);
}

}  // namespace
