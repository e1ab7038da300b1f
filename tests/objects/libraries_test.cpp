// Devices and symbols by name, from the design or from the library files of
// the shipped settings, and symbols written into library files.
#include "editor/objects/libraries.h"
#include "editor/shell/settings.h"
#include "editor/shell/textnum.h"
#include "tests/objects/objects_fixture.h"

#include <QFile>

#include <gtest/gtest.h>

#include <string>

namespace {

using objects_test::FileBytes;
using objects_test::WriteBytes;

class Libraries : public objects_test::LibraryTest {};

std::string DeviceName(int32_t id)
{
    return PtrToStr(O_GetName(D_Device(id)));
}

std::string SymbolName(int32_t id)
{
    return PtrToStr(O_GetName(S_Symbol(id)));
}

TEST_F(Libraries, APartOfTheSecondLibraryComesWithItsSymbolAndPackage)
{
    int32_t status = 1, id = 0, index = 0;
    std::string libName;
    GetDevice(status, "74HC00", id, libName, index);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(id, -1) << "a library device first comes under the temporary id";
    EXPECT_EQ(index, 2);
    EXPECT_EQ(libName, Shipped("ics.ndl"));
    EXPECT_EQ(libName, g_LibPath);
    EXPECT_EQ(DeviceName(-1), "74HC00");

    // Its gates' symbol and its package come from the second symbol and
    // package libraries.
    GroupRec group{};
    ASSERT_EQ(D_ReadGroup(-1, 1, &group), 1);
    GetSymb(status, 0, PtrToStr(group.SymbName), id, libName, index);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(id, -2);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(libName, Shipped("ics.nsl"));
    EXPECT_EQ(SymbolName(-2), "NAND2");

    DeviceRec device{};
    ASSERT_EQ(D_ReadDevice(-1, &device), 1);
    GetSymb(status, 1, FirstWord(PtrToStr(device.Package)), id, libName, index);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(id, -1);
    EXPECT_EQ(libName, Shipped("ics.npl"));
    EXPECT_EQ(SymbolName(-1), "DIP14");
    SymbRec package{};
    ASSERT_EQ(S_ReadSymbol(-1, &package), 1);
    EXPECT_EQ(package.Flags & 2, 2);
    EXPECT_EQ(package.Entries, 14);

    // Made permanent, the symbol answers a search by name.
    ASSERT_GT(OM_ChangeId(DB_SymbMap(), -2, 0), 0);
    GetSymb(status, 0, "NAND2", id, libName, index);
    EXPECT_EQ(status, 0);
    EXPECT_GT(id, 0);
    EXPECT_EQ(libName, "Local library");
}

TEST_F(Libraries, ADeviceOfTheDesignIsTheLocalLibrarysAndNoFileIsOpened)
{
    ASSERT_GT(D_CreateDevice(4, "R", "AXIAL400"), 0);
    g_LibPath = "untouched";
    int32_t status = 1, id = 0, index = 77;
    std::string libName = "x";
    GetDevice(status, "R", id, libName, index);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(id, 4);
    EXPECT_EQ(libName, "Local library");
    EXPECT_EQ(index, 77);
    EXPECT_EQ(g_LibPath, "untouched");
    EXPECT_EQ(D_Device(-1), 0);
}

TEST_F(Libraries, ANameInNoLibraryGivesStatusOneAndNoLibraryName)
{
    int32_t status = 0, id = 5, index = 0;
    std::string libName = "x";
    GetDevice(status, "NO SUCH PART", id, libName, index);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(id, 0);
    EXPECT_EQ(libName, "");
    EXPECT_EQ(D_Device(-1), 0);
    GetSymb(status, 1, "NOPACKAGE", id, libName, index);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(S_Symbol(-1), 0);

    // A name longer than the kernel takes is simply not found.
    GetDevice(status, std::string(300, 'R'), id, libName, index);
    EXPECT_EQ(status, 1);
}

TEST_F(Libraries, ALeftoverTemporaryDeviceIsReplaced)
{
    int32_t status = 1, id = 0, index = 0;
    std::string libName;
    GetDevice(status, "R", id, libName, index);
    ASSERT_EQ(status, 0);
    GetDevice(status, "C", id, libName, index);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(id, -1);
    EXPECT_EQ(DeviceName(-1), "C");
    EXPECT_EQ(OM_GetCount(DB_DeviceMap()), 0) << "walks and counts leave the temporary out";
}

TEST_F(Libraries, UnusableLibrariesInTheListArePassedOver)
{
    // A text file, a damaged copy, a symbol library and a design image
    // before the library that holds the part.
    WriteBytes(Scratch("foreign.ndl"), "not a library at all\n");
    const std::string good = FileBytes(Shipped("ics.ndl"));
    WriteBytes(Scratch("damaged.ndl"), good.substr(0, good.size() / 2) + std::string(4096, '\x5A'));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(Shipped("ics.nsl")), QString::fromStdString(Scratch("kind.ndl"))));
    ASSERT_EQ(DB_SaveDataBase(Scratch("design.ndl").c_str()), 1);
    ASSERT_TRUE(QFile::copy(QString::fromStdString(Shipped("ics.ndl")), QString::fromStdString(Scratch("ICS.NDL"))));

    g_LibDir = scratch.path().toStdString();
    g_DevLibs.Redim(0, 6);
    g_DevLibs(1) = "missing.ndl";
    g_DevLibs(2) = "foreign.ndl";
    g_DevLibs(3) = "damaged.ndl";
    g_DevLibs(4) = "kind.ndl";
    g_DevLibs(5) = "design.ndl";
    g_DevLibs(6) = "ics.ndl";  // found without regard to case
    int32_t status = 1, id = 0, index = 0;
    std::string libName;
    GetDevice(status, "74HC04", id, libName, index);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(index, 6);
    EXPECT_EQ(libName, Scratch("ICS.NDL"));
    EXPECT_EQ(DeviceName(-1), "74HC04");
}

TEST_F(Libraries, SymbolSearchesKeepSchematicSymbolsAndPackagesApart)
{
    ASSERT_EQ(S_CreateSymbol(3, "X1"), 3);
    ASSERT_EQ(O_Mask(S_Symbol(3), 2, 3), 1);  // a package
    ASSERT_EQ(S_CreateSymbol(5, "X1"), 5);
    ASSERT_EQ(O_Mask(S_Symbol(5), 1, 3), 1);  // a schematic symbol
    struct Case {
        int32_t kind;
        int32_t found;
    } cases[] = {{0, 5}, {1, 3}, {2, 3}, {-1, 3}};
    for (const Case& c : cases) {
        int32_t status = 1, id = 0;
        FindSymbByName(status, c.kind, id, "X1");
        EXPECT_EQ(status, 0) << c.kind;
        EXPECT_EQ(id, c.found) << c.kind;
    }
    int32_t status = 0, id = 0;
    FindSymbByName(status, 0, id, "x1");
    EXPECT_EQ(status, 1) << "names are compared exactly";
}

TEST_F(Libraries, LoadingOverASymbolReplacesItOnlyWhenTheEntryLoads)
{
    ASSERT_EQ(S_CreateSymbol(7, "OLD"), 7);
    int32_t status = 0, id = 7;
    LoadSymbFromLib(status, id, Shipped("discrete.nsl"), "NOSUCH");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(SymbolName(7), "OLD");
    LoadSymbFromLib(status, id, Scratch("missing.nsl"), "RES");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(SymbolName(7), "OLD");
    LoadSymbFromLib(status, id, Shipped("discrete.ndl"), "R");
    EXPECT_EQ(status, 1) << "a parts library is no symbol library";

    LoadSymbFromLib(status, id, Shipped("discrete.nsl"), "RES");
    ASSERT_EQ(status, 0);
    EXPECT_EQ(id, 7);
    EXPECT_EQ(SymbolName(7), "RES");
    SymbRec symbol{};
    ASSERT_EQ(S_ReadSymbol(7, &symbol), 1);
    EXPECT_EQ(symbol.Entries, 2);
    EXPECT_EQ(OM_GetCount(DB_SymbMap()), 1) << "the trial copy is gone";

    int32_t device = 0;
    LoadDeviceFromLib(status, device, Shipped("discrete.ndl"), "R");
    EXPECT_EQ(status, 0);
    EXPECT_GT(device, 0);
    EXPECT_EQ(DeviceName(device), "R");
}

TEST_F(Libraries, ASavedSymbolLoadsBackAndABadSaveLeavesNoFile)
{
    int32_t status = 1, id = 0;
    LoadSymbFromLib(status, id, Shipped("ics.nsl"), "DFF");
    ASSERT_EQ(status, 0);
    const std::string path = Scratch("mine.nsl");
    SaveSymbToLib(status, path, id, "MYDFF");
    ASSERT_EQ(status, 0);
    int32_t back = 0;
    LoadSymbFromLib(status, back, path, "MYDFF");
    ASSERT_EQ(status, 0);
    SymbRec a{}, b{};
    ASSERT_EQ(S_ReadSymbol(id, &a), 1);
    ASSERT_EQ(S_ReadSymbol(back, &b), 1);
    EXPECT_EQ(a.Entries, b.Entries);
    EXPECT_EQ(OA_GetCount(S_SymbolItemArray(id)), OA_GetCount(S_SymbolItemArray(back)));

    struct Case {
        const char* what;
        int32_t symbol;
        std::string entry;
    } cases[] = {{"no such symbol", 999, "E"}, {"empty entry name", id, ""}, {"entry name too long", id, std::string(256, 'E')}};
    for (const Case& c : cases) {
        const std::string fresh = Scratch(std::string("fresh.nsl"));
        status = 0;
        SaveSymbToLib(status, fresh, c.symbol, c.entry);
        EXPECT_EQ(status, 1) << c.what;
        EXPECT_FALSE(QFile::exists(QString::fromStdString(fresh))) << c.what;
        const std::string before = FileBytes(path);
        SaveSymbToLib(status, path, c.symbol, c.entry);
        EXPECT_EQ(status, 1) << c.what;
        EXPECT_EQ(FileBytes(path), before) << c.what;
    }
}

}  // namespace
