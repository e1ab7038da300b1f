// The path helper: joins and normalisation, Linux directory defaults, the
// case-insensitive lookup, and the Latin-1 text at the widget boundary.
#include "editor/shell/paths.h"
#include "platform/winsys/latin1.h"
#include "tests/shell/env_guard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(Paths, JoinAndNormalise)
{
    const struct {
        const char* folder;
        const char* name;
        const char* joined;
    } cases[] = {
        {"/opt/norvo", "PALVANE.HLP", "/opt/norvo/PALVANE.HLP"},
        {"/opt/norvo/", "\\PALVANE.HLP", "/opt/norvo/PALVANE.HLP"},
        {"", "PALVANE.HLP", "PALVANE.HLP"},
        {"jobs\\demo", "page.NPN", "jobs/demo/page.NPN"},
        {"/opt//norvo\\\\lib\\", "sym\\..\\parts\\R.LIB", "/opt/norvo/lib/parts/R.LIB"},
        {"/opt/norvo/./data", "./help", "/opt/norvo/data/help"},
        {"/", "..\\..\\etc", "/etc"},
        {"../up", "x", "../up/x"},
        {"a/b", "../../../c", "../c"},
        {"/opt/norvo", "", "/opt/norvo"},
        {"", "", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(JoinPath(c.folder, c.name), c.joined) << c.folder << " + " << c.name;

    const struct {
        const char* path;
        const char* normal;
    } normal[] = {
        {"\\", "/"}, {"a/./b/", "a/b"}, {".", "."}, {"./", "."}, {"x/..", "."}, {"//srv//x", "/srv/x"},
    };
    for (const auto& c : normal) EXPECT_EQ(NormalizePath(c.path), c.normal) << c.path;
}

class DirectoryDefaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        env.Set("HOME", home.path().toLocal8Bit().toStdString());
        env.Set("XDG_CONFIG_HOME", std::nullopt);
        env.Set("XDG_DATA_HOME", std::nullopt);
        SetDataDir(" /opt/norvo32/data ");
    }
    void TearDown() override { SetDataDir(""); }

    QTemporaryDir home;
    // Puts HOME and the XDG folders back, also those the tests set.
    palvane_test::EnvGuard env;
};

TEST_F(DirectoryDefaults, FoldersFromSettings)
{
    const std::string h = home.path().toStdString();
    EXPECT_EQ(DataDir(), "/opt/norvo32/data");
    EXPECT_EQ(HomeDir(), h);
    EXPECT_EQ(UserConfigDir(), h + "/.config/norvo32");
    EXPECT_EQ(UserDataDir(), h + "/.local/share/norvo32");
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    setenv("XDG_DATA_HOME", "/xdgdata", 1);
    EXPECT_EQ(UserConfigDir(), "/cfg/norvo32");
    EXPECT_EQ(UserDataDir(), "/xdgdata/norvo32");

    const struct {
        const char* setting;
        DirBase base;
        std::string folder;
    } cases[] = {
        {"", DirBase::Data, "/opt/norvo32/data"},
        {"   ", DirBase::Home, h},
        {"LIB", DirBase::Data, "/opt/norvo32/data/LIB"},
        {"lib\\parts\\", DirBase::Data, "/opt/norvo32/data/lib/parts"},
        {"designs", DirBase::Home, h + "/designs"},
        {"backup", DirBase::UserData, "/xdgdata/norvo32/backup"},
        {"~", DirBase::Data, h},
        {"~/jobs\\demo", DirBase::Data, h + "/jobs/demo"},
        {"/srv/shared/lib", DirBase::Home, "/srv/shared/lib"},
        {"C:\\NORVO\\LIB", DirBase::Data, "/opt/norvo32/data/NORVO/LIB"},
        {"d:lib", DirBase::Home, h + "/lib"},
    };
    for (const auto& c : cases) EXPECT_EQ(ResolveDir(c.setting, c.base), c.folder) << '"' << c.setting << '"';
}

TEST(Paths, DataDirWithoutSeverPathIsBesideTheLibrary)
{
    SetDataDir("");
    const std::string data = DataDir();
    // The build keeps no data folder beside build/lib, an installation does;
    // either way the answer is a folder that exists or nothing.
    if (!data.empty()) {
        EXPECT_TRUE(QDir(QString::fromStdString(data)).exists());
    }
}

TEST(Paths, CaseInsensitiveFallback)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = dir.path();
    QDir(root).mkpath("Lib/Parts");
    QDir(root).mkpath("lib2");
    for (const char* file : {"Lib/Parts/Resistor.LIB", "Lib/Parts/resistor.lib", "Lib/SCHFSI.MEN", "lib2/a.txt",
                             "Caf\xC3\xA9.txt"}) {
        QFile f(root + "/" + QString::fromUtf8(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const std::string r = root.toStdString();
    const struct {
        std::string asked;
        std::string found;  // empty: not found, the path comes back as asked
    } cases[] = {
        {r + "/Lib/SCHFSI.MEN", r + "/Lib/SCHFSI.MEN"},                  // exact
        {r + "/LIB/schfsi.men", r + "/Lib/SCHFSI.MEN"},                  // every part's case
        {r + "\\lib\\PARTS\\RESISTOR.LIB", r + "/Lib/Parts/Resistor.LIB"},  // first in name order
        {r + "/Lib/Parts/resistor.lib", r + "/Lib/Parts/resistor.lib"},  // exact wins
        {r + "/LIB2/A.TXT", r + "/lib2/a.txt"},
        {r + "/CAF\xC9.TXT", r + "/Caf\xE9.txt"},  // Latin-1 names against UTF-8 files
        {r + "/Lib/missing.lib", ""},
        {r + "/Nowhere/SCHFSI.MEN", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindPathNoCase(c.asked), c.found.empty() ? c.asked : c.found) << c.asked;
        EXPECT_EQ(PathExistsNoCase(c.asked), !c.found.empty()) << c.asked;
    }
    EXPECT_EQ(NativePath("/tmp/Caf\xE9"), "/tmp/Caf\xC3\xA9");
}

TEST(Latin1Text, OneCharacterIsOneByte)
{
    const std::string bytes("A\xE9\xFF\x01 x", 6);
    const QString text = ToQ(bytes);
    ASSERT_EQ(text.size(), 6);
    EXPECT_EQ(text.at(1), QChar(0xE9));
    EXPECT_EQ(text.at(2), QChar(0xFF));
    EXPECT_EQ(FromQ(text), bytes);
    const std::string withNul("a\0b", 3);
    EXPECT_EQ(FromQ(ToQ(withNul)), withNul);
    // Beyond Latin-1 a character becomes '?'.
    EXPECT_EQ(FromQ(QString::fromUtf8("\xE2\x82\xAC 5")), "? 5");
}

}  // namespace
