// The README's commands as a newcomer runs them: what ./run.sh builds before
// it starts the editor. The script runs from a copy of itself and the
// shared set-up, with stand-ins on PATH for the package query and for
// cmake (which record what they are asked) and for the editor itself.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

void WriteScript(const QString& path, const QByteArray& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    ASSERT_TRUE(file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser));
}

TEST(RunScript, BuildsOnlyWhatTheEditorNeedsThenStartsIt)
{
    QTemporaryDir dir;
    const QString root = dir.filePath("checkout");
    ASSERT_TRUE(QDir().mkpath(root + "/tools"));
    ASSERT_TRUE(QDir().mkpath(root + "/build/bin"));
    ASSERT_TRUE(QDir().mkpath(dir.filePath("stand-ins")));
    ASSERT_TRUE(QFile::copy(PALVANE_SOURCE_DIR "/run.sh", root + "/run.sh"));
    ASSERT_TRUE(QFile::copy(PALVANE_SOURCE_DIR "/tools/setup.sh", root + "/tools/setup.sh"));
    const QString log = dir.filePath("calls.log");
    const QByteArray record = "echo \"$(basename \"$0\") $*\" >> '" + log.toLocal8Bit() + "'\n";
    ASSERT_NO_FATAL_FAILURE(
        WriteScript(dir.filePath("stand-ins/dpkg-query"), "#!/bin/sh\nprintf 'install ok installed'\n"));
    ASSERT_NO_FATAL_FAILURE(WriteScript(dir.filePath("stand-ins/cmake"), "#!/bin/sh\n" + record));
    ASSERT_NO_FATAL_FAILURE(WriteScript(root + "/build/bin/norvo32", "#!/bin/sh\n" + record));

    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PATH", dir.filePath("stand-ins") + ":" + env.value("PATH"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    run.setProcessEnvironment(env);
    run.start("bash", {root + "/run.sh"});
    ASSERT_TRUE(run.waitForFinished(30000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();

    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList calls = QString::fromLocal8Bit(file.readAll()).split('\n', Qt::SkipEmptyParts);
    QStringList builds;
    for (const QString& call : calls)
        if (call.startsWith("cmake --build")) builds << call;
    ASSERT_EQ(builds.size(), 1) << calls.join('\n').toStdString();
    const QStringList words = builds.front().split(' ');
    QStringList targets;
    for (int i = 0; i + 1 < words.size(); ++i)
        if (words[i] == "--target") targets << words[i + 1];
    // The host and the libraries it loads by name, and nothing that only
    // the tests or the benchmarks use.
    for (const char* needed : {"norvo32", "Corvex", "NVOSPLC32", "NVOLOCAL32", "demo_design"})
        EXPECT_TRUE(targets.contains(needed)) << needed << " in " << builds.front().toStdString();
    for (const QString& target : targets)
        EXPECT_FALSE(target.endsWith("_tests") || target.endsWith("_bench") || target == "all") << target.toStdString();
    EXPECT_TRUE(calls.last().startsWith("norvo32")) << calls.join('\n').toStdString();
}

}  // namespace
