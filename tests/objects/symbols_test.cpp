// Deleting devices and symbols that no component uses, a symbol's entries
// by name, and a symbol drawn at a place.
#include "editor/objects/libraries.h"
#include "editor/objects/symbols.h"
#include "editor/shell/textnum.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/objects/objects_fixture.h"
#include "tests/support/design_builder.h"

#include <gtest/gtest.h>

namespace {

class Symbols : public objects_test::LibraryTest {};

// R1 (a resistor: schematic symbol RES, package AXIAL400, device R) lies on
// the second level only; the root level is current.
void BuildTwoLevels()
{
    ASSERT_TRUE(palvane_test::BuildDesign(R"(
include discrete.nls
unit 0.1in
design D
level TOP
page First
end
level SUB
page Inside
  component R1 R at 0 0
end
)"));
}

int32_t SymbolId(const char* name)
{
    return OM_FindName(DB_SymbMap(), name);
}

TEST_F(Symbols, ASymbolIsKeptWhileAComponentOfAnyLevelUsesIt)
{
    BuildTwoLevels();
    const int32_t top = DB_CurHier();
    const int32_t page = DB_CurPage();
    ASSERT_GT(SymbolId("RES"), 0);
    ASSERT_GT(SymbolId("AXIAL400"), 0);
    // Unused symbols of each kind, for the deleting cases.
    ASSERT_GT(S_CreateSymbol(900, "SPARE"), 0);
    struct Case {
        const char* symbol;
        int32_t kind;
        int32_t inUse;
    } cases[] = {
        {"RES", 0, 1},      {"AXIAL400", 1, 1},  {"RES", 2, 1},  // kind 2 asks every component
        {"AXIAL400", 7, 1}, {"SPARE", 2, 0},
    };
    for (const Case& c : cases) {
        const int32_t id = SymbolId(c.symbol);
        int32_t inUse = -5;
        DeleteUnusedSymb(inUse, c.kind, id);
        EXPECT_EQ(inUse, c.inUse) << c.symbol << " kind " << c.kind;
        EXPECT_EQ(S_Symbol(id) != 0, c.inUse == 1) << c.symbol << " kind " << c.kind;
        EXPECT_EQ(DB_CurHier(), top);
        EXPECT_EQ(DB_CurPage(), page);
    }
    // A schematic search does not look at layout users, and the reverse.
    int32_t inUse = -5;
    DeleteUnusedSymb(inUse, 0, SymbolId("AXIAL400"));
    EXPECT_EQ(inUse, 0);
    EXPECT_EQ(SymbolId("AXIAL400"), 0);
}

TEST_F(Symbols, ADeviceIsDeletedOnlyWhenNoComponentUsesIt)
{
    BuildTwoLevels();
    const int32_t r = OM_FindName(DB_DeviceMap(), "R");
    ASSERT_GT(r, 0);
    int32_t status = 0;
    DeleteUnusedDevice(status, r);
    EXPECT_EQ(status, 1);
    EXPECT_NE(D_Device(r), 0);

    int32_t c = 0;
    LoadDeviceFromLib(status, c, Shipped("discrete.ndl"), "C");
    ASSERT_EQ(status, 0);
    ASSERT_GT(c, 0);
    DeleteUnusedDevice(status, c);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(D_Device(c), 0);
    DeleteUnusedDevice(status, c);
    EXPECT_EQ(status, 1) << "a device that is gone is not reported deleted";
}

TEST_F(Symbols, EntriesAreFoundByTheirExactName)
{
    BuildTwoLevels();
    int32_t status = 1, npn = 0;
    LoadSymbFromLib(status, npn, Shipped("discrete.nsl"), "NPN");
    ASSERT_EQ(status, 0);
    SymbRec symbol{};
    ASSERT_EQ(S_ReadSymbol(npn, &symbol), 1);
    for (int32_t n = 1; n <= symbol.Entries; ++n) {
        SymbEntryRec read{};
        ASSERT_EQ(S_ReadEntry(npn, n, &read), 1);
        SymbEntryRec found{};
        int32_t number = -1;
        FindSymbEntryByName(number, npn, PtrToStr(read.Name), found);
        EXPECT_EQ(number, n);
        EXPECT_EQ(found.X, read.X);
    }
    SymbEntryRec found{};
    int32_t number = -1;
    FindSymbEntryByName(number, npn, "nope", found);
    EXPECT_EQ(number, 0);
    number = -1;
    FindSymbEntryByName(number, 0, "B", found);
    EXPECT_EQ(number, 0);
}

}  // namespace
