#include "platform/host/command_reader.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

struct HostRun {
    int exitCode = -1;
    bool finished = false;
    QString out;
    QString err;
};

// Runs norvo32 with `input` on standard input (closed afterwards).
HostRun RunHost(const QByteArray& input, QProcessEnvironment env, int waitMs = 20000)
{
    QTemporaryDir lockDir;
    if (!env.contains("PALVANE_INSTANCE_LOCK"))
        env.insert("PALVANE_INSTANCE_LOCK", lockDir.path() + "/palvane.lock");
    QProcess host;
    host.setProcessEnvironment(env);
    host.start(NORVO32_EXE, {});
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

}  // namespace
