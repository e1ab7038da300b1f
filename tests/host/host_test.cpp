#include "host/command_reader.h"
#include "host/design_file.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/kernel_fixture.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QFileInfo>
#include <QCoreApplication>
#include <QDeadlineTimer>

#include <algorithm>
#include <csignal>
#include <thread>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

namespace {

struct HostRun {
    int exitCode = -1;
    bool finished = false;
    QString out;
    QString err;
};

// Runs norvo32 with `input` on standard input (closed afterwards).
HostRun RunHost(const QByteArray& input, QProcessEnvironment env, int waitMs = 20000, const QStringList& args = {})
{
    QTemporaryDir lockDir;
    if (!env.contains("PALVANE_INSTANCE_LOCK"))
        env.insert("PALVANE_INSTANCE_LOCK", lockDir.path() + "/palvane.lock");
    QProcess host;
    host.setProcessEnvironment(env);
    host.start(NORVO32_EXE, args);
    EXPECT_TRUE(host.waitForStarted(10000));
    host.write(input);
    host.closeWriteChannel();
    HostRun run;
    run.finished = host.waitForFinished(waitMs);
    if (!run.finished) {
        host.kill();
        host.waitForFinished(5000);
    }
    run.exitCode = host.exitCode();
    run.out = QString::fromLatin1(host.readAllStandardOutput());
    run.err = QString::fromLatin1(host.readAllStandardError());
    return run;
}

// The host's own messages on standard error (the window system may add
// notes of its own).
QStringList HostMessages(const QString& err)
{
    QStringList lines;
    for (const QString& line : err.split('\n'))
        if (line.startsWith("norvo32:")) lines << line;
    return lines;
}

QProcessEnvironment Offscreen()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

TEST(Host, ExitCommandShutsDownAndExitsZero)
{
    const HostRun run = RunHost("PALVANE,EX\n", Offscreen());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "PALVANE\tSHUTDOWN\n");
    EXPECT_TRUE(HostMessages(run.err).isEmpty()) << run.err.toStdString();
}

TEST(Host, SenderPrefixAndCarriageReturnAreAccepted)
{
    const HostRun run = RunHost("NVOSIM\tPALVANE,MX\r\nNVOSIM\tAll,EX\r\n", Offscreen());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains("PALVANE\tSHUTDOWN"));
}

TEST(Host, FailedCommandIsReportedAndTheEditorGoesOn)
{
    const HostRun run = RunHost("All\nPALVANE,EX\n", Offscreen());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    const QStringList messages = HostMessages(run.err);
    ASSERT_EQ(messages.size(), 1) << run.err.toStdString();
    EXPECT_TRUE(messages[0].contains("error 9")) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("SHUTDOWN"));
}

// A line holding a NUL byte would reach the editor cut short, as another
// command: it is refused with a message and the editor goes on. The lines
// after the editor's shut-down are not passed on: they would load its window
// again or draw on canvases that are gone.
TEST(Host, NulBytesAndLinesAfterTheShutdownAreNotPassedOn)
{
    const QByteArray input("PALVANE,EX\0junk\nNVO\0SIM\tPALVANE,MX\nPALVANE,EX\nPALVANE,RD\nPALVANE,MX\nAll,EX\n", 75);
    const HostRun run = RunHost(input, Offscreen());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "PALVANE\tSHUTDOWN\n");
    const QStringList messages = HostMessages(run.err);
    ASSERT_EQ(messages.size(), 2) << run.err.toStdString();
    // The line refused is shown whole, escaped: past its NUL too.
    EXPECT_EQ(messages[0], "norvo32: command \"PALVANE,EX\\x00junk\" refused: it holds a NUL byte");
    EXPECT_EQ(messages[1], "norvo32: command \"NVO\\x00SIM\\tPALVANE,MX\" refused: it holds a NUL byte");
}

// A line the editor would drop without a word (another target, a verb it
// does not know) is refused with a line on standard error; standard output
// keeps to the editor's commands. Lines the editor takes are passed on: its
// verbs for "PALVANE" and "All", the library search's answers, an empty
// line, a line too short for its verb (the editor's error 9).
TEST(Host, LinesTheEditorWouldDropAreRefusedOnStandardError)
{
    static const char kInput[] = "NVOSIM,UP\n"
                           "PALVANE,ZZ,1\n"
                           "All,mx\n"
                           " PALVANE,MX\n"
                           "PALVANE,\n"
                           "NVOLIBSC\tR1234\n"
                           "\n"
                           "PALVANE,RD\nAll,MX\nPALVANE,DF\nPALVANE,PX\nPALVANE,UP\nAll,FS,0,0,1,1\n"
                           "PALVANE,BS,0,0,1,1,2,2,1,1\nPALVANE,FS\n"
                           "PALVANE,EX\0\x01\"\\\xE9\n"
                           "PALVANE,EX\n";
    const QByteArray input(kInput, sizeof kInput - 1);
    ASSERT_EQ(input.count('\n'), 17);
    const HostRun run = RunHost(input, Offscreen());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.endsWith("PALVANE\tSHUTDOWN\n")) << run.out.toStdString();
    EXPECT_FALSE(run.out.contains("norvo32")) << run.out.toStdString();
    const QString verbs = "(it takes RD, MX, MN, DF, UP, EX, FS, BS, PX)";
    const QStringList expected = {
        "norvo32: command \"NVOSIM,UP\" refused: it is addressed to \"NVOSIM\", not to the editor (\"PALVANE\" or "
        "\"All\")",
        "norvo32: command \"PALVANE,ZZ,1\" refused: \"ZZ\" is not a verb of the editor " + verbs,
        "norvo32: command \"All,mx\" refused: \"mx\" is not a verb of the editor " + verbs,
        "norvo32: command \" PALVANE,MX\" refused: it is addressed to \" PALVANE\", not to the editor (\"PALVANE\" or "
        "\"All\")",
        "norvo32: command \"PALVANE,\" refused: \"\" is not a verb of the editor " + verbs,
        "norvo32: command \"PALVANE,EX\\x00\\x01\\\"\\\\\\xE9\" refused: it holds a NUL byte",
    };
    const QStringList messages = HostMessages(run.err);
    EXPECT_EQ(messages.filter(" refused: "), expected) << run.err.toStdString();
    // The line too short for its verb went to the editor (which may run it
    // later, once its start-up has ended).
    EXPECT_EQ(messages.filter(" failed: "),
              QStringList{"norvo32: command \"PALVANE,FS\" failed: error 9: Subscript out of range"})
        << run.err.toStdString();
    EXPECT_EQ(messages.size(), expected.size() + 1) << run.err.toStdString();
}

// A line may hold 65,536 bytes before its line feed. A longer one is
// refused with its length and its start, escaped, and the lines after it
// are read as ever.
TEST(Host, ALineTooLongIsRefusedWithItsLength)
{
    const QByteArray atLimit = "PALVANE,RD," + QByteArray(65536 - 11, 'x');
    const QByteArray over = "PALVANE,MX,\t" + QByteArray(200000, 'y');
    const HostRun run = RunHost(atLimit + "\n" + over + "\n" + atLimit + "y\nPALVANE,EX\n", Offscreen());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "PALVANE\tSHUTDOWN\n");
    const QStringList expected = {
        "norvo32: command \"PALVANE,MX,\\t" + QString(52, 'y') +
            "...\" refused: the line is 200012 bytes long; a line may hold at most 65536 bytes",
        "norvo32: command \"PALVANE,RD," + QString(53, 'x') +
            "...\" refused: the line is 65537 bytes long; a line may hold at most 65536 bytes",
    };
    EXPECT_EQ(HostMessages(run.err), expected) << run.err.toStdString().substr(0, 2000);
}

// The peak memory of this process (VmHWM), after it was set back to what
// the process holds now (`reset`).
int64_t PeakKilobytes(bool reset)
{
    if (reset) {
        QFile clear("/proc/self/clear_refs");
        if (clear.open(QIODevice::WriteOnly)) clear.write("5");
    }
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// A line far too long is not kept whole while it arrives: the reader keeps
// its start, counts the rest, and the line after it is read as ever.
TEST(CommandReader, ALineTooLongIsNotKeptWhole)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::vector<std::pair<std::string, std::string>> taken;
    std::string start;
    uint64_t length = 0;
    CommandReader reader([&](const std::string& a, const std::string& c) { taken.emplace_back(a, c); },
                         [&](const std::string& s, uint64_t n) {
                             start = s;
                             length = n;
                         },
                         fds[0]);
    reader.Start();
    constexpr uint64_t kLine = uint64_t{96} << 20;
    ASSERT_GE(PeakKilobytes(true), 0);
    const int64_t before = PeakKilobytes(false);
    std::thread writer([&] {
        const std::string chunk(1 << 16, 'z');
        ssize_t ignored = write(fds[1], "PALVANE,MX,", 11);
        for (uint64_t sent = 11; sent < kLine; sent += chunk.size())
            ignored = write(fds[1], chunk.data(), static_cast<size_t>(std::min<uint64_t>(chunk.size(), kLine - sent)));
        ignored = write(fds[1], "\nPALVANE,EX\n", 12);
        (void)ignored;
        close(fds[1]);
    });
    QDeadlineTimer deadline(60000);
    while (taken.empty() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    writer.join();
    reader.Stop();
    close(fds[0]);
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].second, "PALVANE,EX");
    EXPECT_EQ(length, kLine);
    EXPECT_EQ(start, "PALVANE,MX," + std::string(CommandReader::kLineStartBytes - 11, 'z'));
    // Kept whole, the line alone would take 96 MB.
    EXPECT_LT(PeakKilobytes(false) - before, 16 * 1024);
}

TEST(Host, EndOfInputKeepsTheEditorRunning)
{
    const HostRun run = RunHost("PALVANE,MX\n", Offscreen(), 1500);
    EXPECT_FALSE(run.finished);
    EXPECT_FALSE(run.out.contains("SHUTDOWN"));
}

TEST(Host, NoDisplaySaysHowToRunIt)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    const HostRun run = RunHost("", env);
    ASSERT_TRUE(run.finished);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_EQ(run.err.count('\n'), 1);
    EXPECT_TRUE(run.err.contains("xvfb-run ./run.sh"));
    EXPECT_EQ(run.out, "");
}

TEST(Host, StartUpFailureExitsNonZero)
{
    QTemporaryDir lockDir;
    const QString lockPath = lockDir.path() + "/palvane.lock";
    QProcessEnvironment env = Offscreen();
    env.insert("PALVANE_INSTANCE_LOCK", lockPath);
    // A first host holds the instance lock while the second starts.
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(NORVO32_EXE, {});
    ASSERT_TRUE(first.waitForStarted(10000));
    // Give the first host time to claim the lock.
    for (int i = 0; i < 100 && !QFile::exists(lockPath); ++i) QThread::msleep(50);
    ASSERT_TRUE(QFile::exists(lockPath));

    const HostRun second = RunHost("", env);
    EXPECT_TRUE(second.finished);
    EXPECT_NE(second.exitCode, 0);
    EXPECT_TRUE(second.out.contains("PALVANE\tSHUTDOWN"));
    EXPECT_TRUE(second.err.contains("did not start"));

    first.write("PALVANE,EX\n");
    EXPECT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitCode(), 0);
}

// ---- The design file ------------------------------------------------------------------

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class HostDesignFile : public palvane_test::KernelTest {
protected:
    QTemporaryDir dir;
    QString Path(const char* name) const { return dir.path() + "/" + name; }

    // A small design of our own saved at `path`: a second page and a net.
    void SaveSample(const QString& path)
    {
        ASSERT_NE(DB_CreateDataBase("Sample", "MAINHIER", "MAINPAGE"), 0);
        ASSERT_NE(DB_CreatePage(0, "Second"), 0);
        ASSERT_NE(N_CreateNet(0, 5, "CLOCK"), 0);
        ASSERT_EQ(DB_SaveDataBase(QFile::encodeName(path).constData()), 1) << E_LastError();
        DB_DiscardDataBase();
    }

    // Loads `path` and says whether it holds the sample.
    ::testing::AssertionResult HoldsSample(const QString& path)
    {
        if (DB_LoadDataBase(QFile::encodeName(path).constData()) != 1)
            return ::testing::AssertionFailure() << "does not load: " << E_LastError();
        if (std::string(O_GetName(DB_DataBase())) != "Sample") return ::testing::AssertionFailure() << "name";
        if (OM_FindName(DB_PageMap(), "Second") == 0) return ::testing::AssertionFailure() << "page";
        if (OM_FindName(DB_NetMap(), "CLOCK") == 0) return ::testing::AssertionFailure() << "net";
        return ::testing::AssertionSuccess();
    }
};

TEST_F(HostDesignFile, AnExistingDesignIsOpenedAndWrittenBackOnExit)
{
    const QString file = Path("sample.nvd");
    SaveSample(file);
    const QByteArray before = FileBytes(file);
    const HostRun run = RunHost("PALVANE,EX\n", Offscreen(), 20000, {file});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "PALVANE\tSHUTDOWN\n");
    EXPECT_TRUE(HostMessages(run.err).isEmpty()) << run.err.toStdString();
    // The previous file is kept whole; the one written back holds the design.
    EXPECT_EQ(FileBytes(file + ".bak"), before);
    EXPECT_TRUE(HoldsSample(file));
    // Nothing else is left in the folder.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"sample.nvd", "sample.nvd.bak"}));
}

TEST_F(HostDesignFile, AMissingFileBecomesANewDesign)
{
    const QString file = Path("new.nvd");
    const HostRun run = RunHost("PALVANE,EX\n", Offscreen(), 20000, {file});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(DB_LoadDataBase(QFile::encodeName(file).constData()), 1) << E_LastError();
    EXPECT_EQ(OM_GetCount(DB_PageMap()), 1);
    EXPECT_FALSE(QFile::exists(file + ".bak"));
}

TEST_F(HostDesignFile, AFileThatCannotBeLoadedIsReportedAndLeftAlone)
{
    // A damaged image, an empty file, a library instead of a design.
    const QString library = Path("parts.ndl");
    const int32_t lib = E_OpenLibrary(QFile::encodeName(library).constData(), "NorvoDLL00", -1);
    ASSERT_NE(lib, 0);
    E_CloseLibrary(lib);
    const QString damaged = Path("damaged.nvd");
    SaveSample(damaged);
    QByteArray bytes = FileBytes(damaged);
    for (int i = 100; i < bytes.size(); i += 7) bytes[i] = static_cast<char>(bytes[i] ^ 0x5a);
    QFile out(damaged);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();
    const QString empty = Path("empty.nvd");
    QFile(empty).open(QIODevice::WriteOnly);

    for (const QString& file : {damaged, empty, library}) {
        SCOPED_TRACE(file.toStdString());
        const QByteArray before = FileBytes(file);
        const QStringList filesBefore = QDir(dir.path()).entryList(QDir::Files);
        const HostRun run = RunHost("PALVANE,EX\n", Offscreen(), 20000, {file});
        ASSERT_TRUE(run.finished);
        EXPECT_NE(run.exitCode, 0);
        const QStringList messages = HostMessages(run.err);
        ASSERT_EQ(messages.size(), 1) << run.err.toStdString();
        EXPECT_TRUE(messages[0].startsWith("norvo32: the design file cannot be opened: ")) << run.err.toStdString();
        EXPECT_TRUE(messages[0].contains(file)) << run.err.toStdString();
        // The editor never started, nothing was written.
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(FileBytes(file), before);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), filesBefore);
    }
}

// The same steps in-process: a save over an existing file keeps the old one
// as .bak, a second save replaces that .bak, and a save that cannot be made
// leaves the file alone.
TEST_F(HostDesignFile, SavingKeepsTheBackupAndNeverAHalfFile)
{
    const QString file = Path("d.nvd");
    const std::string path = QFile::encodeName(file).toStdString();
    std::string error;
    ASSERT_TRUE(OpenDesignFile(path, error)) << error;
    ASSERT_TRUE(SaveDesignFile(path, error)) << error;
    EXPECT_FALSE(QFile::exists(file + ".bak"));
    const QByteArray first = FileBytes(file);
    ASSERT_NE(N_CreateNet(0, 5, "ADDED"), 0);
    ASSERT_TRUE(SaveDesignFile(path, error)) << error;
    EXPECT_EQ(FileBytes(file + ".bak"), first);
    const QByteArray second = FileBytes(file);
    ASSERT_TRUE(SaveDesignFile(path, error)) << error;
    EXPECT_EQ(FileBytes(file + ".bak"), second);

    ASSERT_TRUE(OpenDesignFile(path, error)) << error;
    EXPECT_NE(OM_FindName(DB_NetMap(), "ADDED"), 0);

    // No database open: refused, file and backup untouched.
    DB_DiscardDataBase();
    EXPECT_FALSE(SaveDesignFile(path, error));
    EXPECT_NE(error.find("no design is open"), std::string::npos);
    EXPECT_EQ(FileBytes(file + ".bak"), second);
    // A folder that cannot be written: refused, nothing made there.
    ASSERT_NE(DB_CreateDataBase("X", "H", "P"), 0);
    const std::string missing = QFile::encodeName(Path("no/such/folder/d.nvd")).toStdString();
    EXPECT_FALSE(SaveDesignFile(missing, error));
    EXPECT_EQ(error.rfind("the design cannot be written: ", 0), 0u) << error;
}

TEST(CommandReader, ParseLine)
{
    const struct {
        const char* line;
        const char* aname;
        const char* command;
    } cases[] = {
        {"PALVANE,EX", "", "PALVANE,EX"},
        {"NVOSIM\tPALVANE,RD", "NVOSIM", "PALVANE,RD"},
        {"PALVANE,EX\r", "", "PALVANE,EX"},
        {"\tAll,UP", "", "All,UP"},
        {"", "", ""},
        {"A\tB\tC", "A", "B\tC"},
    };
    for (const auto& c : cases) {
        std::string aname = "x", command = "y";
        CommandReader::ParseLine(c.line, aname, command);
        EXPECT_EQ(aname, c.aname) << c.line;
        EXPECT_EQ(command, c.command) << c.line;
    }
}



// ---- Use from the command line --------------------------------------------------------

TEST(Host, HelpPrintsTheUsageAndMakesNoFile)
{
    QTemporaryDir dir;
    for (const char* option : {"--help", "-h"}) {
        SCOPED_TRACE(option);
        QProcess host;
        host.setWorkingDirectory(dir.path());
        host.setProcessEnvironment(Offscreen());
        host.start(NORVO32_EXE, {option});
        ASSERT_TRUE(host.waitForFinished(20000));
        EXPECT_EQ(host.exitCode(), 0);
        EXPECT_TRUE(QString::fromLatin1(host.readAllStandardOutput()).startsWith("usage: norvo32 [design-file]"));
        EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    }
    QProcess host;
    host.setWorkingDirectory(dir.path());
    host.setProcessEnvironment(Offscreen());
    host.start(NORVO32_EXE, {"-x.nvd"});
    ASSERT_TRUE(host.waitForFinished(20000));
    EXPECT_EQ(host.exitCode(), 2);
    EXPECT_TRUE(QString::fromLatin1(host.readAllStandardError()).contains("unknown option -x.nvd"));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST(Host, ASecondEditorSaysWhichOneHoldsTheLock)
{
    QTemporaryDir lockDir;
    const QString lockPath = lockDir.path() + "/palvane.lock";
    QProcessEnvironment env = Offscreen();
    env.insert("PALVANE_INSTANCE_LOCK", lockPath);
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(NORVO32_EXE, {});
    ASSERT_TRUE(first.waitForStarted(10000));
    for (int i = 0; i < 100 && !QFile::exists(lockPath); ++i) QThread::msleep(50);
    ASSERT_TRUE(QFile::exists(lockPath));

    const HostRun second = RunHost("", env);
    EXPECT_NE(second.exitCode, 0);
    EXPECT_TRUE(second.err.contains("another editor is running: process " + QString::number(first.processId())))
        << second.err.toStdString();
    EXPECT_TRUE(second.err.contains(lockPath)) << second.err.toStdString();

    first.write("PALVANE,EX\n");
    EXPECT_TRUE(first.waitForFinished(10000));
}

TEST_F(HostDesignFile, HostCommandScriptLeavesTheDesignWhole)
{
    const QString file = Path("script.nvd");
    SaveSample(file);
    // Page 1 and 2 of level 1; every verb, then malformed lines of every
    // kind: the short FS is a failure the editor reports, the unknown verbs
    // and the line too long are refused by the host.
    const QByteArray script =
        "PALVANE,RD\n"
        "All,UP\n"
        "PALVANE,FS,1000,2000,1,2\n"
        "PALVANE,BS,0,0,2540000,2540000,2540000,2540000,1,1\n"
        "PALVANE,PX\n"
        "PALVANE,MN\nPALVANE,UP\nPALVANE,DF\n"
        "\n"
        "PALVANE,ZZ\n"
        "PALVANE,FS,1\n"
        "PALVANE,\xe9\xfc\n"
        "PALVANE,RD," + QByteArray(200000, '7') + "\n"
        "PALVANE,EX\n";
    const HostRun run = RunHost(script, Offscreen(), 30000, {file});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "PALVANE\tSHUTDOWN\n");
    const QStringList messages = HostMessages(run.err);
    ASSERT_EQ(messages.size(), 4) << run.err.toStdString();
    EXPECT_EQ(messages.filter("PALVANE,FS,1\" failed: error 9").size(), 1) << run.err.toStdString();
    EXPECT_EQ(messages.filter("\"ZZ\" is not a verb of the editor").size(), 1) << run.err.toStdString();
    EXPECT_EQ(messages.filter("\"PALVANE,\\xE9\\xFC\" refused").size(), 1) << run.err.toStdString();
    EXPECT_EQ(messages.filter("the line is 200011 bytes long").size(), 1) << run.err.toStdString();
    EXPECT_TRUE(HoldsSample(file));
    // The editor wrote the second page's view when it showed it.
    PageRec page{};
    ASSERT_EQ(DB_ReadPage(2, &page), 1);
    EXPECT_EQ(page.ViewX, 1000);
    EXPECT_EQ(page.ViewY, -2000);
}

TEST_F(HostDesignFile, ALinkIsFollowedAndStaysALink)
{
    const QString target = Path("real.nvd");
    const QString link = Path("link.nvd");
    SaveSample(target);
    const QByteArray before = FileBytes(target);
    ASSERT_TRUE(QFile::link(target, link));
    const HostRun run = RunHost("PALVANE,EX\n", Offscreen(), 20000, {link});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), target);
    EXPECT_EQ(FileBytes(target + ".bak"), before);
    EXPECT_TRUE(HoldsSample(target));
}

TEST_F(HostDesignFile, AMissingFolderIsRefusedBeforeTheWindowOpens)
{
    const QString file = Path("no/such/folder/d.nvd");
    const HostRun run = RunHost("PALVANE,EX\n", Offscreen(), 20000, {file});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    const QStringList messages = HostMessages(run.err);
    ASSERT_EQ(messages.size(), 1) << run.err.toStdString();
    EXPECT_TRUE(messages[0].contains("does not exist")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(HostDesignFile, EndSignalsCloseTheEditorAndSaveTheDesign)
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);
        const QString file = Path("signal.nvd");
        QFile::remove(file);
        QFile::remove(file + ".bak");
        SaveSample(file);
        const QByteArray before = FileBytes(file);
        QTemporaryDir lockDir;
        QProcessEnvironment env = Offscreen();
        env.insert("PALVANE_INSTANCE_LOCK", lockDir.path() + "/palvane.lock");
        QProcess host;
        host.setProcessEnvironment(env);
        host.start(NORVO32_EXE, {file});
        ASSERT_TRUE(host.waitForStarted(10000));
        // Once the lock is taken the editor is up.
        for (int i = 0; i < 100 && !QFile::exists(lockDir.path() + "/palvane.lock"); ++i) QThread::msleep(50);
        QThread::msleep(300);
        ASSERT_EQ(kill(static_cast<pid_t>(host.processId()), signal), 0);
        ASSERT_TRUE(host.waitForFinished(20000));
        EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(host.exitCode(), 0);
        EXPECT_TRUE(QString::fromLatin1(host.readAllStandardOutput()).contains("PALVANE\tSHUTDOWN"));
        EXPECT_EQ(FileBytes(file + ".bak"), before);
        EXPECT_TRUE(HoldsSample(file));
        DB_DiscardDataBase();
    }
}

}  // namespace
