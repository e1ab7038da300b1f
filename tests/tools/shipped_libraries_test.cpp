// The shipped libraries: they compile, load back through the kernel's
// library calls exactly as their sources say, hold what the device records
// need, and their symbols look as drawn (pictures written on request).
#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"
#include "tests/support/kernel_fixture.h"
#include "tests/support/screenshot.h"
#include "tests/tools/library_entries.h"
#include "tests/tools/symbol_picture.h"
#include "tools/sources/source_reader.h"

#include <QColor>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace nvo_sources;

struct ShippedLibrary {
    const char* name;
    bool parts;
    bool packages;
};

const ShippedLibrary kLibraries[] = {
    {"discrete", true, true},
    {"ics", true, true},
    {"connectors", true, true},
    {"power", false, false},
};

std::string Compiled(const std::string& name, const char* ext)
{
    return std::string(COMPILED_DATA_DIR "/libraries/") + name + "." + ext;
}

Source ReadShipped(const std::string& name)
{
    Source src;
    std::string error;
    EXPECT_TRUE(ReadSourceFile(palvane_test::LibrarySourceDir() + "/" + name + ".nls", src, error)) << error;
    return src;
}

// The folder the pictures of symbols and pages are written to: the one
// NVO_SYMBOL_PICTURES names, the screenshot folder when it is set but
// empty. Empty when it is not set: no pictures are written.
QString PictureFolder()
{
    const char* folder = std::getenv("NVO_SYMBOL_PICTURES");
    if (!folder) return {};
    if (!*folder) return QString::fromStdString(palvane_test::ScreenshotDir());
    QDir().mkpath(folder);
    return QString::fromLocal8Bit(folder);
}

// Loads the named entry of a library file as a symbol; its id or 0.
int32_t LoadSymbol(const std::string& path, const std::string& name)
{
    const int32_t lib = E_OpenLibrary(path.c_str(), "NorvoSLL00", 0);
    if (lib == 0) return 0;
    const int32_t entry = E_OpenLibToRead(lib, name.c_str());
    const int32_t id = entry ? S_LoadSymbol(0, entry) : 0;
    E_CloseLibrary(lib);
    return id;
}

class ShippedLibraries : public palvane_test::KernelTest {};

TEST_F(ShippedLibraries, EveryLibraryLoadsBackAsItsSourceSays)
{
    for (const ShippedLibrary& l : kLibraries) {
        SCOPED_TRACE(l.name);
        const Source src = ReadShipped(l.name);
        std::set<std::string> schematic, layout, devices;
        for (const std::string& s : src.ownSymbols) (src.library.FindSymbol(s)->layout ? layout : schematic).insert(s);
        devices.insert(src.ownDevices.begin(), src.ownDevices.end());

        // Each file lists exactly its kind's entries, in name order.
        const struct {
            const char* ext;
            const char* kind;
            const std::set<std::string>& names;
            bool expected;
        } files[] = {{"nsl", "NorvoSLL00", schematic, true},
                     {"npl", "NorvoSLL00", layout, l.packages},
                     {"ndl", "NorvoDLL00", devices, l.parts}};
        for (const auto& f : files) {
            const int32_t lib = E_OpenLibrary(Compiled(l.name, f.ext).c_str(), f.kind, 0);
            if (!f.expected) {
                EXPECT_EQ(lib, 0) << f.ext;
                EXPECT_TRUE(f.names.empty());
                continue;
            }
            ASSERT_NE(lib, 0) << Compiled(l.name, f.ext) << ": " << E_LastError();
            const std::vector<std::string> names = palvane_test::EntryNames(lib);
            EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), f.names);
            EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
            EXPECT_EQ(E_CloseLibrary(lib), 1);
        }

        for (const std::string& name : src.ownSymbols) {
            SCOPED_TRACE(name);
            const SymbolDef& def = *src.library.FindSymbol(name);
            const int32_t id = LoadSymbol(Compiled(l.name, def.layout ? "npl" : "nsl"), name);
            ASSERT_NE(id, 0) << E_LastError();
            SymbRec rec{};
            ASSERT_EQ(S_ReadSymbol(id, &rec), 1);
            EXPECT_EQ(std::string(rec.Name), name);
            EXPECT_EQ(rec.Flags, def.layout ? 2 : 1);
            ASSERT_EQ(rec.Entries, static_cast<int32_t>(def.entries.size()));
            for (int32_t e = 1; e <= rec.Entries; ++e) {
                EntryRec er{};
                ASSERT_EQ(S_ReadEntry(id, e, &er), 1);
                const EntryDef& ed = def.entries[e - 1];
                EXPECT_EQ(std::string(er.Name), ed.name);
                EXPECT_EQ(er.X, ed.x);
                EXPECT_EQ(er.Y, ed.y);
                EXPECT_EQ(er.Flags, ed.flags);
                EXPECT_EQ(er.KeyOrTextX, ed.keyOrTextX);
                EXPECT_EQ(er.SwapLevel, ed.swapLevel);
            }
            EXPECT_EQ(OA_GetCount(S_SymbolItemArray(id)), static_cast<int32_t>(def.items.size()));
            EXPECT_EQ(OM_GetCount(S_SymbolPadStackMap(id)), static_cast<int32_t>(def.padStacks.size()));
        }

        if (!l.parts) continue;
        const int32_t lib = E_OpenLibrary(Compiled(l.name, "ndl").c_str(), "NorvoDLL00", 0);
        ASSERT_NE(lib, 0);
        for (const std::string& name : src.ownDevices) {
            SCOPED_TRACE(name);
            const DeviceDef& def = *src.library.FindDevice(name);
            const int32_t entry = E_OpenLibToRead(lib, name.c_str());
            ASSERT_NE(entry, 0);
            const int32_t id = D_LoadDevice(0, entry);
            ASSERT_NE(id, 0) << E_LastError();
            DeviceRec rec{};
            ASSERT_EQ(D_ReadDevice(id, &rec), 1);
            EXPECT_EQ(std::string(rec.Name), name);
            EXPECT_EQ(std::string(rec.Prefix), def.prefix);
            EXPECT_EQ(std::string(rec.Package), def.PackageText());
            ASSERT_EQ(rec.Groups, static_cast<int32_t>(def.groups.size()));
            ASSERT_EQ(rec.SupplyPins, static_cast<int32_t>(def.supply.size()));
            for (int32_t g = 1; g <= rec.Groups; ++g) {
                GroupRec gr{};
                ASSERT_EQ(D_ReadGroup(id, g, &gr), 1);
                EXPECT_EQ(std::string(gr.Name), def.groups[g - 1].name);
                EXPECT_EQ(std::string(gr.SymbName), def.groups[g - 1].symbol);
                ASSERT_EQ(gr.Pins, static_cast<int32_t>(def.groups[g - 1].pins.size()));
                for (int32_t p = 1; p <= gr.Pins; ++p) {
                    PinRec pr{};
                    ASSERT_EQ(D_ReadPin(D_GroupPinArray(id, g), p, &pr), 1);
                    EXPECT_EQ(pr.Number, def.groups[g - 1].pins[p - 1].number);
                    EXPECT_EQ(std::string(pr.Name), def.groups[g - 1].pins[p - 1].name);
                }
            }
        }
        E_CloseLibrary(lib);
    }
}

// What the editor does with a part: the device from a parts library, each
// gate's symbol from the schematic libraries and the package (first word of
// the package text) from the package libraries, every one found.
TEST_F(ShippedLibraries, EveryPartFindsItsSymbolsAndPackage)
{
    std::vector<std::string> schLibs, layLibs;
    for (const ShippedLibrary& l : kLibraries) {
        schLibs.push_back(Compiled(l.name, "nsl"));
        if (l.packages) layLibs.push_back(Compiled(l.name, "npl"));
    }
    auto findIn = [](const std::vector<std::string>& libs, const std::string& name) {
        for (const std::string& path : libs)
            if (int32_t id = LoadSymbol(path, name)) return id;
        return 0;
    };
    int parts = 0;
    for (const ShippedLibrary& l : kLibraries) {
        if (!l.parts) continue;
        const int32_t lib = E_OpenLibrary(Compiled(l.name, "ndl").c_str(), "NorvoDLL00", 0);
        ASSERT_NE(lib, 0);
        for (const std::string& name : palvane_test::EntryNames(lib)) {
            SCOPED_TRACE(name);
            ++parts;
            OM_Delete(DB_DeviceMap(), -1);
            ASSERT_EQ(D_LoadDevice(-1, E_OpenLibToRead(lib, name.c_str())), -1);
            DeviceRec dev{};
            ASSERT_EQ(D_ReadDevice(-1, &dev), 1);
            std::string package = dev.Package;
            package = package.substr(0, package.find(' '));
            const int32_t pkg = findIn(layLibs, package);
            ASSERT_NE(pkg, 0) << "package " << package;
            SymbRec pkgRec{};
            ASSERT_EQ(S_ReadSymbol(pkg, &pkgRec), 1);
            for (int32_t g = 1; g <= dev.Groups; ++g) {
                GroupRec gr{};
                ASSERT_EQ(D_ReadGroup(-1, g, &gr), 1);
                const int32_t sym = findIn(schLibs, gr.SymbName);
                ASSERT_NE(sym, 0) << "symbol " << gr.SymbName;
                for (int32_t p = 1; p <= gr.Pins; ++p) {
                    PinRec pr{};
                    ASSERT_EQ(D_ReadPin(D_GroupPinArray(-1, g), p, &pr), 1);
                    // The pin is drawn at an entry of the gate symbol and
                    // lands on the pad of its number.
                    EXPECT_NE(D_SearchPinName(D_GroupPinArray(-1, g), 1, pr.Name), 0);
                    bool entry = false, pad = false;
                    SymbRec sr{};
                    S_ReadSymbol(sym, &sr);
                    for (int32_t e = 1; e <= sr.Entries; ++e) {
                        EntryRec er{};
                        S_ReadEntry(sym, e, &er);
                        entry = entry || std::string(er.Name) == pr.Name;
                    }
                    for (int32_t e = 1; e <= pkgRec.Entries; ++e) {
                        EntryRec er{};
                        S_ReadEntry(pkg, e, &er);
                        pad = pad || std::string(er.Name) == std::to_string(pr.Number);
                    }
                    EXPECT_TRUE(entry) << pr.Name;
                    EXPECT_TRUE(pad) << pr.Number;
                }
            }
        }
        E_CloseLibrary(lib);
    }
    // R, C, CPOL, L, D, LED, NPN, PNP, NMOS, PMOS; four ICs; CONN2..CONN10.
    EXPECT_EQ(parts, 10 + 4 + 9);
}

// Schematic pins lie on the 0.1 inch grid, each at the outer end of a drawn
// lead; every picture shows ink. With NVO_SYMBOL_PICTURES set, the pictures
// are written to PictureFolder() as <library>_<symbol>.png.
TEST_F(ShippedLibraries, SymbolsSitOnTheGridAndDraw)
{
    const QString folder = PictureFolder();
    for (const ShippedLibrary& l : kLibraries) {
        const Source src = ReadShipped(l.name);
        for (const std::string& name : src.ownSymbols) {
            SCOPED_TRACE(name);
            const SymbolDef& def = *src.library.FindSymbol(name);
            const int32_t id = LoadSymbol(Compiled(l.name, def.layout ? "npl" : "nsl"), name);
            ASSERT_NE(id, 0);
            if (!def.layout) {
                for (const EntryDef& e : def.entries) {
                    EXPECT_EQ(e.x % 254000, 0) << e.name;
                    EXPECT_EQ(e.y % 254000, 0) << e.name;
                    bool lead = false;
                    for (const ItemDef& it : def.items)
                        if (it.kind == 1)
                            lead = lead || (it.x == e.x && it.y == e.y) ||
                                   (it.x + it.p1 == e.x && it.y + it.p2 == e.y);
                    EXPECT_TRUE(lead) << "entry " << e.name << " is at the end of no line";
                }
            }
            const QImage picture = palvane_test::SymbolPicture(id);
            ASSERT_FALSE(picture.isNull());
            int ink = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x) ink += qGray(picture.pixel(x, y)) < 128;
            EXPECT_GT(ink, 100);
            if (!folder.isEmpty()) {
                EXPECT_TRUE(picture.save(QString("%1/%2_%3.png").arg(folder, l.name, QString::fromStdString(name))));
            }
        }
    }
}

// Every page of the demo design draws; with NVO_SYMBOL_PICTURES set, the
// pictures are written to PictureFolder() as demo_<page>.png.
TEST_F(ShippedLibraries, DemoPagesDraw)
{
    QFile source(DEMO_SOURCE);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    ASSERT_TRUE(palvane_test::BuildDesign(source.readAll().toStdString(), DEMO_SOURCE_DIR));
    const QString folder = PictureFolder();
    int32_t cursor = OM_GetFirst(DB_PageMap());
    int pages = 0;
    while (int32_t page = OM_SearchMask(DB_PageMap(), &cursor, 0, 0)) {
        ++pages;
        const char* scale = std::getenv("NVO_PICTURE_SCALE");
        const QImage picture = palvane_test::PagePicture(page, scale ? std::atof(scale) : 0.1, !scale);
        ASSERT_FALSE(picture.isNull());
        EXPECT_GT(picture.width(), 1000);
        if (!folder.isEmpty()) {
            EXPECT_TRUE(picture.save(QString("%1/demo_%2.png").arg(folder, O_GetName(DB_Page(page)))));
        }
    }
    EXPECT_EQ(pages, 3);  // MAINPAGE, Amplifier, Blinker
}

}  // namespace
