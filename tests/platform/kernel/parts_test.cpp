// Components, layout components, devices, symbols, pad stacks and items,
// through the kernel's exported functions only.
#include "platform/kernel/nvokernel32.h"
#include "tests/support/kernel_fixture.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using KernelParts = palvane_test::KernelTest;

std::vector<int32_t> WalkAll(int32_t map, int32_t value = 0, int32_t mask = 0)
{
    std::vector<int32_t> ids;
    int32_t cursor = OM_GetFirst(map);
    while (int32_t id = OM_SearchMask(map, &cursor, value, mask)) ids.push_back(id);
    return ids;
}

// Every id a cursor search gives, from the start of the map.
template <class Search>
std::vector<int32_t> SearchAll(int32_t map, Search search)
{
    std::vector<int32_t> ids;
    int32_t cursor = OM_GetFirst(map);
    while (int32_t id = search(&cursor)) ids.push_back(id);
    return ids;
}

// A gate symbol: entry 1 "A" at (100, 20), entry 2 "B" at (-50, 40).
int32_t MakeGateSymbol(const char* name = "NAND")
{
    const int32_t symb = S_CreateSymbol(0, name);
    S_AddEntry(symb, "A", 100, 20, 2, 11, 12, 13);
    S_AddEntry(symb, "B", -50, 40, 0, 0, 0, 0);
    return symb;
}

int32_t MakeComp(const char* name, int32_t symb, int32_t device = 0, int32_t x = 0, int32_t y = 0,
                 int32_t angle = 0, int32_t flags = 1)
{
    return C_CreateComponent(0, name, flags, device, symb, 1, x, y, angle);
}

ItemRec ReadItem(int32_t item)
{
    ItemRec r{};
    EXPECT_EQ(I_ReadItem(item, &r), 1);
    return r;
}

ItemRec ReadItemAbs(int32_t item)
{
    ItemRec r{};
    EXPECT_EQ(I_ReadItemAbs(item, &r), 1);
    return r;
}

CompRec ReadComp(int32_t id)
{
    CompRec r{};
    EXPECT_EQ(C_ReadComponent(id, &r), 1);
    return r;
}

// Records filled with a pattern, to see that a failed read leaves them be.
template <class Rec>
void Poison(Rec& record)
{
    std::memset(&record, 0xAB, sizeof record);
}

template <class Rec>
bool Untouched(const Rec& record)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    for (size_t i = 0; i < sizeof record; ++i)
        if (bytes[i] != 0xAB) return false;
    return true;
}

// ---- Components -----------------------------------------------------------------------

TEST_F(KernelParts, ComponentRecordRoundTrip)
{
    const int32_t symb = MakeGateSymbol();
    const int32_t dev = D_CreateDevice(0, "7400", "DIP14");
    ASSERT_EQ(DB_CreatePage(0, "TWO"), 2);
    ASSERT_EQ(DB_SetCurPage(2), 2);

    const int32_t id = C_CreateComponent(0, "U1", 1 | 32, dev, symb, 7, 1000, -2000, 90000);
    ASSERT_EQ(id, 1);
    const CompRec r = ReadComp(id);
    EXPECT_EQ(r.Flags, 33);
    EXPECT_STREQ(r.Name, "U1");
    EXPECT_EQ(r.X, 1000);
    EXPECT_EQ(r.Y, -2000);
    EXPECT_EQ(r.Symb, symb);
    EXPECT_EQ(r.Device, dev);
    EXPECT_EQ(r.LayComp, 0);
    EXPECT_EQ(r.Group, 0);
    EXPECT_EQ(r.Page, 2);  // the current page
    EXPECT_EQ(r.Info, 0);
    EXPECT_EQ(r.Angle, 90000);
    EXPECT_EQ(r.Extra, 7);

    const int32_t handle = C_Component(id);
    ASSERT_NE(handle, 0);
    EXPECT_STREQ(O_GetName(handle), "U1");
    EXPECT_EQ(O_GetStatus(handle), 33);
    EXPECT_EQ(O_TestPage(handle, 0), 1);
    // The record's flags are the status word.
    ASSERT_EQ(O_Mask(handle, 256, 256 | 32), 1);
    EXPECT_EQ(ReadComp(id).Flags, 257);

    // Angles are kept as given; a device of 0 is none; names may repeat.
    const int32_t second = C_CreateComponent(0, "U1", 0, 0, symb, 0, 0, 0, -90000);
    ASSERT_EQ(second, 2);
    EXPECT_EQ(ReadComp(second).Angle, -90000);
    EXPECT_EQ(ReadComp(second).Device, 0);
    EXPECT_EQ(OM_FindName(DB_SchCompMap(), "U1"), 1);

    // Components belong to their level; symbols and devices to the design.
    ASSERT_EQ(DB_CreateHier(0, "SUB", "SUBPAGE"), 2);
    ASSERT_EQ(DB_SetCurHier(2), 2);
    EXPECT_EQ(C_Component(id), 0);
    EXPECT_EQ(OM_GetCount(DB_SchCompMap()), 0);
    EXPECT_NE(S_Symbol(symb), 0);
    EXPECT_NE(D_Device(dev), 0);
    EXPECT_EQ(C_CreateComponent(0, "SUBU1", 0, dev, symb, 0, 0, 0, 0), 1);
}

TEST_F(KernelParts, ComponentIdsReuseTheLowestFreeUpTo15999)
{
    const int32_t symb = S_CreateSymbol(0, "R");
    const int32_t map = DB_SchCompMap();
    for (int32_t i = 1; i <= 4; ++i) ASSERT_EQ(MakeComp("R", symb), i);
    ASSERT_EQ(OM_Delete(map, 3), 1);
    ASSERT_EQ(OM_Delete(map, 2), 1);
    EXPECT_EQ(MakeComp("R", symb), 2);
    EXPECT_EQ(MakeComp("R", symb), 3);
    EXPECT_EQ(MakeComp("R", symb), 5);
    EXPECT_EQ(C_CreateComponent(4, "TAKEN", 0, 0, symb, 0, 0, 0, 0), 0);
    EXPECT_EQ(C_CreateComponent(16000, "BEYOND", 0, 0, symb, 0, 0, 0, 0), 0);
    EXPECT_EQ(C_CreateComponent(15999, "LAST", 0, 0, symb, 0, 0, 0, 0), 15999);

    int32_t last = 0, made = 0;
    while (int32_t id = MakeComp("R", symb)) {
        last = id;
        ++made;
    }
    EXPECT_EQ(last, 15998);
    EXPECT_EQ(made, 15998 - 5);
    EXPECT_EQ(OM_GetCount(map), 15999);
    ASSERT_EQ(OM_Delete(map, 700), 1);
    EXPECT_EQ(MakeComp("R", symb), 700);
    EXPECT_EQ(MakeComp("R", symb), 0);

    // Layout components have the same limit.
    EXPECT_EQ(L_CreateComponent(16000, "BEYOND", 0, 0, symb, 0, 0, 0, 0), 0);
    EXPECT_EQ(L_CreateComponent(15999, "LAST", 0, 0, symb, 0, 0, 0, 0), 15999);
    int32_t layLast = 0;
    while (int32_t id = L_CreateComponent(0, "IC", 0, 0, symb, 0, 0, 0, 0)) layLast = id;
    EXPECT_EQ(layLast, 15998);
    EXPECT_EQ(OM_GetCount(DB_LayCompMap()), 15999);
}

TEST_F(KernelParts, NegativeComponentIdsAreSkippedByWalksAndSearches)
{
    const int32_t symb = S_CreateSymbol(0, "R");
    const int32_t dev = D_CreateDevice(0, "RES", "0805");
    ASSERT_EQ(C_CreateComponent(-5, "SPECIAL", 0, dev, symb, 0, 0, 0, 0), -5);
    ASSERT_EQ(C_CreateComponent(0, "REAL", 0, dev, symb, 0, 0, 0, 0), 1);
    EXPECT_NE(C_Component(-5), 0);
    const int32_t map = DB_SchCompMap();
    EXPECT_EQ(WalkAll(map), std::vector<int32_t>{1});
    EXPECT_EQ(OM_FindName(map, "SPECIAL"), 0);
    EXPECT_EQ(SearchAll(map, [&](int32_t* c) { return C_SearchDevice(c, dev); }), std::vector<int32_t>{1});
    EXPECT_EQ(SearchAll(map, [&](int32_t* c) { return C_SearchSymbol(c, symb); }), std::vector<int32_t>{1});
    ASSERT_EQ(OM_ChangeId(map, -5, 0), 2);
    EXPECT_EQ(SearchAll(map, [&](int32_t* c) { return C_SearchDevice(c, dev); }), (std::vector<int32_t>{1, 2}));
}

TEST_F(KernelParts, ComponentCreationRefusals)
{
    const int32_t symb = S_CreateSymbol(0, "R");
    const int32_t dev = D_CreateDevice(0, "RES", "0805");
    ASSERT_EQ(MakeComp("R1", symb, dev), 1);
    const std::string tooLong(256, 'n');
    struct Case {
        const char* what;
        int32_t result;
    } cases[] = {
        {"null name", C_CreateComponent(0, nullptr, 0, dev, symb, 0, 0, 0, 0)},
        {"name over 255 bytes", C_CreateComponent(0, tooLong.c_str(), 0, dev, symb, 0, 0, 0, 0)},
        {"missing symbol", C_CreateComponent(0, "R2", 0, dev, 999, 0, 0, 0, 0)},
        {"no symbol", C_CreateComponent(0, "R2", 0, dev, 0, 0, 0, 0, 0)},
        {"X beyond 220,000,000", C_CreateComponent(0, "R2", 0, dev, symb, 0, 220000001, 0, 0)},
        {"Y beyond -220,000,000", C_CreateComponent(0, "R2", 0, dev, symb, 0, 0, -220000001, 0)},
        {"missing device", C_CreateComponent(0, "R2", 0, 999, symb, 0, 0, 0, 0)},
        {"id taken", C_CreateComponent(1, "R2", 0, dev, symb, 0, 0, 0, 0)},
        {"id beyond the limit", C_CreateComponent(16000, "R2", 0, dev, symb, 0, 0, 0, 0)},
        {"layout: missing symbol", L_CreateComponent(0, "IC", 0, dev, 999, 0, 0, 0, 0)},
        {"layout: long name", L_CreateComponent(0, tooLong.c_str(), 0, dev, symb, 0, 0, 0, 0)},
        {"layout: no symbol", L_CreateComponent(0, "IC", 0, dev, 0, 0, 0, 0, 0)},
        {"layout: X beyond the limit", L_CreateComponent(0, "IC", 0, dev, symb, 0, -220000001, 0, 0)},
    };
    for (const Case& c : cases) EXPECT_EQ(c.result, 0) << c.what;
    EXPECT_EQ(OM_GetCount(DB_SchCompMap()), 1);
    EXPECT_EQ(OM_GetCount(DB_LayCompMap()), 0);
    EXPECT_EQ(MakeComp(std::string(255, 'n').c_str(), symb), 2);  // 255 bytes are fine
    EXPECT_EQ(MakeComp("EDGE", symb, 0, 220000000, -220000000), 3);

    // A schematic component needs a current page; a layout component does not.
    ASSERT_EQ(OM_Delete(DB_PageMap(), 1), 1);
    EXPECT_EQ(MakeComp("R3", symb), 0);
    EXPECT_EQ(L_CreateComponent(0, "IC1", 0, dev, symb, 0, 0, 0, 0), 1);
}

TEST_F(KernelParts, PlacementPackInfoSymbolDeviceAndMask)
{
    const int32_t symb = MakeGateSymbol();
    const int32_t other = S_CreateSymbol(0, "OTHER");
    const int32_t dev = D_CreateDevice(0, "7400", "DIP14");
    ASSERT_EQ(D_AddGroup(dev, "A", "NAND"), 1);
    ASSERT_EQ(D_AddGroup(dev, "B", "NAND"), 2);
    const int32_t c = MakeComp("U1", symb, dev, 0, 0, 0, 1 | 32);
    const int32_t lay = L_CreateComponent(0, "IC1", 0, dev, symb, 0, 0, 0, 0);
    ASSERT_GT(lay, 0);

    // Angle (as given) and mirror; the other status bits stay.
    ASSERT_EQ(C_ChangeCompDispAttr(c, 450000, -1), 1);
    EXPECT_EQ(ReadComp(c).Angle, 450000);
    EXPECT_EQ(ReadComp(c).Flags, 1 | 2 | 32);
    ASSERT_EQ(C_ChangeCompDispAttr(c, 0, 0), 1);
    EXPECT_EQ(ReadComp(c).Flags, 1 | 32);
    ASSERT_EQ(C_ChangeCompDispAttr(c, 180000, 1), 1);
    EXPECT_EQ(ReadComp(c).Flags & 2, 2);

    // Packing: a layout component of the level and one of the device's groups.
    ASSERT_EQ(C_ChangeCompPackInfo(c, lay, 2), 1);
    EXPECT_EQ(ReadComp(c).LayComp, lay);
    EXPECT_EQ(ReadComp(c).Group, 2);
    EXPECT_EQ(C_ChangeCompPackInfo(c, 77, 1), 0);  // no such layout component
    EXPECT_EQ(C_ChangeCompPackInfo(c, lay, -1), 0);
    EXPECT_EQ(C_ChangeCompPackInfo(c, 0, 1), 0);   // unpacked but with a gate
    EXPECT_EQ(C_ChangeCompPackInfo(99, lay, 1), 0);
    EXPECT_EQ(ReadComp(c).LayComp, lay);
    EXPECT_EQ(ReadComp(c).Group, 2);
    // The layout component's list of parts is the caller's business.
    LayCompRec lr{};
    ASSERT_EQ(L_ReadComponent(lay, &lr), 1);
    EXPECT_EQ(lr.Parts, 0);
    ASSERT_EQ(C_ChangeCompPackInfo(c, 0, 0), 1);
    EXPECT_EQ(ReadComp(c).LayComp, 0);
    EXPECT_EQ(ReadComp(c).Group, 0);

    ASSERT_EQ(C_ChangeCompSymbol(c, other), 1);
    EXPECT_EQ(ReadComp(c).Symb, other);
    EXPECT_EQ(C_ChangeCompSymbol(c, 999), 0);
    EXPECT_EQ(C_ChangeCompSymbol(c, 0), 0);  // a component always has a symbol
    EXPECT_EQ(ReadComp(c).Symb, other);
    ASSERT_EQ(C_ChangeCompDevice(c, 0), 1);
    EXPECT_EQ(ReadComp(c).Device, 0);
    EXPECT_EQ(C_ChangeCompDevice(c, 999), 0);
    EXPECT_EQ(ReadComp(c).Device, 0);
    // The kernel does not hold the gate number against the device.
    EXPECT_EQ(C_ChangeCompPackInfo(c, lay, 5), 1);
    EXPECT_EQ(ReadComp(c).Group, 5);

    ASSERT_EQ(C_ChangeItemMask(c, 0x55), 1);
    EXPECT_EQ(ReadComp(c).Extra, 0x55);
    // Name, angle and position came through all of it.
    EXPECT_STREQ(ReadComp(c).Name, "U1");
    EXPECT_EQ(ReadComp(c).Angle, 180000);
}

TEST_F(KernelParts, SearchesByDeviceAndSymbolWalkInIdOrder)
{
    const int32_t symA = S_CreateSymbol(0, "A"), symB = S_CreateSymbol(0, "B");
    const int32_t devA = D_CreateDevice(0, "DA", "P"), devB = D_CreateDevice(0, "DB", "P");
    MakeComp("C1", symA, devA);
    MakeComp("C2", symA, devB);
    MakeComp("C3", symB, devA);
    MakeComp("C4", symA, devA);
    const int32_t map = DB_SchCompMap();
    EXPECT_EQ(SearchAll(map, [&](int32_t* c) { return C_SearchDevice(c, devA); }), (std::vector<int32_t>{1, 3, 4}));
    EXPECT_EQ(SearchAll(map, [&](int32_t* c) { return C_SearchSymbol(c, symA); }), (std::vector<int32_t>{1, 2, 4}));
    EXPECT_EQ(SearchAll(map, [&](int32_t* c) { return C_SearchDevice(c, 999); }), std::vector<int32_t>{});

    // Deleting the current and later components during a search is safe.
    int32_t cursor = OM_GetFirst(map);
    ASSERT_EQ(C_SearchDevice(&cursor, devA), 1);
    OM_Delete(map, 1);
    OM_Delete(map, 3);
    EXPECT_EQ(C_SearchDevice(&cursor, devA), 4);
    EXPECT_EQ(C_SearchDevice(&cursor, devA), 0);
    EXPECT_EQ(C_SearchDevice(&cursor, devA), 0);  // stays at the end
    EXPECT_EQ(C_SearchDevice(nullptr, devA), 0);

    const int32_t lmap = DB_LayCompMap();
    L_CreateComponent(0, "IC1", 0, devA, symB, 0, 0, 0, 0);
    L_CreateComponent(0, "IC2", 0, devB, symB, 0, 0, 0, 0);
    L_CreateComponent(0, "IC3", 0, devA, symA, 0, 0, 0, 0);
    L_CreateComponent(-1, "TEMP", 0, devA, symB, 0, 0, 0, 0);
    EXPECT_EQ(SearchAll(lmap, [&](int32_t* c) { return L_SearchDevice(c, devA); }), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(SearchAll(lmap, [&](int32_t* c) { return L_SearchSymbol(c, symB); }), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(L_SearchSymbol(nullptr, symB), 0);
}

// ---- Entries --------------------------------------------------------------------------

struct EntryCase {
    int32_t angle;
    bool mirrored;
    int32_t x, y;  // where entry "A" (100, 20) lands with the component at (1000, 2000)
};

const EntryCase kEntryCases[] = {
    {0, false, 1100, 2020},      {90000, false, 980, 2100},  {180000, false, 900, 1980},
    {270000, false, 1020, 1900}, {-90000, false, 1020, 1900}, {0, true, 900, 2020},
    {90000, true, 980, 1900},    {180000, true, 1100, 1980}, {270000, true, 1020, 2100},
    // Other angles round to the nearest unit: (100, 20) turned by 45 and 30 degrees.
    {45000, false, 1057, 2085},  {30000, false, 1077, 2067},
    // A stored angle beyond a full turn places as its remainder.
    {450000, false, 980, 2100},
};

TEST_F(KernelParts, EntryPositionsFollowAngleAndMirror)
{
    const int32_t symb = MakeGateSymbol();
    const int32_t c = MakeComp("U1", symb, 0, 1000, 2000);
    for (const EntryCase& k : kEntryCases) {
        ASSERT_EQ(C_ChangeCompDispAttr(c, k.angle, k.mirrored ? 1 : 0), 1);
        EntryRec e{};
        ASSERT_EQ(C_ReadEntry(c, 1, &e), 1);
        EXPECT_EQ(e.X, k.x) << "angle " << k.angle << (k.mirrored ? " mirrored" : "");
        EXPECT_EQ(e.Y, k.y) << "angle " << k.angle << (k.mirrored ? " mirrored" : "");

        // A layout component on the other board side (flag 2) places its
        // entries the same way.
        const int32_t lay = L_CreateComponent(0, "IC", k.mirrored ? 2 : 0, 0, symb, 0, 1000, 2000, k.angle);
        ASSERT_GT(lay, 0);
        EntryRec le{};
        ASSERT_EQ(L_ReadEntry(lay, 1, &le), 1);
        EXPECT_EQ(le.X, k.x) << "layout, angle " << k.angle;
        EXPECT_EQ(le.Y, k.y) << "layout, angle " << k.angle;
    }
}

TEST_F(KernelParts, EntryRecordsCarryTheSymbolEntry)
{
    const int32_t symb = MakeGateSymbol();
    const int32_t c = MakeComp("U1", symb, 0, 1000, 2000);
    EntryRec e{};
    ASSERT_EQ(C_ReadEntry(c, 1, &e), 1);
    EXPECT_EQ(e.Flags, 2);
    EXPECT_EQ(e.Number, 1);
    EXPECT_STREQ(e.Name, "A");
    EXPECT_EQ(e.KeyOrTextX, 11);
    EXPECT_EQ(e.TextY, 12);
    EXPECT_EQ(e.TextAngle, 13);
    EXPECT_EQ(e.SwapLevel, -1);  // not swappable until a level is given
    EXPECT_STREQ(e.Label, "");
    ASSERT_EQ(S_ChangeEntrySwapLevel(symb, 1, 3), 1);
    ASSERT_EQ(C_ReadEntry(c, 2, &e), 1);
    EXPECT_STREQ(e.Name, "B");
    EXPECT_EQ(e.X, 950);
    EXPECT_EQ(e.Y, 2040);
    ASSERT_EQ(C_ReadEntry(c, 1, &e), 1);
    EXPECT_EQ(e.SwapLevel, 3);

    Poison(e);
    EXPECT_EQ(C_ReadEntry(c, 3, &e), 0);  // past the last entry
    EXPECT_EQ(C_ReadEntry(c, 0, &e), 0);
    EXPECT_TRUE(Untouched(e));
    // Entries come from the component's current symbol.
    ASSERT_EQ(C_ChangeCompSymbol(c, S_CreateSymbol(0, "EMPTY")), 1);
    EXPECT_EQ(C_ReadEntry(c, 1, &e), 0);
    ASSERT_EQ(C_ChangeCompSymbol(c, symb), 1);
    ASSERT_EQ(OM_Delete(DB_SymbMap(), symb), 1);
    EXPECT_EQ(C_ReadEntry(c, 1, &e), 0);
    EXPECT_TRUE(Untouched(e));
}

// ---- Layout components ------------------------------------------------------------------

TEST_F(KernelParts, LayoutComponentRecordAndPartLinks)
{
    const int32_t pkg = S_CreateSymbol(0, "DIP14");
    const int32_t gate = MakeGateSymbol();
    const int32_t dev = D_CreateDevice(0, "7400", "DIP14");
    const int32_t lay = L_CreateComponent(0, "IC1", 2, dev, pkg, 9, 10, 20, 180000);
    ASSERT_EQ(lay, 1);
    LayCompRec r{};
    ASSERT_EQ(L_ReadComponent(lay, &r), 1);
    EXPECT_EQ(r.Flags, 2);
    EXPECT_STREQ(r.Name, "IC1");
    EXPECT_EQ(r.X, 10);
    EXPECT_EQ(r.Y, 20);
    EXPECT_EQ(r.Angle, 180000);
    EXPECT_EQ(r.Symb, pkg);
    EXPECT_EQ(r.Device, dev);
    EXPECT_EQ(r.Extra, 9);
    EXPECT_EQ(r.Parts, 0);
    EXPECT_STREQ(O_GetName(L_Component(lay)), "IC1");
    EXPECT_EQ(L_CreateComponent(-1, "TEMP", 0, dev, pkg, 0, 0, 0, 0), -1);
    EXPECT_EQ(WalkAll(DB_LayCompMap()), std::vector<int32_t>{1});

    const int32_t c1 = MakeComp("U1", gate), c2 = MakeComp("U2", gate), c3 = MakeComp("U3", gate);
    EXPECT_EQ(L_AddSchCompId(lay, c1), 1);
    EXPECT_EQ(L_AddSchCompId(lay, c2), 2);
    EXPECT_EQ(L_AddSchCompId(lay, c3), 3);
    ASSERT_EQ(L_ReadComponent(lay, &r), 1);
    EXPECT_EQ(r.Parts, 3);
    EXPECT_EQ(L_GetSchCompId(lay, 2), c2);

    // Deleting a link moves the later ones down.
    ASSERT_EQ(L_DeleteSchCompId(lay, 1), 1);
    EXPECT_EQ(L_GetSchCompId(lay, 1), c2);
    EXPECT_EQ(L_GetSchCompId(lay, 2), c3);
    EXPECT_EQ(L_GetSchCompId(lay, 3), 0);
    ASSERT_EQ(L_ChangeSchCompId(lay, 2, 0), 1);  // 0 empties a slot
    EXPECT_EQ(L_GetSchCompId(lay, 2), 0);
    ASSERT_EQ(L_ChangeSchCompId(lay, 2, c1), 1);
    EXPECT_EQ(L_GetSchCompId(lay, 2), c1);

    // A link to a deleted component is stale, even when a new component
    // takes the id; it stays in the list until it is deleted.
    ASSERT_EQ(OM_Delete(DB_SchCompMap(), c2), 1);
    EXPECT_EQ(L_GetSchCompId(lay, 1), 0);
    ASSERT_EQ(MakeComp("NEW", gate), c2);
    EXPECT_EQ(L_GetSchCompId(lay, 1), 0);
    ASSERT_EQ(L_ReadComponent(lay, &r), 1);
    EXPECT_EQ(r.Parts, 2);
    // A link follows its component to a new id.
    ASSERT_EQ(OM_ChangeId(DB_SchCompMap(), c1, 50), 50);
    EXPECT_EQ(L_GetSchCompId(lay, 2), 50);

    struct Case {
        const char* what;
        int32_t result;
    } refusals[] = {
        {"add a missing component", L_AddSchCompId(lay, 999)},
        {"add to a missing layout component", L_AddSchCompId(999, c3)},
        {"change a slot past the end", L_ChangeSchCompId(lay, 3, c3)},
        {"change to a missing component", L_ChangeSchCompId(lay, 1, 999)},
        {"delete slot 0", L_DeleteSchCompId(lay, 0)},
        {"delete past the end", L_DeleteSchCompId(lay, 3)},
        {"get slot 0", L_GetSchCompId(lay, 0)},
    };
    for (const Case& k : refusals) EXPECT_EQ(k.result, 0) << k.what;
    ASSERT_EQ(L_ReadComponent(lay, &r), 1);
    EXPECT_EQ(r.Parts, 2);
    EXPECT_EQ(L_GetSchCompId(lay, 2), 50);

    // A component moved to another level no longer answers for this one.
    ASSERT_EQ(DB_CreateHier(0, "SUB", "SUBPAGE"), 2);
    ASSERT_EQ(DB_SetCurHier(2), 2);
    const int32_t subComps = DB_SchCompMap();
    ASSERT_EQ(DB_SetCurHier(1), 1);
    ASSERT_EQ(OM_Add(subComps, C_Component(50), 0), 50);
    EXPECT_EQ(C_Component(50), 0);
    EXPECT_EQ(L_GetSchCompId(lay, 2), 0);
}

// ---- Devices ----------------------------------------------------------------------------

TEST_F(KernelParts, DevicesWithGroupsAndPins)
{
    const int32_t dev = D_CreateDevice(0, "7400", "DIP14 \x80" "74LS");
    ASSERT_EQ(dev, 1);
    ASSERT_EQ(D_AddGroup(dev, "A", "NAND"), 1);
    ASSERT_EQ(D_AddGroup(dev, "B", "NAND2"), 2);
    EXPECT_EQ(D_AddPin(dev, 1, 1, "A"), 1);
    EXPECT_EQ(D_AddPin(dev, 1, 2, "B"), 2);
    EXPECT_EQ(D_AddPin(dev, 1, 3, "Y"), 3);
    EXPECT_EQ(D_AddPin(dev, 1, 13, "A"), 4);  // a second pin drawn at entry "A"
    EXPECT_EQ(D_AddPin(dev, 2, 4, "A"), 1);
    EXPECT_EQ(D_AddPin(dev, 0, 14, "VCC"), 1);
    EXPECT_EQ(D_AddPin(dev, 0, 7, "GND"), 2);
    EXPECT_EQ(D_AddPin(dev, 3, 9, "X"), 0);  // no group 3
    ASSERT_EQ(D_ChangeDevicePrefix(dev, "ABCDEFGH"), 1);  // up to 8 characters
    ASSERT_EQ(D_ChangeDevicePrefix(dev, "U"), 1);

    DeviceRec d{};
    ASSERT_EQ(D_ReadDevice(dev, &d), 1);
    EXPECT_EQ(d.Flags, 0);
    EXPECT_STREQ(d.Name, "7400");
    EXPECT_STREQ(d.Prefix, "U");
    EXPECT_STREQ(d.Package, "DIP14 \x80" "74LS");
    EXPECT_EQ(d.Groups, 2);
    EXPECT_EQ(d.SupplyPins, 2);
    for (int32_t reserved : d.Reserved) EXPECT_EQ(reserved, 0);

    GroupRec g{};
    ASSERT_EQ(D_ReadGroup(dev, 2, &g), 1);
    EXPECT_STREQ(g.Name, "B");
    EXPECT_STREQ(g.SymbName, "NAND2");
    EXPECT_EQ(g.Pins, 1);
    ASSERT_EQ(D_ReadGroup(dev, 1, &g), 1);
    EXPECT_EQ(g.Pins, 4);
    EXPECT_EQ(OA_GetCount(D_GroupArray(dev)), 2);
    EXPECT_STREQ(O_GetName(OA_Object(D_GroupArray(dev), 2)), "B");

    const int32_t pins = D_GroupPinArray(dev, 1);
    ASSERT_NE(pins, 0);
    PinRec p{};
    ASSERT_EQ(D_ReadPin(pins, 3, &p), 1);
    EXPECT_EQ(p.Number, 3);
    EXPECT_STREQ(p.Name, "Y");
    ASSERT_EQ(D_ReadPin(D_SupplyPinArray(dev), 2, &p), 1);
    EXPECT_EQ(p.Number, 7);
    EXPECT_STREQ(p.Name, "GND");
    EXPECT_EQ(D_GroupPinArray(dev, 0), 0);
    EXPECT_EQ(D_GroupPinArray(dev, 3), 0);

    struct Search {
        int32_t start;
        const char* name;
        int32_t index;
    } searches[] = {
        {1, "B", 2}, {1, "A", 1}, {2, "A", 4}, {5, "A", 0}, {3, "B", 0}, {1, "b", 0}, {0, "Y", 3}, {1, "", 0},
    };
    for (const Search& s : searches)
        EXPECT_EQ(D_SearchPinName(pins, s.start, s.name), s.index) << s.name << " from " << s.start;
    EXPECT_EQ(D_SearchPinName(D_SupplyPinArray(dev), 1, "GND"), 2);

    // Status marks show in the record's flags and in map walks.
    ASSERT_EQ(O_Mask(D_Device(dev), 128, 128), 1);
    ASSERT_EQ(D_ReadDevice(dev, &d), 1);
    EXPECT_EQ(d.Flags, 128);
    EXPECT_EQ(WalkAll(DB_DeviceMap(), 128, 128), std::vector<int32_t>{dev});
}

TEST_F(KernelParts, TemporaryLibraryDevice)
{
    ASSERT_EQ(D_CreateDevice(0, "REAL", "P"), 1);
    ASSERT_EQ(D_CreateDevice(-1, "TEMP", "P"), -1);
    EXPECT_EQ(D_CreateDevice(-1, "AGAIN", "P"), 0);
    EXPECT_EQ(D_CreateDevice(1, "TAKEN", "P"), 0);
    EXPECT_NE(D_Device(-1), 0);
    ASSERT_EQ(D_AddGroup(-1, "A", "NAND"), 1);
    const int32_t map = DB_DeviceMap();
    EXPECT_EQ(WalkAll(map), std::vector<int32_t>{1});
    EXPECT_EQ(OM_FindName(map, "TEMP"), 0);
    const int32_t handle = D_Device(-1);
    ASSERT_EQ(OM_ChangeId(map, -1, 0), 2);
    EXPECT_EQ(D_Device(-1), 0);
    EXPECT_EQ(D_Device(2), handle);
    EXPECT_EQ(OM_FindName(map, "TEMP"), 2);
    GroupRec g{};
    EXPECT_EQ(D_ReadGroup(2, 1, &g), 1);
    EXPECT_EQ(D_CreateDevice(-1, "NEXT", "P"), -1);
}

// ---- Symbols ----------------------------------------------------------------------------

TEST_F(KernelParts, SpecialAndTemporarySymbolIds)
{
    const struct {
        int32_t id;
        const char* name;
    } specials[] = {
        {-101, "@DESNOTES"}, {-401, "@COPPAR"}, {-801, "@AGAPMSK"}, {-1003, "@PGENOTES"}, {-1, "DIP14"}, {-2, "NAND"},
    };
    for (const auto& s : specials) EXPECT_EQ(S_CreateSymbol(s.id, s.name), s.id) << s.name;
    EXPECT_EQ(S_CreateSymbol(-401, "AGAIN"), 0);
    EXPECT_EQ(S_CreateSymbol(0, "R"), 1);
    EXPECT_EQ(S_CreateSymbol(5, "C"), 5);
    EXPECT_EQ(S_CreateSymbol(0, "L"), 2);
    EXPECT_EQ(S_CreateSymbol(5, "TAKEN"), 0);
    EXPECT_EQ(S_CreateSymbol(16000, "BEYOND"), 0);
    EXPECT_EQ(S_CreateSymbol(15999, "LAST"), 15999);

    const int32_t map = DB_SymbMap();
    EXPECT_EQ(WalkAll(map), (std::vector<int32_t>{1, 2, 5, 15999}));
    EXPECT_EQ(OM_FindName(map, "@COPPAR"), 0);
    EXPECT_EQ(OM_FindName(map, "NAND"), 0);
    ASSERT_EQ(O_Mask(S_Symbol(-401), 2, 2), 1);
    SymbRec sr{};
    ASSERT_EQ(S_ReadSymbol(-401, &sr), 1);
    EXPECT_EQ(sr.Flags, 2);
    EXPECT_EQ(WalkAll(map, 2, 2), std::vector<int32_t>{});

    // The temporary gate symbol becomes a real one, with all it holds.
    ASSERT_EQ(S_AddEntry(-2, "IN", 0, 0, 0, 0, 0, 0), 1);
    const int32_t item = I_MakeText(0, 0, 0, 100, 80, "?", 4, 36, 0);
    ASSERT_EQ(OA_Add(S_SymbolItemArray(-2), item), 1);
    const int32_t handle = S_Symbol(-2), items = S_SymbolItemArray(-2);
    ASSERT_EQ(OM_ChangeId(map, -2, 0), 3);
    EXPECT_EQ(S_Symbol(-2), 0);
    EXPECT_EQ(S_Symbol(3), handle);
    EXPECT_EQ(S_SymbolItemArray(3), items);
    EXPECT_EQ(S_SymbolItem(3, 1), item);
    EXPECT_EQ(OM_FindName(map, "NAND"), 3);
    SymbEntryRec e{};
    ASSERT_EQ(S_ReadEntry(3, 1, &e), 1);
    EXPECT_STREQ(e.Name, "IN");
    EXPECT_EQ(OM_ChangeId(map, -1, 0), 4);
    EXPECT_EQ(WalkAll(map), (std::vector<int32_t>{1, 2, 3, 4, 5, 15999}));
}

TEST_F(KernelParts, SymbolEntriesAndItems)
{
    const int32_t symb = MakeGateSymbol();
    SymbRec sr{};
    ASSERT_EQ(S_ReadSymbol(symb, &sr), 1);
    EXPECT_EQ(sr.Flags, 0);
    EXPECT_EQ(sr.Entries, 2);
    EXPECT_STREQ(sr.Name, "NAND");

    SymbEntryRec e{};
    ASSERT_EQ(S_ReadEntry(symb, 1, &e), 1);
    EXPECT_EQ(e.Number, 1);
    EXPECT_EQ(e.Flags, 2);
    EXPECT_EQ(e.X, 100);
    EXPECT_EQ(e.Y, 20);
    EXPECT_STREQ(e.Name, "A");
    EXPECT_EQ(e.KeyOrTextX, 11);
    EXPECT_EQ(e.TextY, 12);
    EXPECT_EQ(e.TextAngle, 13);
    EXPECT_EQ(e.SwapLevel, -1);
    EXPECT_STREQ(e.Label, "");
    Poison(e);
    EXPECT_EQ(S_ReadEntry(symb, 3, &e), 0);
    EXPECT_TRUE(Untouched(e));

    ItemRec lineRec{};
    lineRec.Kind = 1;
    lineRec.Flags = 1;
    lineRec.P1 = 100;
    const int32_t line = I_MakeItem(&lineRec);
    const int32_t text = I_MakeText(0, 0, 0, 100, 80, "&", 4, 36, 0);
    const int32_t items = S_SymbolItemArray(symb);
    EXPECT_EQ(OA_Add(items, line), 1);
    EXPECT_EQ(OA_Add(items, text), 2);
    EXPECT_EQ(S_SymbolItem(symb, 2), text);
    EXPECT_EQ(S_SymbolItem(symb, 3), 0);
    EXPECT_EQ(OA_SearchMask(items, 1, 4), 2);
    EXPECT_EQ(OA_GetCount(items), 2);

    // The entry array: entries are objects with names; deleting one moves
    // the later ones down.
    const int32_t entries = S_SymbolEntryArray(symb);
    EXPECT_EQ(OA_GetCount(entries), 2);
    ASSERT_EQ(O_Rename(OA_Object(entries, 2), "B2"), 1);
    ASSERT_EQ(OA_Delete(entries, 1), 1);
    ASSERT_EQ(S_ReadEntry(symb, 1, &e), 1);
    EXPECT_STREQ(e.Name, "B2");
    EXPECT_EQ(e.Number, 1);
    EXPECT_EQ(S_ReadEntry(symb, 2, &e), 0);
    EXPECT_EQ(S_AddEntry(symb, "C", 0, 0, 0, 0, 0, 0), 2);
}

TEST_F(KernelParts, AnObjectMadeButNotPlacedIsDiscarded)
{
    // A floating pad stack goes with its items; their handles go stale.
    const int32_t ps = S_MakePadStack();
    const int32_t pad = I_MakeText(0, 0, 0, 100, 80, "1", 2, 96, 0);
    ASSERT_EQ(OA_Add(S_PadStackItemArray(ps), pad), 1);
    EXPECT_EQ(O_Discard(ps), 1);
    PadStackRec pr{};
    EXPECT_EQ(S_ReadPadStack(ps, &pr), 0);
    ItemRec ir{};
    EXPECT_EQ(I_ReadItem(pad, &ir), 0);
    EXPECT_EQ(O_Discard(ps), 0) << "gone already";

    // A floating item; an owned one, a map's object and 0 are refused.
    const int32_t item = I_MakeText(0, 0, 0, 100, 80, "x", 0, 0, 0);
    EXPECT_EQ(O_Discard(item), 1);
    EXPECT_EQ(I_ReadItem(item, &ir), 0);
    const int32_t symb = S_CreateSymbol(0, "S");
    const int32_t owned = I_MakeText(0, 0, 0, 100, 80, "y", 0, 0, 0);
    ASSERT_EQ(OA_Add(S_SymbolItemArray(symb), owned), 1);
    EXPECT_EQ(O_Discard(owned), 0);
    EXPECT_EQ(I_ReadItem(owned, &ir), 1);
    EXPECT_EQ(O_Discard(S_Symbol(symb)), 0);
    EXPECT_NE(S_Symbol(symb), 0);
    EXPECT_EQ(O_Discard(0), 0);
}

TEST_F(KernelParts, PadStacksFloatUntilPlacedInAMap)
{
    const int32_t symb = S_CreateSymbol(0, "DIP14");
    const int32_t ps = S_MakePadStack();
    ASSERT_NE(ps, 0);
    PadStackRec pr{};
    ASSERT_EQ(S_ReadPadStack(ps, &pr), 1);
    EXPECT_EQ(pr.Flags, 0);
    EXPECT_EQ(pr.Hole, 0);
    EXPECT_EQ(pr.Hole2, 0);
    ASSERT_EQ(S_ChangePadStackHole(ps, 88900, 5), 1);
    ASSERT_EQ(S_ReadPadStack(ps, &pr), 1);
    EXPECT_EQ(pr.Hole, 88900);
    EXPECT_EQ(pr.Hole2, 5);

    ItemRec square{};
    square.Kind = 3;
    square.Flags = 1;
    square.X = -500;
    square.Y = -500;
    square.Layer = 97;
    square.Style = 16;
    square.P1 = square.P2 = 1000;
    const int32_t pad = I_MakeItem(&square);
    const int32_t label = I_MakeText(0, 0, 0, 100, 80, "1", 2, 96, 0);
    const int32_t padItems = S_PadStackItemArray(ps);
    EXPECT_EQ(OA_Add(padItems, pad), 1);
    EXPECT_EQ(OA_Add(padItems, label), 2);

    // Into the symbol's map under the key its entries refer to.
    const int32_t map = S_SymbolPadStackMap(symb);
    ASSERT_EQ(OM_Add(map, ps, 3), 3);
    ASSERT_EQ(S_AddEntry(symb, "1", 0, 0, 0, 3, 0, 0), 1);
    SymbEntryRec e{};
    ASSERT_EQ(S_ReadEntry(symb, 1, &e), 1);
    EXPECT_EQ(OM_Object(map, e.KeyOrTextX), ps);
    ASSERT_EQ(S_ReadPadStack(OM_Object(map, 3), &pr), 1);
    EXPECT_EQ(pr.Hole, 88900);
    // Pad-stack items read the same relative or absolute.
    const ItemRec rel = ReadItem(pad), abs = ReadItemAbs(pad);
    EXPECT_EQ(abs.X, rel.X);
    EXPECT_EQ(abs.Y, rel.Y);
    EXPECT_EQ(abs.P1, 1000);

    const int32_t standard = S_MakePadStack();
    EXPECT_EQ(OM_Add(DB_PadStackMap(), standard, 1), 1);
    EXPECT_EQ(OM_Object(DB_PadStackMap(), 1), standard);

    // The symbol takes its pad stacks and their items with it.
    ASSERT_EQ(OM_Delete(DB_SymbMap(), symb), 1);
    EXPECT_EQ(S_ReadPadStack(ps, &pr), 0);
    EXPECT_EQ(I_ReadItem(pad, &square), 0);
    EXPECT_EQ(OA_GetCount(padItems), 0);
    EXPECT_EQ(S_ReadPadStack(standard, &pr), 1);
}

// ---- Items ------------------------------------------------------------------------------

TEST_F(KernelParts, ItemRecordsRoundTrip)
{
    const int32_t text = I_MakeText(10, 20, 45000, 100, 80, "R1", 130, 33, 7);
    ASSERT_NE(text, 0);
    ItemRec r = ReadItem(text);  // a floating item reads as well
    EXPECT_EQ(r.Kind, 6);
    EXPECT_EQ(r.Flags, 130);
    EXPECT_EQ(r.Link, 0);
    EXPECT_EQ(r.X, 10);
    EXPECT_EQ(r.Y, 20);
    EXPECT_EQ(r.Layer, 33);
    EXPECT_EQ(r.Style, 0);
    EXPECT_EQ(r.Width, 7);
    EXPECT_EQ(r.Gap, 0);
    EXPECT_EQ(r.Angle, 45000);
    EXPECT_EQ(r.P1, 100);
    EXPECT_EQ(r.P2, 80);
    EXPECT_STREQ(r.Text, "R1");
    EXPECT_EQ(r.P4, 0);
    EXPECT_EQ(O_GetStatus(text), 130);  // the flags are the status word

    // Every kind through I_MakeItem, every field distinct.
    for (int32_t kind = 1; kind <= 6; ++kind) {
        ItemRec in{};
        in.Kind = kind;
        in.Flags = 100 + kind;
        in.Link = 200 + kind;
        in.X = -300 - kind;
        in.Y = 400 + kind;
        in.Layer = static_cast<uint8_t>(96 + kind);
        in.Style = static_cast<uint8_t>(kind);
        in.Width = 500 + kind;
        in.Gap = 600 + kind;
        in.Angle = 1000 * kind;
        in.P1 = 700 + kind;
        in.P2 = -800 - kind;
        in.P3 = 900 + kind;
        in.P4 = -1000 - kind;
        in.Text = "made";  // taken for texts only
        const int32_t item = I_MakeItem(&in);
        ASSERT_NE(item, 0) << "kind " << kind;
        const ItemRec out = ReadItem(item);
        EXPECT_EQ(out.Kind, kind);
        EXPECT_EQ(out.Flags, in.Flags);
        EXPECT_EQ(out.Link, in.Link);
        EXPECT_EQ(out.X, in.X);
        EXPECT_EQ(out.Y, in.Y);
        EXPECT_EQ(out.Layer, in.Layer);
        EXPECT_EQ(out.Style, in.Style);
        EXPECT_EQ(out.Width, in.Width);
        EXPECT_EQ(out.Gap, in.Gap);
        EXPECT_EQ(out.Angle, in.Angle);
        EXPECT_EQ(out.P1, in.P1);
        EXPECT_EQ(out.P2, in.P2);
        EXPECT_EQ(out.P3, in.P3);
        EXPECT_EQ(out.P4, in.P4);
        if (kind == 6)
            EXPECT_STREQ(out.Text, "made");
        else
            EXPECT_EQ(out.Text, nullptr) << "kind " << kind;
    }

    // Texts follow the name rule: up to 255 bytes; the empty text is a text.
    const std::string longest(255, 't'), tooLong(256, 't');
    const int32_t big = I_MakeText(0, 0, 0, 1, 1, longest.c_str(), 0, 0, 0);
    ASSERT_NE(big, 0);
    EXPECT_EQ(ReadItem(big).Text, longest);
    EXPECT_NE(I_MakeText(0, 0, 0, 1, 1, "", 0, 0, 0), 0);
    // Layer is a byte: the low byte of the value given.
    EXPECT_EQ(ReadItem(I_MakeText(0, 0, 0, 1, 1, "x", 0, 0x1FF, 0)).Layer, 0xFF);
    ItemRec bad{};
    struct Case {
        const char* what;
        int32_t result;
    } refusals[] = {
        {"null text", I_MakeText(0, 0, 0, 1, 1, nullptr, 0, 0, 0)},
        {"text over 255 bytes", I_MakeText(0, 0, 0, 1, 1, tooLong.c_str(), 0, 0, 0)},
        {"X beyond the limit", I_MakeText(220000001, 0, 0, 1, 1, "x", 0, 0, 0)},
        {"record Y beyond the limit", I_MakeItem([] {
             static ItemRec r{};
             r.Kind = 4;
             r.Y = -220000001;
             return &r;
         }())},
        {"null record", I_MakeItem(nullptr)},
        {"kind 0", I_MakeItem(&bad)},
        {"kind 7", I_MakeItem([] {
             static ItemRec r{};
             r.Kind = 7;
             return &r;
         }())},
        {"text kind without text", I_MakeItem([] {
             static ItemRec r{};
             r.Kind = 6;
             r.Text = nullptr;
             return &r;
         }())},
    };
    for (const Case& c : refusals) EXPECT_EQ(c.result, 0) << c.what;
}

TEST_F(KernelParts, ComponentTextArraysAddDeleteAndSearch)
{
    const int32_t c = MakeComp("U1", MakeGateSymbol());
    const int32_t arr = C_CompTextArray(c);
    ASSERT_NE(arr, 0);
    const struct {
        const char* text;
        int32_t flags, layer, link;
    } texts[] = {
        {"U1", 130, 33, 0}, {"NAND", 132, 34, 0}, {"A", 136, 35, 0},
        {"1", 144, 38, 1},  {"2", 144, 38, 2},    {"HIER", 32, 32, 0},
    };
    std::vector<int32_t> handles;
    for (const auto& t : texts) {
        const int32_t item = I_MakeText(0, 0, 0, 100, 80, t.text, t.flags, t.layer, 0);
        ASSERT_EQ(I_ChangeItemLink(item, t.link), 1);
        handles.push_back(item);
        EXPECT_EQ(OA_Add(arr, item), static_cast<int32_t>(handles.size()));
    }
    for (int32_t i = 1; i <= 6; ++i) EXPECT_EQ(C_CompText(c, i), handles[static_cast<size_t>(i - 1)]);
    EXPECT_EQ(C_CompText(c, 7), 0);
    EXPECT_EQ(OA_GetCount(arr), 6);

    // Any bit of the mask matches.
    const struct {
        int32_t start, mask, index;
    } searches[] = {
        {1, 22, 1}, {2, 22, 2}, {3, 22, 4}, {5, 22, 5}, {6, 22, 0}, {1, 8, 3},
        {1, 64, 0}, {7, 2, 0},  {1, 32, 6}, {0, 128, 1}, {3, 128, 3},
    };
    for (const auto& s : searches)
        EXPECT_EQ(OA_SearchMask(arr, s.start, s.mask), s.index) << "mask " << s.mask << " from " << s.start;
    const struct {
        int32_t start, mask, link, index;
    } linkSearches[] = {
        {1, 16, 2, 5}, {1, 16, 1, 4}, {5, 16, 1, 0}, {1, 16, 0, 0},
        {1, 32, 0, 6}, {1, 2, 0, 1},  {2, 2, 0, 0},  {1, -1, 2, 5},
    };
    for (const auto& s : linkSearches)
        EXPECT_EQ(IA_SearchMaskLink(arr, s.start, s.mask, s.link), s.index)
            << "mask " << s.mask << " link " << s.link << " from " << s.start;

    // Marks set with O_Mask are Flags bits like the others.
    ASSERT_EQ(O_Mask(C_CompText(c, 3), 256, 256), 1);
    EXPECT_EQ(OA_SearchMask(arr, 1, 256), 3);
    EXPECT_EQ(ReadItem(handles[2]).Flags, 136 | 256);

    // Deleting moves the later items up; their handles stay good.
    ASSERT_EQ(OA_Delete(arr, 2), 1);
    EXPECT_EQ(I_ReadItem(handles[1], nullptr), 0);
    ItemRec gone{};
    EXPECT_EQ(I_ReadItem(handles[1], &gone), 0);
    EXPECT_EQ(C_CompText(c, 2), handles[2]);
    EXPECT_EQ(OA_SearchMask(arr, 1, 256), 2);
    EXPECT_EQ(OA_GetCount(arr), 5);

    // Search again from the same index after each deletion.
    int32_t k = 1, deleted = 0;
    while ((k = OA_SearchMask(arr, k, 16)) > 0) {
        ASSERT_EQ(OA_Delete(arr, k), 1);
        ++deleted;
    }
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(OA_GetCount(arr), 3);
    EXPECT_STREQ(ReadItem(C_CompText(c, 3)).Text, "HIER");
}

TEST_F(KernelParts, DeletingAComponentDeletesItsTexts)
{
    const int32_t symb = MakeGateSymbol();
    const int32_t c = MakeComp("U1", symb);
    const int32_t comp = C_Component(c), arr = C_CompTextArray(c);
    const int32_t text = I_MakeText(0, 0, 0, 100, 80, "U1", 130, 33, 0);
    ASSERT_EQ(OA_Add(arr, text), 1);
    ASSERT_EQ(OM_Delete(DB_SchCompMap(), c), 1);

    ItemRec r{};
    EXPECT_EQ(I_ReadItem(text, &r), 0);
    EXPECT_EQ(O_GetStatus(text), 0);
    EXPECT_EQ(I_ChangeItemLink(text, 3), 0);
    EXPECT_EQ(O_GetName(comp), nullptr);
    EXPECT_EQ(OA_GetCount(arr), 0);
    EXPECT_EQ(OA_Add(arr, I_MakeText(0, 0, 0, 1, 1, "x", 0, 0, 0)), 0);

    // A new component under the same id has its own, empty, text array.
    ASSERT_EQ(MakeComp("U9", symb), c);
    EXPECT_NE(C_CompTextArray(c), arr);
    EXPECT_EQ(OA_GetCount(C_CompTextArray(c)), 0);
    EXPECT_EQ(OA_Add(C_CompTextArray(c), I_MakeText(0, 0, 0, 1, 1, "y", 0, 0, 0)), 1);
    EXPECT_EQ(I_ReadItem(text, &r), 0);

    // Layout components likewise.
    const int32_t lay = L_CreateComponent(0, "IC1", 0, 0, symb, 0, 0, 0, 0);
    const int32_t ltext = I_MakeText(0, 0, 0, 1, 1, "IC1", 2, 0, 0);
    ASSERT_EQ(OA_Add(L_CompTextArray(lay), ltext), 1);
    EXPECT_EQ(L_CompText(lay, 1), ltext);
    EXPECT_EQ(OA_SearchMask(L_CompTextArray(lay), 1, 2), 1);
    ASSERT_EQ(OM_Delete(DB_LayCompMap(), lay), 1);
    EXPECT_EQ(I_ReadItem(ltext, &r), 0);
}

TEST_F(KernelParts, AbsoluteItemPositionsFollowTheOwner)
{
    const int32_t symb = MakeGateSymbol();
    const int32_t c = MakeComp("U1", symb, 0, 1000, 2000, 90000);
    const int32_t arr = C_CompTextArray(c);
    const int32_t text = I_MakeText(10, 5, 30000, 100, 80, "U1", 130, 33, 0);
    ItemRec lineRec{};
    lineRec.Kind = 1;
    lineRec.P1 = 100;
    const int32_t line = I_MakeItem(&lineRec);
    ItemRec arcRec{};
    arcRec.Kind = 5;
    arcRec.P1 = 50;
    arcRec.P2 = 0;
    arcRec.P3 = 90000;
    const int32_t arc = I_MakeItem(&arcRec);
    ItemRec boxRec{};
    boxRec.Kind = 3;
    boxRec.X = 10;
    boxRec.P1 = 20;
    boxRec.P2 = 30;
    const int32_t box = I_MakeItem(&boxRec);
    ItemRec triRec{};
    triRec.Kind = 2;
    triRec.P1 = 10;
    triRec.P2 = 0;
    triRec.P3 = 0;
    triRec.P4 = 20;
    const int32_t tri = I_MakeItem(&triRec);
    for (int32_t item : {text, line, arc, box, tri}) ASSERT_GT(OA_Add(arr, item), 0);

    // The component at (1000, 2000); its items: a text at (10, 5) turned by
    // 30 degrees, a line (0, 0)-(100, 0), an arc of radius 50 from 0 through
    // +90 degrees, a rectangle at (10, 0) of 20 x 30, a triangle with the
    // offsets (10, 0) and (0, 20).
    const struct {
        int32_t angle;
        bool mirrored;
        int32_t textX, textY, textAngle;
        int32_t lineDx, lineDy;
        int32_t arcStart, arcSweep;
        int32_t boxX, boxY, boxAngle, boxSizeX;
        int32_t triBx, triBy, triCx, triCy;
    } cases[] = {
        {0, false, 1010, 2005, 30000, 100, 0, 0, 90000, 1010, 2000, 0, 20, 10, 0, 0, 20},
        {90000, false, 995, 2010, 120000, 0, 100, 90000, 90000, 1000, 2010, 90000, 20, 0, 10, -20, 0},
        {180000, false, 990, 1995, 210000, -100, 0, 180000, 90000, 990, 2000, 180000, 20, -10, 0, 0, -20},
        // Mirrored: X first becomes -X; rotations are negated, the arc's
        // start is reflected with its points and it runs the other way, and
        // the rectangle runs the other way along its first side.
        {0, true, 990, 2005, 330000, -100, 0, 180000, -90000, 990, 2000, 0, -20, -10, 0, 0, 20},
        {90000, true, 995, 1990, 60000, 0, -100, 270000, -90000, 1000, 1990, 90000, -20, 0, -10, -20, 0},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(::testing::Message() << "angle " << k.angle << (k.mirrored ? " mirrored" : ""));
        ASSERT_EQ(C_ChangeCompDispAttr(c, k.angle, k.mirrored), 1);
        const ItemRec t = ReadItemAbs(text);
        EXPECT_EQ(t.X, k.textX);
        EXPECT_EQ(t.Y, k.textY);
        EXPECT_EQ(t.Angle, k.textAngle);
        EXPECT_EQ(t.P1, 100);
        EXPECT_STREQ(t.Text, "U1");
        const ItemRec l = ReadItemAbs(line);
        EXPECT_EQ(l.X, 1000);
        EXPECT_EQ(l.Y, 2000);
        EXPECT_EQ(l.P1, k.lineDx);
        EXPECT_EQ(l.P2, k.lineDy);
        const ItemRec a = ReadItemAbs(arc);
        EXPECT_EQ(a.P1, 50);
        EXPECT_EQ(a.P2, k.arcStart);
        EXPECT_EQ(a.P3, k.arcSweep);
        const ItemRec b = ReadItemAbs(box);
        EXPECT_EQ(b.X, k.boxX);
        EXPECT_EQ(b.Y, k.boxY);
        EXPECT_EQ(b.Angle, k.boxAngle);
        EXPECT_EQ(b.P1, k.boxSizeX);
        EXPECT_EQ(b.P2, 30);
        const ItemRec tr = ReadItemAbs(tri);
        EXPECT_EQ(tr.P1, k.triBx);
        EXPECT_EQ(tr.P2, k.triBy);
        EXPECT_EQ(tr.P3, k.triCx);
        EXPECT_EQ(tr.P4, k.triCy);
        // The stored item stays relative to the component.
        EXPECT_EQ(ReadItem(text).X, 10);
        EXPECT_EQ(ReadItem(line).P1, 100);
    }

    // A layout component on the other side mirrors its texts' places.
    const int32_t lay = L_CreateComponent(0, "IC1", 2, 0, symb, 0, 0, 0, 0);
    const int32_t ltext = I_MakeText(10, 5, 0, 100, 80, "IC1", 2, 0, 0);
    ASSERT_EQ(OA_Add(L_CompTextArray(lay), ltext), 1);
    EXPECT_EQ(ReadItemAbs(ltext).X, -10);
    EXPECT_EQ(ReadItemAbs(ltext).Y, 5);

    // Symbol items (through the placement frame, at rest the identity),
    // layout texts and items not yet in an array are read as stored.
    const int32_t sitem = I_MakeText(10, 5, 0, 100, 80, "&", 4, 36, 0);
    ASSERT_EQ(OA_Add(S_SymbolItemArray(symb), sitem), 1);
    const int32_t ttext = I_MakeText(7000, 8000, 90000, 100, 80, "BOARD", 2, 0, 0);
    ASSERT_EQ(OA_Add(DB_LayoutTextArray(), ttext), 1);
    EXPECT_EQ(T_LayoutText(1), ttext);
    EXPECT_EQ(T_LayoutText(2), 0);
    const int32_t floating = I_MakeText(3, 4, 0, 1, 1, "f", 0, 0, 0);
    const struct {
        int32_t item, x, y;
    } asStored[] = {{sitem, 10, 5}, {ttext, 7000, 8000}, {floating, 3, 4}};
    for (const auto& s : asStored) {
        EXPECT_EQ(ReadItemAbs(s.item).X, s.x);
        EXPECT_EQ(ReadItemAbs(s.item).Y, s.y);
    }
}

TEST_F(KernelParts, ChangingItems)
{
    const int32_t text = I_MakeText(10, 20, 0, 100, 80, "VAL", 136, 35, 7);
    ItemRec r = ReadItem(text);
    r.X = 1;
    r.Y = 2;
    r.Angle = 90000;
    r.P1 = 999;
    r.P2 = 998;
    r.Link = 5;
    r.Flags = 0;
    r.Text = "OTHER";
    ASSERT_EQ(I_ChangeItemXY(text, &r), 1);
    ItemRec t = ReadItem(text);
    EXPECT_EQ(t.X, 1);
    EXPECT_EQ(t.Y, 2);
    EXPECT_EQ(t.Angle, 90000);
    // A text keeps its size, string, link and flags.
    EXPECT_EQ(t.P1, 100);
    EXPECT_EQ(t.P2, 80);
    EXPECT_STREQ(t.Text, "VAL");
    EXPECT_EQ(t.Link, 0);
    EXPECT_EQ(t.Flags, 136);

    // A shape takes its extent as well.
    ItemRec lineRec{};
    lineRec.Kind = 2;
    lineRec.Flags = 4;
    const int32_t shape = I_MakeItem(&lineRec);
    lineRec.X = 5;
    lineRec.Y = 6;
    lineRec.Angle = -90000;
    lineRec.P1 = 300;
    lineRec.P2 = -400;
    lineRec.P3 = 50;
    lineRec.P4 = 60;
    lineRec.Flags = 0;
    ASSERT_EQ(I_ChangeItemXY(shape, &lineRec), 1);
    const ItemRec s = ReadItem(shape);
    EXPECT_EQ(s.X, 5);
    EXPECT_EQ(s.Y, 6);
    EXPECT_EQ(s.Angle, -90000);  // as given
    EXPECT_EQ(s.P1, 300);
    EXPECT_EQ(s.P2, -400);
    EXPECT_EQ(s.P3, 50);
    EXPECT_EQ(s.P4, 60);
    EXPECT_EQ(s.Flags, 4);

    // Layer and style take the low bytes of the values given.
    ASSERT_EQ(I_ChangeItemAttr(shape, 5, 0x140, 0x1FF, 3), 1);
    EXPECT_EQ(ReadItem(shape).Layer, 0x40);
    EXPECT_EQ(ReadItem(shape).Style, 0xFF);
    ASSERT_EQ(I_ChangeItemAttr(text, 257, 40, 3, 9), 1);
    t = ReadItem(text);
    EXPECT_EQ(t.Flags, 257);
    EXPECT_EQ(t.Layer, 40);
    EXPECT_EQ(t.Style, 3);
    EXPECT_EQ(t.Width, 9);
    EXPECT_EQ(O_GetStatus(text), 257);

    ASSERT_EQ(I_ChangeTextSize(text, 120, 90), 1);
    EXPECT_EQ(I_ChangeTextSize(shape, 1, 1), 0);  // texts only
    EXPECT_EQ(ReadItem(shape).P1, 300);
    ASSERT_EQ(I_ChangeItemLink(text, 7), 1);
    ASSERT_EQ(I_ChangeItemGap(text, 11), 1);
    ASSERT_EQ(O_Mask(text, 9, 265), 1);
    t = ReadItem(text);
    EXPECT_EQ(t.P1, 120);
    EXPECT_EQ(t.P2, 90);
    EXPECT_EQ(t.Link, 7);
    EXPECT_EQ(t.Gap, 11);
    EXPECT_EQ(t.Flags, 9);
    EXPECT_EQ(t.X, 1);
    EXPECT_STREQ(t.Text, "VAL");
}

// ---- Bad input --------------------------------------------------------------------------

TEST_F(KernelParts, BadInputChangesNothing)
{
    const int32_t symb = MakeGateSymbol();
    const int32_t dev = D_CreateDevice(0, "7400", "DIP14");
    ASSERT_EQ(D_AddGroup(dev, "A", "NAND"), 1);
    ASSERT_EQ(D_AddPin(dev, 1, 1, "A"), 1);
    const int32_t c = MakeComp("U1", symb, dev, 10, 20);
    const int32_t lay = L_CreateComponent(0, "IC1", 0, dev, symb, 0, 0, 0, 0);
    const int32_t text = I_MakeText(1, 2, 0, 100, 80, "U1", 130, 33, 0);
    ASSERT_EQ(OA_Add(C_CompTextArray(c), text), 1);
    const int32_t ps = S_MakePadStack();
    const int32_t pins = D_GroupPinArray(dev, 1);
    // A stale item handle: its item was made, placed and deleted.
    const int32_t stale = I_MakeText(0, 0, 0, 1, 1, "gone", 0, 0, 0);
    ASSERT_EQ(OA_Add(C_CompTextArray(c), stale), 2);
    ASSERT_EQ(OA_Delete(C_CompTextArray(c), 2), 1);
    const std::string tooLong(256, 'n');

    CompRec comp;
    LayCompRec layRec;
    EntryRec entry;
    DeviceRec device;
    GroupRec group;
    PinRec pin;
    SymbRec symbol;
    SymbEntryRec symbEntry;
    PadStackRec padStack;
    ItemRec item, itemAbs;
    Poison(comp);
    Poison(layRec);
    Poison(entry);
    Poison(device);
    Poison(group);
    Poison(pin);
    Poison(symbol);
    Poison(symbEntry);
    Poison(padStack);
    Poison(item);
    Poison(itemAbs);
    ItemRec change{};
    change.X = 555;
    change.Y = 555;
    ItemRec far = ReadItem(text);
    far.X = 220000001;

    struct Case {
        const char* what;
        int32_t result;
    } cases[] = {
        {"C_Component missing", C_Component(999)},
        {"C_Component 0", C_Component(0)},
        {"C_ReadComponent missing", C_ReadComponent(999, &comp)},
        {"C_ReadComponent null", C_ReadComponent(c, nullptr)},
        {"C_ReadEntry entry 0", C_ReadEntry(c, 0, &entry)},
        {"C_ReadEntry past the end", C_ReadEntry(c, 3, &entry)},
        {"C_ReadEntry missing component", C_ReadEntry(999, 1, &entry)},
        {"C_ReadEntry null", C_ReadEntry(c, 1, nullptr)},
        {"C_CreateComponent long name", C_CreateComponent(0, tooLong.c_str(), 0, dev, symb, 0, 0, 0, 0)},
        {"C_ChangeCompDispAttr missing", C_ChangeCompDispAttr(999, 90000, 1)},
        {"C_ChangeCompSymbol missing symbol", C_ChangeCompSymbol(c, 999)},
        {"C_ChangeCompDevice missing device", C_ChangeCompDevice(c, 999)},
        {"C_ChangeCompPackInfo missing layout", C_ChangeCompPackInfo(c, 999, 1)},
        {"C_ChangeItemMask missing", C_ChangeItemMask(999, 1)},
        {"C_CompTextArray missing", C_CompTextArray(999)},
        {"C_CompText 0", C_CompText(c, 0)},
        {"C_CompText past the end", C_CompText(c, 2)},
        {"C_SearchSymbol null cursor", C_SearchSymbol(nullptr, symb)},
        {"L_Component missing", L_Component(999)},
        {"L_ReadComponent missing", L_ReadComponent(999, &layRec)},
        {"L_ReadComponent null", L_ReadComponent(lay, nullptr)},
        {"L_ReadEntry past the end", L_ReadEntry(lay, 5, &entry)},
        {"L_GetSchCompId no parts", L_GetSchCompId(lay, 1)},
        {"L_AddSchCompId missing component", L_AddSchCompId(lay, 999)},
        {"L_ChangeSchCompId no slot", L_ChangeSchCompId(lay, 1, c)},
        {"L_DeleteSchCompId no slot", L_DeleteSchCompId(lay, 1)},
        {"L_CompText past the end", L_CompText(lay, 1)},
        {"L_SearchDevice null cursor", L_SearchDevice(nullptr, dev)},
        {"D_Device missing", D_Device(999)},
        {"D_ReadDevice missing", D_ReadDevice(999, &device)},
        {"D_ReadDevice null", D_ReadDevice(dev, nullptr)},
        {"D_ReadGroup 0", D_ReadGroup(dev, 0, &group)},
        {"D_ReadGroup past the end", D_ReadGroup(dev, 2, &group)},
        {"D_GroupArray missing", D_GroupArray(999)},
        {"D_GroupPinArray past the end", D_GroupPinArray(dev, 5)},
        {"D_SupplyPinArray missing", D_SupplyPinArray(999)},
        {"D_ReadPin 0", D_ReadPin(pins, 0, &pin)},
        {"D_ReadPin past the end", D_ReadPin(pins, 2, &pin)},
        {"D_ReadPin not a pin array", D_ReadPin(C_CompTextArray(c), 1, &pin)},
        {"D_ReadPin map handle", D_ReadPin(DB_SchCompMap(), 1, &pin)},
        {"D_SearchPinName null", D_SearchPinName(pins, 1, nullptr)},
        {"D_SearchPinName not a pin array", D_SearchPinName(C_CompTextArray(c), 1, "U1")},
        {"D_CreateDevice long name", D_CreateDevice(0, tooLong.c_str(), "P")},
        {"D_CreateDevice null package", D_CreateDevice(0, "X", nullptr)},
        {"D_CreateDevice long package", D_CreateDevice(0, "X", tooLong.c_str())},
        {"D_CreateDevice id taken", D_CreateDevice(dev, "X", "P")},
        {"D_ChangeDevicePrefix over 8 characters", D_ChangeDevicePrefix(dev, "ABCDEFGHI")},
        {"D_ChangeDevicePrefix null", D_ChangeDevicePrefix(dev, nullptr)},
        {"D_ChangeDevicePrefix missing", D_ChangeDevicePrefix(999, "U")},
        {"D_AddGroup long name", D_AddGroup(dev, tooLong.c_str(), "NAND")},
        {"D_AddGroup null symbol name", D_AddGroup(dev, "B", nullptr)},
        {"D_AddGroup missing device", D_AddGroup(999, "B", "NAND")},
        {"D_AddPin long name", D_AddPin(dev, 1, 2, tooLong.c_str())},
        {"D_AddPin missing group", D_AddPin(dev, 2, 2, "B")},
        {"D_AddPin negative group", D_AddPin(dev, -1, 2, "B")},
        {"S_Symbol missing", S_Symbol(999)},
        {"S_CreateSymbol long name", S_CreateSymbol(0, tooLong.c_str())},
        {"S_CreateSymbol null name", S_CreateSymbol(0, nullptr)},
        {"S_CreateSymbol id taken", S_CreateSymbol(symb, "X")},
        {"S_ReadSymbol missing", S_ReadSymbol(999, &symbol)},
        {"S_ReadSymbol null", S_ReadSymbol(symb, nullptr)},
        {"S_ReadEntry past the end", S_ReadEntry(symb, 3, &symbEntry)},
        {"S_ReadEntry null", S_ReadEntry(symb, 1, nullptr)},
        {"S_SymbolItem none", S_SymbolItem(symb, 1)},
        {"S_SymbolItemArray missing", S_SymbolItemArray(999)},
        {"S_SymbolEntryArray missing", S_SymbolEntryArray(999)},
        {"S_SymbolPadStackMap missing", S_SymbolPadStackMap(999)},
        {"S_AddEntry missing symbol", S_AddEntry(999, "X", 0, 0, 0, 0, 0, 0)},
        {"S_AddEntry long name", S_AddEntry(symb, tooLong.c_str(), 0, 0, 0, 0, 0, 0)},
        {"S_ChangeEntrySwapLevel no entry", S_ChangeEntrySwapLevel(symb, 5, 1)},
        {"S_ChangeEntrySwapLevel below -1", S_ChangeEntrySwapLevel(symb, 1, -2)},
        {"S_ReadPadStack item handle", S_ReadPadStack(text, &padStack)},
        {"S_ReadPadStack symbol handle", S_ReadPadStack(S_Symbol(symb), &padStack)},
        {"S_ReadPadStack null", S_ReadPadStack(ps, nullptr)},
        {"S_ChangePadStackHole stale", S_ChangePadStackHole(stale, 1, 1)},
        {"S_PadStackItemArray component handle", S_PadStackItemArray(C_Component(c))},
        {"I_ReadItem stale", I_ReadItem(stale, &item)},
        {"I_ReadItem component handle", I_ReadItem(C_Component(c), &item)},
        {"I_ReadItem null", I_ReadItem(text, nullptr)},
        {"I_ReadItemAbs stale", I_ReadItemAbs(stale, &itemAbs)},
        {"I_ReadItemAbs null", I_ReadItemAbs(text, nullptr)},
        {"I_ChangeItemXY null", I_ChangeItemXY(text, nullptr)},
        {"I_ChangeItemXY stale", I_ChangeItemXY(stale, &change)},
        {"I_ChangeItemXY pad stack handle", I_ChangeItemXY(ps, &change)},
        {"I_ChangeItemAttr stale", I_ChangeItemAttr(stale, 1, 1, 1, 1)},
        {"I_ChangeTextSize stale", I_ChangeTextSize(stale, 1, 1)},
        {"I_ChangeItemLink stale", I_ChangeItemLink(stale, 1)},
        {"I_ChangeItemGap component handle", I_ChangeItemGap(C_Component(c), 1)},
        {"I_MakeText long text", I_MakeText(0, 0, 0, 1, 1, tooLong.c_str(), 0, 0, 0)},
        {"I_ChangeItemXY X beyond the limit", I_ChangeItemXY(text, &far)},
        {"I_ChangeTextSize pad stack handle", I_ChangeTextSize(ps, 1, 1)},
        {"S_AddEntry Y beyond the limit", S_AddEntry(symb, "C", 0, 220000001, 0, 0, 0, 0)},
        {"T_LayoutText none", T_LayoutText(1)},
        {"T_LayoutText 0", T_LayoutText(0)},
    };
    for (const Case& k : cases) EXPECT_EQ(k.result, 0) << k.what;

    // The failed reads left their records alone.
    EXPECT_TRUE(Untouched(comp));
    EXPECT_TRUE(Untouched(layRec));
    EXPECT_TRUE(Untouched(entry));
    EXPECT_TRUE(Untouched(device));
    EXPECT_TRUE(Untouched(group));
    EXPECT_TRUE(Untouched(pin));
    EXPECT_TRUE(Untouched(symbol));
    EXPECT_TRUE(Untouched(symbEntry));
    EXPECT_TRUE(Untouched(padStack));
    EXPECT_TRUE(Untouched(item));
    EXPECT_TRUE(Untouched(itemAbs));

    // And nothing changed.
    const CompRec r = ReadComp(c);
    EXPECT_EQ(r.Symb, symb);
    EXPECT_EQ(r.Device, dev);
    EXPECT_EQ(r.LayComp, 0);
    EXPECT_EQ(r.Angle, 0);
    EXPECT_EQ(r.Flags, 1);
    EXPECT_EQ(r.Extra, 1);
    EXPECT_EQ(OM_GetCount(DB_SchCompMap()), 1);
    EXPECT_EQ(OM_GetCount(DB_DeviceMap()), 1);
    EXPECT_EQ(OM_GetCount(DB_SymbMap()), 1);
    ASSERT_EQ(D_ReadDevice(dev, &device), 1);
    EXPECT_EQ(device.Groups, 1);
    EXPECT_STREQ(device.Prefix, "");
    GroupRec g{};
    ASSERT_EQ(D_ReadGroup(dev, 1, &g), 1);
    EXPECT_EQ(g.Pins, 1);
    ASSERT_EQ(S_ReadSymbol(symb, &symbol), 1);
    EXPECT_EQ(symbol.Entries, 2);
    SymbEntryRec e{};
    ASSERT_EQ(S_ReadEntry(symb, 1, &e), 1);
    EXPECT_EQ(e.SwapLevel, -1);
    const ItemRec t = ReadItem(text);
    EXPECT_EQ(t.X, 1);
    EXPECT_EQ(t.Layer, 33);
    EXPECT_EQ(t.Flags, 130);
    EXPECT_EQ(OA_GetCount(C_CompTextArray(c)), 1);
    ASSERT_EQ(S_ReadPadStack(ps, &padStack), 1);
    EXPECT_EQ(padStack.Hole, 0);
}

TEST_F(KernelParts, EverythingFailsWithoutADatabase)
{
    const int32_t symb = S_CreateSymbol(0, "R");
    const int32_t c = MakeComp("R1", symb);
    const int32_t text = I_MakeText(0, 0, 0, 1, 1, "R1", 130, 33, 0);
    DB_DiscardDataBase();
    CompRec r{};
    EXPECT_EQ(C_ReadComponent(c, &r), 0);
    EXPECT_EQ(MakeComp("R2", 0), 0);
    EXPECT_EQ(L_CreateComponent(0, "IC", 0, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(S_CreateSymbol(0, "S"), 0);
    EXPECT_EQ(D_CreateDevice(0, "D", "P"), 0);
    EXPECT_EQ(S_MakePadStack(), 0);
    EXPECT_EQ(I_MakeText(0, 0, 0, 1, 1, "t", 0, 0, 0), 0);
    EXPECT_EQ(I_MakeItem([] {
                  static ItemRec rec{};
                  rec.Kind = 1;
                  return &rec;
              }()),
              0);
    EXPECT_EQ(I_ReadItem(text, nullptr), 0);
    ItemRec ir{};
    EXPECT_EQ(I_ReadItem(text, &ir), 0);
    EXPECT_EQ(T_LayoutText(1), 0);
}

}  // namespace
