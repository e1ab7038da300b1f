// A design the user may not write is refused before the window opens; a
// save at the close that fails anyway leaves the session's work in a new
// file of the job folder (else of the home folder); the kernel writes its
// temporary file before giving it the final mode.
//
// File modes do not stop root: run as root, the host runs as user 65534
// (through setpriv), so that the rights are those of an ordinary user.
#include "editor/shell/caption.h"
#include "host/design_file.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/host/host_fixture.h"
#include "tests/support/kernel_fixture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace palvane_test {
namespace {

constexpr uid_t kOtherUser = 65534;

bool RunningAsRoot()
{
    return geteuid() == 0;
}

// The files and folders under `folder` (its own entry included): for each
// relative path its type, mode and bytes.
std::map<QString, std::string> Snapshot(const QString& folder)
{
    std::map<QString, std::string> entries;
    const auto add = [&](const QString& path) {
        struct stat st {};
        if (lstat(QFile::encodeName(path).constData(), &st) != 0) return;
        std::string what = std::to_string(st.st_mode);
        if (S_ISREG(st.st_mode)) what += ":" + ReadBytes(QFile::encodeName(path).toStdString());
        entries[QDir(folder).relativeFilePath(path)] = what;
    };
    add(folder);
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) add(it.next());
    return entries;
}

int ModeOf(const QString& path)
{
    struct stat st {};
    if (stat(QFile::encodeName(path).constData(), &st) != 0) return -1;
    return static_cast<int>(st.st_mode & 07777);
}

// A path the user the host runs as may reach: made by the test, given to
// that user when the test is root.
void GiveToUser(const QString& path, int mode)
{
    const QByteArray native = QFile::encodeName(path);
    if (RunningAsRoot()) {
        ASSERT_EQ(chown(native.constData(), kOtherUser, kOtherUser), 0) << native.constData();
    }
    ASSERT_EQ(chmod(native.constData(), static_cast<mode_t>(mode)), 0) << native.constData();
}

struct HostExit {
    bool finished = false;
    int status = -1;
    QString out;
    QString err;
};

// Copies `from` into `to` (made), every folder 0755 and every file keeping
// its execute bits and readable by all.
bool CopyReadable(const QString& from, const QString& to)
{
    if (!QDir().mkpath(to) || !QFile::setPermissions(to, QFileDevice::Permissions(0x7755))) return false;
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + "/" + it.fileName();
        if (it.fileInfo().isDir()) {
            if (!CopyReadable(path, target)) return false;
            continue;
        }
        if (!QFile::copy(path, target)) return false;
        QFileDevice::Permissions p = QFile::permissions(target) | QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                     QFileDevice::ReadOther;
        if (p & QFileDevice::ExeOwner) p |= QFileDevice::ExeGroup | QFileDevice::ExeOther;
        if (!QFile::setPermissions(target, p)) return false;
    }
    return true;
}

// The host as another user can run it wherever the build tree lies (a
// checkout under a folder only root may enter, say): the program with the
// libraries beside it and the shipped data, as an installation lays them
// out, copied once a process into a folder every user may read. "" when the
// copy fails.
QString HostReadableByAll()
{
    static QTemporaryDir copy(QDir::tempPath() + "/norvo32-as-user-XXXXXX");
    static const QString exe = [] {
        const QDir bin = QFileInfo(NORVO32_EXE).absoluteDir();
        const QString root = copy.path();
        if (!copy.isValid() || !QFile::setPermissions(root, QFileDevice::Permissions(0x7755))) return QString();
        if (!QDir().mkpath(root + "/bin") || !QFile::copy(NORVO32_EXE, root + "/bin/norvo32") ||
            !QFile::setPermissions(root + "/bin", QFileDevice::Permissions(0x7755)) ||
            !QFile::setPermissions(root + "/bin/norvo32", QFileDevice::Permissions(0x7755)))
            return QString();
        if (!CopyReadable(bin.filePath("../lib"), root + "/lib") || !CopyReadable(bin.filePath("../data"), root + "/data"))
            return QString();
        return root + "/bin/norvo32";
    }();
    return exe;
}

// The host run as the user whose rights count: as 65534 when the test runs
// as root, else as the test's own user. The design folder, a home folder
// (which holds the job folder) and the instance lock are the test's own.
class HostAsUser : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        if (RunningAsRoot()) {
            const QString setpriv = QStandardPaths::findExecutable("setpriv");
            if (setpriv.isEmpty()) GTEST_SKIP() << "setpriv is missing: the host cannot run as another user";
            QProcess probe;
            probe.start(setpriv, {"--reuid=65534", "--regid=65534", "--clear-groups", "true"});
            if (!probe.waitForFinished(10000) || probe.exitCode() != 0)
                GTEST_SKIP() << "the process cannot switch to user 65534";
            prefix = {setpriv, "--reuid=65534", "--regid=65534", "--clear-groups"};
            exe = HostReadableByAll();
            ASSERT_FALSE(exe.isEmpty()) << "the host could not be copied where user 65534 may run it";
            // Without this the test would report the host's refusal, not the
            // rights under test.
            QProcess canRun;
            canRun.start(setpriv, prefix.mid(1) + QStringList{exe, "--help"});
            ASSERT_TRUE(canRun.waitForFinished(20000));
            ASSERT_EQ(canRun.exitCode(), 0) << "user 65534 cannot run " << exe.toStdString();
        }
        GiveToUser(dir.path(), 0777);
        folder = dir.filePath("work");
        home = dir.filePath("home");
        for (const QString& made : {folder, home, dir.filePath("lock")}) {
            ASSERT_TRUE(QDir().mkpath(made));
            GiveToUser(made, 0777);
        }
        ASSERT_TRUE(QDir().mkpath(dir.filePath("runtime")));
        GiveToUser(dir.filePath("runtime"), 0700);
        file = folder + "/f.nvd";
        ASSERT_TRUE(QFile::copy(COMPILED_DATA_DIR "/demo/demo.nvd", file));
        GiveToUser(file, 0644);
        // The edit the session makes: the view of the page "Blinker".
        ASSERT_EQ(DB_LoadDataBase(QFile::encodeName(file).constData()), 1) << E_LastError();
        const int32_t page = OM_FindName(DB_PageMap(), "Blinker");
        ASSERT_NE(page, 0);
        edit = "PALVANE,FS,1000,2000," + QByteArray::number(DB_CurHier()) + "," + QByteArray::number(page) + "\n";
        DB_DiscardDataBase();
    }

    // Starts the host on the design file under `umask`; `duringSession`
    // runs once the editor is up, then the edit and the close are sent.
    HostExit Run(const std::function<void()>& duringSession, int umask = 022)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("HOME", home);
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME"}) env.remove(name);
        env.insert("XDG_RUNTIME_DIR", dir.filePath("runtime"));
        const QString lock = dir.filePath("lock/palvane.lock");
        env.insert("PALVANE_INSTANCE_LOCK", lock);
        QStringList command = prefix;
        command << "/bin/sh" << "-c" << QString("umask %1; exec \"$0\" \"$@\"").arg(umask, 3, 8, QChar('0'))
                << exe << file;
        QProcess host;
        host.setProcessEnvironment(env);
        host.setWorkingDirectory(folder);
        host.start(command.first(), command.mid(1));
        HostExit run;
        if (!host.waitForStarted(10000)) return run;
        if (duringSession) {
            // Once the lock is taken the editor is up (or the host has
            // refused the design and ended).
            for (int i = 0; i < 200 && !QFile::exists(lock) && host.state() == QProcess::Running; ++i)
                QThread::msleep(50);
            QThread::msleep(300);
            duringSession();
        }
        host.write(edit + "PALVANE,EX\n");
        host.closeWriteChannel();
        run.finished = host.waitForFinished(30000);
        if (!run.finished) {
            host.kill();
            host.waitForFinished(5000);
        }
        run.status = host.exitCode();
        run.out = QString::fromLatin1(host.readAllStandardOutput());
        run.err = QString::fromLatin1(host.readAllStandardError());
        return run;
    }

    QTemporaryDir dir;
    QStringList prefix;
    // The program run: the build's, or as another user a copy it may read.
    QString exe = NORVO32_EXE;
    QString folder;
    QString home;
    QString file;
    QByteArray edit;
};

QStringList HostMessages(const QString& err)
{
    QStringList lines;
    for (const QString& line : err.split('\n'))
        if (line.startsWith("norvo32:")) lines << line;
    return lines;
}

// The file the message names as holding the session's work; "" when none.
QString RescueNamed(const QString& err)
{
    const QRegularExpressionMatch m =
        QRegularExpression("the session's work is in (.+)$", QRegularExpression::MultilineOption).match(err);
    return m.hasMatch() ? m.captured(1) : QString();
}

// Whether the design file at `path` loads and holds the session's edit:
// the page "Blinker" shown at (1000, 2000).
::testing::AssertionResult HoldsTheEdit(const QString& path)
{
    if (DB_LoadDataBase(QFile::encodeName(path).constData()) != 1)
        return ::testing::AssertionFailure() << path.toStdString() << " does not load: " << E_LastError();
    PageRec page{};
    const int32_t id = OM_FindName(DB_PageMap(), "Blinker");
    const bool read = id != 0 && DB_ReadPage(id, &page) == 1;
    DB_DiscardDataBase();
    if (!read) return ::testing::AssertionFailure() << "no page Blinker in " << path.toStdString();
    if (page.ViewX != 1000 || page.ViewY != -2000)
        return ::testing::AssertionFailure() << "the view is " << page.ViewX << "," << page.ViewY;
    return ::testing::AssertionSuccess();
}

// A design file or backup the user may not write: refused at once, the
// editor never starts and nothing in the folder changes.
TEST_F(HostAsUser, ADesignThatCouldNotBeSavedIsRefusedBeforeTheWindowOpens)
{
    const struct {
        const char* name;
        std::function<void(const QString& file)> prepare;
        const char* named;
        const char* why;
    } cases[] = {
        {"the design file read-only", [](const QString& file) { GiveToUser(file, 0444); }, "f.nvd",
         "cannot be written (Permission denied)"},
        {"its backup read-only",
         [](const QString& file) {
             ASSERT_TRUE(QFile::copy(file, file + ".bak"));
             GiveToUser(file + ".bak", 0444);
         },
         "f.nvd.bak", "cannot be written (Permission denied)"},
        {"its backup a directory",
         [](const QString& file) {
             ASSERT_TRUE(QDir().mkdir(file + ".bak"));
             GiveToUser(file + ".bak", 0777);
         },
         "f.nvd.bak", "is a directory"},
    };
    // Each case on its own: a failed assertion ends only its case.
    for (const auto& c : cases) [&] {
        SCOPED_TRACE(c.name);
        QFile::remove(file + ".bak");
        QDir(file + ".bak").removeRecursively();
        GiveToUser(file, 0644);
        c.prepare(file);
        const auto before = Snapshot(folder);
        const HostExit run = Run(nullptr);
        ASSERT_TRUE(run.finished);
        EXPECT_NE(run.status, 0);
        EXPECT_EQ(run.out, "") << "the editor started";
        const QStringList messages = HostMessages(run.err);
        ASSERT_EQ(messages.size(), 1) << run.err.toStdString();
        EXPECT_TRUE(messages[0].contains(folder + "/" + c.named + " ")) << messages[0].toStdString();
        EXPECT_TRUE(messages[0].contains(c.why)) << messages[0].toStdString();
        EXPECT_EQ(Snapshot(folder), before);
    }();
}

// The design file changes during the session so that the save at the close
// cannot be made: the session's work goes to a new file in the job folder,
// and the design file is left as it was.
TEST_F(HostAsUser, ASaveThatFailsAtTheCloseKeepsTheSessionInTheJobFolder)
{
    const QByteArray original = QByteArray::fromStdString(ReadBytes(QFile::encodeName(file).toStdString()));
    const QString moved = folder + "/moved.nvd";
    const struct {
        const char* name;
        std::function<void()> duringSession;
        const char* why;
        QString originalAt;
        int originalMode;
    } cases[] = {
        {"replaced by a directory",
         [&] {
             ASSERT_TRUE(QFile::rename(file, moved));
             ASSERT_TRUE(QDir().mkdir(file));
         },
         "is not a regular file", moved, 0644},
        {"made read-only", [&] { GiveToUser(file, 0444); }, "cannot be written (Permission denied)", file, 0444},
    };
    const QString jobs = home + "/.local/share/norvo32/jobs";
    // Each case on its own: a failed assertion ends only its case.
    for (const auto& c : cases) [&] {
        SCOPED_TRACE(c.name);
        QDir(file).removeRecursively();
        QFile::remove(file);
        QFile::remove(moved);
        QDir(jobs).removeRecursively();
        ASSERT_TRUE(QFile::copy(COMPILED_DATA_DIR "/demo/demo.nvd", file));
        GiveToUser(file, 0644);
        const HostExit run = Run(c.duringSession);
        ASSERT_TRUE(run.finished);
        EXPECT_NE(run.status, 0);
        EXPECT_TRUE(run.out.contains("PALVANE\tSHUTDOWN")) << run.out.toStdString();
        const QStringList messages = HostMessages(run.err);
        ASSERT_EQ(messages.size(), 1) << run.err.toStdString();
        EXPECT_TRUE(messages[0].contains("the design was not saved to " + file)) << messages[0].toStdString();
        EXPECT_TRUE(messages[0].contains(c.why)) << messages[0].toStdString();
        const QString rescue = RescueNamed(messages[0]);
        EXPECT_EQ(rescue, jobs + "/f.nvd.unsaved.nvd") << messages[0].toStdString();
        EXPECT_TRUE(HoldsTheEdit(rescue));
        // The design file as it was: no backup made, nothing left behind.
        EXPECT_EQ(QByteArray::fromStdString(ReadBytes(QFile::encodeName(c.originalAt).toStdString())), original);
        EXPECT_EQ(ModeOf(c.originalAt), c.originalMode);
        EXPECT_FALSE(QFile::exists(file + ".bak"));
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1)
            << QDir(folder).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString();
    }();
}

// The kernel writes its temporary file first and gives it its mode after:
// a file whose mode the user set is replaced by one with the same mode, a
// new file gets what the umask allows, also when that is no write right
// for its owner; no temporary file is left.
TEST_F(HostAsUser, TheSavedFileGetsItsModeAfterItIsWritten)
{
    const struct {
        const char* name;
        bool exists;
        int mode;
        int umask;
        int expected;
    } cases[] = {
        {"a file of mode 0640", true, 0640, 022, 0640},
        {"a new file under umask 0277", false, 0, 0277, 0400},
    };
    // Each case on its own: a failed assertion ends only its case.
    for (const auto& c : cases) [&] {
        SCOPED_TRACE(c.name);
        QFile::remove(file);
        QFile::remove(file + ".bak");
        if (c.exists) {
            ASSERT_TRUE(QFile::copy(COMPILED_DATA_DIR "/demo/demo.nvd", file));
            GiveToUser(file, c.mode);
        }
        const HostExit run = Run(nullptr, c.umask);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_TRUE(HostMessages(run.err).isEmpty()) << run.err.toStdString();
        EXPECT_EQ(ModeOf(file), c.expected);
        if (RunningAsRoot()) {
            struct stat st {};
            ASSERT_EQ(stat(QFile::encodeName(file).constData(), &st), 0);
            EXPECT_EQ(st.st_uid, kOtherUser);
        }
        const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(".tmp");
        EXPECT_TRUE(left.isEmpty()) << left.join(' ').toStdString();
        ASSERT_EQ(DB_LoadDataBase(QFile::encodeName(file).constData()), 1) << E_LastError();
        DB_DiscardDataBase();
    }();
}

// The kernel's save at the close fails (the design's name leaves no room
// for the kernel's temporary suffix, a failure that stops root too): the
// session's work goes to the job folder under a name no file has, else to
// the home folder; when neither takes it the message says the work is
// lost. The user's backup (Norvo32.TMP) and an earlier rescue are never
// written over.
class KernelSaveFailsAtClose : public HostInProcess {
protected:
    void TearDown() override
    {
        if (homeBefore.has_value()) setenv("HOME", homeBefore->c_str(), 1);
        HostInProcess::TearDown();
    }
    std::optional<std::string> homeBefore;
};

TEST_F(KernelSaveFailsAtClose, TheSessionIsWrittenWhereItCanBe)
{
    // 246 bytes: "<name>.bak.tmp" still fits in a name, the kernel's
    // "<name>.tmp-XXXXXX" does not.
    const QString name = "long" + QString(238, 'x') + ".nvd";
    ASSERT_EQ(name.size(), 246);
    const QString longDesign = dir.filePath(name);
    ASSERT_TRUE(QFile::rename(QString::fromStdString(design), longDesign));
    design = QFile::encodeName(longDesign).toStdString();
    // The rescue's name is cut to leave room for its number, the kernel's
    // suffix and SQLite's journal.
    const QString rescueName = name.left(220);
    const QString jobs = dir.filePath("data/norvo32/jobs");
    const QString home = dir.filePath("home");
    const QString blocked = dir.filePath("blocked");
    if (const char* h = std::getenv("HOME")) homeBefore = h;
    const std::string original = ReadBytes(design);
    const struct {
        const char* name;
        std::function<void()> prepare;
        QString rescue;  // empty: nothing could be written
    } cases[] = {
        {"into the job folder", [] {}, jobs + "/" + rescueName + ".unsaved.nvd"},
        {"beside an earlier rescue and the user's backup",
         [&] {
             ASSERT_TRUE(QDir().mkpath(jobs));
             WriteBytes((jobs + "/" + rescueName + ".unsaved.nvd").toStdString(), "earlier");
             WriteBytes((jobs + "/Norvo32.TMP").toStdString(), "backup");
         },
         jobs + "/" + rescueName + ".unsaved-2.nvd"},
        {"into the home folder when the job folder cannot be made",
         [&] {
             QDir(jobs).removeRecursively();
             WriteBytes(jobs.toStdString(), "not a folder");
             ASSERT_TRUE(QDir().mkpath(home));
             setenv("HOME", QFile::encodeName(home).constData(), 1);
         },
         home + "/" + rescueName + ".unsaved.nvd"},
        {"nowhere",
         [&] {
             WriteBytes(blocked.toStdString(), "not a folder");
             setenv("HOME", QFile::encodeName(blocked + "/home").constData(), 1);
         },
         QString()},
    };
    // Each case on its own: a failed assertion ends only its case.
    for (const auto& c : cases) [&] {
        SCOPED_TRACE(c.name);
        c.prepare();
        const auto jobsBefore = Snapshot(jobs);
        const int status = Run([&](SCHMAIN&) {
            const int32_t page = OM_FindName(DB_PageMap(), "Blinker");
            Send("PALVANE,FS,1000,2000," + std::to_string(DB_CurHier()) + "," + std::to_string(page));
            EXPECT_TRUE(RunUntil([] { return g_CurPageName == "Blinker"; })) << g_CurPageName;
            Send("PALVANE,EX");
        });
        EXPECT_NE(status, 0);
        const QStringList messages = HostMessages(QString::fromStdString(Errors()));
        ASSERT_EQ(messages.size(), 1) << Errors();
        EXPECT_TRUE(messages[0].contains(QString::fromStdString("the design was not saved to " + design)))
            << messages[0].toStdString();
        EXPECT_TRUE(messages[0].contains("File name too long")) << messages[0].toStdString();
        EXPECT_EQ(ReadBytes(design), original);
        if (c.rescue.isEmpty()) {
            EXPECT_TRUE(messages[0].endsWith("the session's work is lost")) << messages[0].toStdString();
            EXPECT_TRUE(messages[0].contains(jobs)) << messages[0].toStdString();
            EXPECT_FALSE(QFile::exists(blocked + "/home"));
            EXPECT_EQ(Snapshot(jobs), jobsBefore);
            return;
        }
        EXPECT_EQ(RescueNamed(messages[0]), c.rescue) << messages[0].toStdString();
        EXPECT_TRUE(HoldsTheEdit(c.rescue));
        // What the job folder held before is as it was.
        const auto jobsAfter = Snapshot(jobs);
        for (const auto& [entry, what] : jobsBefore)
            if (entry != ".") {
                ASSERT_TRUE(jobsAfter.count(entry)) << entry.toStdString();
                EXPECT_EQ(jobsAfter.at(entry), what) << entry.toStdString();
            }
    }();
}

}  // namespace
}  // namespace palvane_test
