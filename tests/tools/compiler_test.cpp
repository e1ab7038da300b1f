// The build-time compilers as the build runs them: libc and designc on good
// and bad sources, their exit codes and messages, and outputs that are
// either the old file or the complete new one. Also the demo design the
// build made.
#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"
#include "tests/support/kernel_fixture.h"
#include "tests/tools/library_entries.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode = -1;
    QString err;
};

ToolRun RunTool(const char* exe, const QStringList& args)
{
    QProcess p;
    p.start(exe, args);
    EXPECT_TRUE(p.waitForFinished(30000));
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError())};
}

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

std::vector<std::string> Entries(const QString& path, const char* kind)
{
    const int32_t lib = E_OpenLibrary(QFile::encodeName(path).constData(), kind, 0);
    if (lib == 0) return {};
    std::vector<std::string> names = palvane_test::EntryNames(lib);
    E_CloseLibrary(lib);
    return names;
}

const QByteArray kLibrary = R"(
symbol G schematic
  entry 1 at 0 0
  line 0 0 100 0
end
symbol P layout
  padstack 1 round 50
  pad 1 at 0 0 stack 1
end
device DEV
  prefix U
  package P
  gate A G
    pin 1 1
end
)";

class Compilers : public palvane_test::KernelTest {
protected:
    QTemporaryDir dir;
    QString Path(const char* name) const { return dir.path() + "/" + name; }
};

TEST_F(Compilers, LibcWritesEachKindAndReplacesWholeFiles)
{
    Write(Path("a.nls"), kLibrary);
    const QStringList outs = {"--parts", Path("a.ndl"), "--symbols", Path("a.nsl"), "--packages", Path("a.npl"), Path("a.nls")};
    ToolRun run = RunTool(LIBC_EXE, outs);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Entries(Path("a.ndl"), "NorvoDLL00"), std::vector<std::string>{"DEV"});
    EXPECT_EQ(Entries(Path("a.nsl"), "NorvoSLL00"), std::vector<std::string>{"G"});
    EXPECT_EQ(Entries(Path("a.npl"), "NorvoSLL00"), std::vector<std::string>{"P"});

    // A second run with renamed contents: the files hold only the new ones.
    QByteArray renamed = kLibrary;
    renamed.replace("DEV", "DEV2");
    Write(Path("a.nls"), renamed);
    run = RunTool(LIBC_EXE, outs);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(Entries(Path("a.ndl"), "NorvoDLL00"), std::vector<std::string>{"DEV2"});
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4);
}

TEST_F(Compilers, LibcRefusesBadSourcesAndKeepsTheOldFiles)
{
    Write(Path("a.nls"), kLibrary);
    const QStringList outs = {"--parts", Path("a.ndl"), "--symbols", Path("a.nsl"), "--packages", Path("a.npl"), Path("a.nls")};
    ASSERT_EQ(RunTool(LIBC_EXE, outs).exitCode, 0);
    const QByteArray before = Bytes(Path("a.ndl"));

    Write(Path("a.nls"), kLibrary + "device BAD\n  prefix U\n  package NOPE\n  gate A G\n    pin 1 1\nend\n");
    ToolRun run = RunTool(LIBC_EXE, outs);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "libc: " + Path("a.nls") + ":16: device 'BAD': package 'NOPE' is not defined\n");
    EXPECT_EQ(Bytes(Path("a.ndl")), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4);

    // Outputs and kinds must match.
    Write(Path("a.nls"), kLibrary);
    run = RunTool(LIBC_EXE, {"--symbols", Path("a.nsl"), "--packages", Path("a.npl"), Path("a.nls")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "libc: the source defines parts (devices) but no output file is given for them\n");
    run = RunTool(LIBC_EXE, {"--parts", Path("x.ndl"), "--symbols", Path("x.nsl"), "--packages", Path("x.npl"),
                             "--packages", Path("y.npl"), Path("a.nls")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.startsWith("usage: libc"));
    run = RunTool(LIBC_EXE, {Path("missing.nls")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "libc: " + Path("missing.nls") + ": cannot be opened\n");
    // A folder that cannot be written: nothing left behind.
    run = RunTool(LIBC_EXE, {"--parts", Path("no/a.ndl"), "--symbols", Path("a.nsl"), "--packages", Path("a.npl"), Path("a.nls")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.startsWith("libc: " + Path("no/a.ndl") + ": cannot be written")) << run.err.toStdString();
}

TEST_F(Compilers, DesigncWritesAnImageOnlyForASoundDesign)
{
    const QByteArray design = "include " + QByteArray::fromStdString(palvane_test::LibrarySourceDir()) +
                              "/discrete.nls\nunit 0.1in\ndesign Small\nlevel MAIN\nnet N\n"
                              "page P\n  component R1 R at 0 0\n  component R2 R at 10 0\n  wire N R1.2 R2.1\nend\n";
    Write(Path("d.txt"), design);
    ToolRun run = RunTool(DESIGNC_EXE, {Path("d.txt"), Path("d.nvd")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(DB_LoadDataBase(QFile::encodeName(Path("d.nvd")).constData()), 1) << E_LastError();
    EXPECT_STREQ(O_GetName(DB_DataBase()), "Small");
    EXPECT_EQ(OM_GetCount(DB_SchCompMap()), 2);
    const QByteArray before = Bytes(Path("d.nvd"));

    QByteArray bad = design;
    bad.replace("R2.1", "R3.1");
    Write(Path("d.txt"), bad);
    run = RunTool(DESIGNC_EXE, {Path("d.txt"), Path("d.nvd")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "designc: " + Path("d.txt") + ":9: pin 'R3.1': no component 'R3' is placed in level 'MAIN'\n");
    EXPECT_EQ(Bytes(Path("d.nvd")), before);
    run = RunTool(DESIGNC_EXE, {Path("d.txt"), Path("e.nvd")});
    EXPECT_FALSE(QFile::exists(Path("e.nvd")));

    run = RunTool(DESIGNC_EXE, {Path("d.txt")});
    EXPECT_EQ(run.exitCode, 2);
    // A library source holds no design.
    Write(Path("l.nls"), kLibrary);
    run = RunTool(DESIGNC_EXE, {Path("l.nls"), Path("l.nvd")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "designc: the source holds no design (a 'design' statement)\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"d.nvd", "d.txt", "l.nls"}));
}

// The demo design compiles and loads, and holds what its source says: the
// same as building the source here. (The build's own copy in
// build/data/demo is the editor's to change, so the test compiles its own.)
TEST_F(Compilers, TheDemoDesignLoadsAsItsSourceBuilds)
{
    QFile source(DEMO_SOURCE);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    ASSERT_TRUE(palvane_test::BuildDesign(source.readAll().toStdString(), DEMO_SOURCE_DIR));
    struct Counts {
        int32_t comps, layComps, nets, branches, junctions, pages, symbols, devices;
        bool operator==(const Counts&) const = default;
    };
    auto count = [] {
        return Counts{OM_GetCount(DB_SchCompMap()), OM_GetCount(DB_LayCompMap()), OM_GetCount(DB_NetMap()),
                      OM_GetCount(DB_BranchMap()), OM_GetCount(DB_JunctMap()), OM_GetCount(DB_PageMap()),
                      OM_GetCount(DB_SymbMap()), OM_GetCount(DB_DeviceMap())};
    };
    const Counts built = count();
    const ToolRun run = RunTool(DESIGNC_EXE, {DEMO_SOURCE, Path("demo.nvd")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(DB_LoadDataBase(QFile::encodeName(Path("demo.nvd")).constData()), 1) << E_LastError();
    EXPECT_TRUE(count() == built);
    EXPECT_STREQ(O_GetName(DB_DataBase()), "Demo");
    // Amplifier and Blinker, and MAINPAGE before them; Amplifier is shown.
    EXPECT_EQ(built.pages, 3);
    EXPECT_STREQ(O_GetName(DB_Page(1)), "MAINPAGE");
    EXPECT_STREQ(O_GetName(DB_Page(DB_CurPage())), "Amplifier");
    EXPECT_EQ(built.comps, 27);
    // The block's sheet is a level of its own, and the oscillator's nets
    // form a bus.
    EXPECT_EQ(OM_GetCount(DB_HierarchyMap()), 2);
    EXPECT_NE(OM_FindName(DB_HierarchyMap(), "BLOCK"), 0);
    BusRec bus{};
    ASSERT_EQ(N_ReadBus(OM_FindName(DB_BusMap(), "CTRL"), &bus), 1);
    EXPECT_EQ(bus.Members, 3);
    // U1 holds one placed gate, U2 two.
    LayCompRec l{};
    ASSERT_EQ(L_ReadComponent(OM_FindName(DB_LayCompMap(), "U1"), &l), 1);
    EXPECT_EQ(l.Parts, 1);
    ASSERT_EQ(L_ReadComponent(OM_FindName(DB_LayCompMap(), "U2"), &l), 1);
    EXPECT_EQ(l.Parts, 2);
    // The build made its copy too.
    EXPECT_TRUE(QFile::exists(COMPILED_DATA_DIR "/demo/demo.nvd"));
}

}  // namespace
