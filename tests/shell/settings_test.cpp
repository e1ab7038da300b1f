// The settings-file reader and the values read at every settings load:
// the profile reader's rules, the reader of one value, the directories, the
// library lists, the unit start values and the sizing border.
#include "editor/shell/settings.h"
#include "editor/shell/textnum.h"
#include "fuzz/settings/settings_fuzz.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/profile.h"
#include "tests/support/kernel_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <cmath>
#include <optional>
#include <string>

namespace {

std::string WriteFile(const QTemporaryDir& dir, const std::string& name, const std::string& content)
{
    const QString path = dir.filePath(QString::fromStdString(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content.data(), static_cast<qint64>(content.size()));
    return path.toStdString();
}

constexpr const char* kProfileText =
    "; a comment line\r\n"
    "Key=before any section\r\n"
    "[Norvo32]\r\n"
    "JobDir = /jobs/here  \r\n"
    "LibDir=\"quoted value\"\r\n"
    "SysDir='single'\r\n"
    "Blanks=  a  b  \r\n"
    "Mixed=\"half\r\n"
    "Empty=\r\n"
    "NoEquals\r\n"
    ";Hidden=commented out\r\n"
    "JobDir=the first key counts\r\n"
    "  [ formats ]  \r\n"
    "I1=A,1,2\r\n"
    "[Norvo32]\n"
    "Extra=only in the second section of the name\n"
    "[Last]\n"
    "Value=no line end";

TEST(ProfileReader, ReadsValuesAsTheSystemProfileFunctionsDo)
{
    QTemporaryDir dir;
    const std::string path = WriteFile(dir, "test.ini", kProfileText);
    const struct {
        const char* section;
        const char* key;
        const char* defaultValue;
        const char* expected;
    } cases[] = {
        {"Norvo32", "JobDir", "d", "/jobs/here"},
        {"NORVO32", "jobdir", "d", "/jobs/here"},
        {"Norvo32", "LibDir", "d", "quoted value"},
        {"Norvo32", "SysDir", "d", "single"},
        {"Norvo32", "Blanks", "d", "a  b"},
        {"Norvo32", "Mixed", "d", "\"half"},
        {"Norvo32", "Empty", "d", ""},
        {"Norvo32", "NoEquals", "d", ""},
        {"Norvo32", "Hidden", "d", "d"},
        {"Norvo32", "Missing", "def  ", "def"},
        {"Norvo32", "Extra", "d", "d"},
        {"Missing", "JobDir", "dflt", "dflt"},
        {"FORMATS", "I1", "d", "A,1,2"},
        {"Last", "value", "d", "no line end"},
        {"", "Key", "d", "d"},
    };
    // Each value read alone, and all of them within one batch that parses
    // the file once.
    for (const bool batched : {false, true}) {
        SCOPED_TRACE(batched ? "batched" : "alone");
        std::optional<winsys::ProfileBatch> batch;
        if (batched) batch.emplace();
        for (const auto& c : cases)
            EXPECT_EQ(winsys::ReadProfileString(path, c.section, c.key, c.defaultValue), c.expected)
                << c.section << " / " << c.key;
        EXPECT_EQ(winsys::ReadProfileString(dir.filePath("none.ini").toStdString(), "Norvo32", "JobDir", "x"), "x");
        EXPECT_EQ(winsys::ReadProfileString("", "Norvo32", "JobDir", "x"), "x");
    }
}

TEST(ProfileReader, AFileWrittenAfterABatchIsReadAgain)
{
    QTemporaryDir dir;
    const std::string path = WriteFile(dir, "test.ini", "[S]\nK=before\n");
    {
        const winsys::ProfileBatch outer;
        const winsys::ProfileBatch inner;
        EXPECT_EQ(winsys::ReadProfileString(path, "S", "K", "d"), "before");
    }
    WriteFile(dir, "test.ini", "[S]\nK=after\n");
    EXPECT_EQ(winsys::ReadProfileString(path, "S", "K", "d"), "after");
}

TEST(ProfileReader, BufferVersionCountsAndCutsLikeTheSystemCall)
{
    QTemporaryDir dir;
    const std::string path = WriteFile(dir, "test.ini", kProfileText);
    char buffer[16];
    std::memset(buffer, 'z', sizeof buffer);
    const struct {
        int32_t size;
        int32_t count;
        const char* text;
    } cases[] = {{16, 10, "/jobs/here"}, {11, 10, "/jobs/here"}, {5, 4, "/job"}, {1, 0, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(winsys::GetPrivateProfileString("Norvo32", "JobDir", "d", buffer, c.size, path), c.count);
        EXPECT_STREQ(buffer, c.text);
    }
    EXPECT_EQ(winsys::GetPrivateProfileString("Norvo32", "JobDir", "d", nullptr, 16, path), 0);
    EXPECT_EQ(winsys::GetPrivateProfileString("Norvo32", "JobDir", "d", buffer, 0, path), 0);
}

using Settings = palvane_test::KernelTest;

TEST_F(Settings, IniFileComesFromTheKernelEnvironment)
{
    QTemporaryDir dir;
    const std::string path = WriteFile(dir, "Norvo32.INI", "[Norvo32]\nJobDir=/from/the/file\n");
    GetIniFileName();
    EXPECT_EQ(g_IniFile, "");
    std::string value;
    ReadIniString("Norvo32", "JobDir", "default", value);
    EXPECT_EQ(value, "default") << "no settings file: every value takes its default";

    // The name is matched without regard to case when the exact one is missing.
    const std::string otherCase = dir.filePath("norvo32.ini").toStdString();
    ASSERT_NE(E_SetString("IniFile", otherCase.c_str()), 0);
    GetIniFileName();
    EXPECT_EQ(g_IniFile, otherCase);
    ReadIniString("Norvo32", "JobDir", "default", value);
    EXPECT_EQ(value, "/from/the/file");
    (void)path;
}

TEST_F(Settings, LongValuesAreCutToTheSharedBuffer)
{
    QTemporaryDir dir;
    const std::string longValue(3000, 'v');
    g_IniFile = WriteFile(dir, "long.ini", "[S]\nK=" + longValue + "\n");
    std::string value;
    ReadIniString("S", "K", "", value);
    EXPECT_EQ(value, std::string(kStrBufSize - 1, 'v'));
}

TEST_F(Settings, DirectoriesTakeTheirDefaultsOrTheFilesValues)
{
    g_IniFile.clear();
    ReadDirSettings();
    EXPECT_EQ(g_JobDir, "\\Norvo32\\JOB");
    EXPECT_EQ(g_LibDir, "\\Norvo32\\LIB");
    EXPECT_EQ(g_SysDir, "\\Norvo32\\SYS");
    EXPECT_EQ(g_CadJobDir, "\\CADJOB");

    QTemporaryDir dir;
    g_IniFile = WriteFile(dir, "dirs.ini",
                          "[norvo32]\nJOBDIR = jobs\nLibDir=libraries/\nSysDir=\"my system\"\nultojobdir=~/cad\n");
    ReadDirSettings();
    EXPECT_EQ(g_JobDir, "jobs");
    EXPECT_EQ(g_LibDir, "libraries/") << "taken as it stands";
    EXPECT_EQ(g_SysDir, "my system");
    EXPECT_EQ(g_CadJobDir, "~/cad");
}

TEST_F(Settings, LibraryListsStopAtTheFirstGapAndAreReplacedOnReload)
{
    QTemporaryDir dir;
    g_IniFile = WriteFile(dir, "libs.ini",
                          "[DEVLIBS]\n1=a.ndl\n2=b.ndl\n4=d.ndl\n"
                          "[SCHLIBS]\n2=only-two.nsl\n"
                          "[LAYLIBS]\n1=x.npl\n2=\n3=z.npl\n");
    ReadLibLists();
    ASSERT_EQ(g_DevLibs.UBound(), 2);
    EXPECT_EQ(g_DevLibs(0), "");
    EXPECT_EQ(g_DevLibs(1), "a.ndl");
    EXPECT_EQ(g_DevLibs(2), "b.ndl");
    EXPECT_EQ(g_SchLibs.UBound(), 0);
    ASSERT_EQ(g_LayLibs.UBound(), 1);
    EXPECT_EQ(g_LayLibs(1), "x.npl");

    g_IniFile = WriteFile(dir, "fewer.ini", "[DEVLIBS]\n1=c.ndl\n");
    ReadLibLists();
    ASSERT_EQ(g_DevLibs.UBound(), 1);
    EXPECT_EQ(g_DevLibs(1), "c.ndl");
    EXPECT_EQ(g_LayLibs.UBound(), 0);

    g_IniFile.clear();
    ReadLibLists();
    EXPECT_EQ(g_DevLibs.UBound(), 0);
    EXPECT_EQ(g_SchLibs.UBound(), 0);
    EXPECT_EQ(g_LayLibs.UBound(), 0);
}

TEST_F(Settings, UnitsAndStartValues)
{
    g_UnitIndex = 1;
    g_TextSizeIdx = 9;
    InitUnits();
    EXPECT_DOUBLE_EQ(g_UnitFactor(0), 1.0 / 25.4);
    EXPECT_DOUBLE_EQ(g_UnitFactor(1), 1.0);
    EXPECT_EQ(g_UnitSuffix(0), "\"");
    EXPECT_EQ(g_UnitSuffix(1), "mm");
    EXPECT_EQ(g_UnitLongName(0), "inches");
    EXPECT_EQ(g_UnitLongName(1), "millimeters");
    const struct {
        const char* name;
        int32_t value;
        int32_t expected;
    } longs[] = {
        {"g_UnitIndex", g_UnitIndex, 0},       {"g_DbUnitsPerMm", g_DbUnitsPerMm, 100000},
        {"g_TextSizeIdx", g_TextSizeIdx, 1},   {"g_TextPitch", g_TextPitch, 30480},
        {"g_ArrayCountX", g_ArrayCountX, 1},   {"g_ArrayCountY", g_ArrayCountY, 1},
        {"g_ArrayStepX", g_ArrayStepX, 254000}, {"g_ArrayStepY", g_ArrayStepY, 254000},
        {"g_CompAngle", g_CompAngle, 0},       {"g_EntryDrawMode", g_EntryDrawMode, 0},
    };
    for (const auto& l : longs) EXPECT_EQ(l.value, l.expected) << l.name;
    EXPECT_DOUBLE_EQ(g_DegToRad, std::acos(-1.0) / 180.0);
    EXPECT_TRUE(g_ShowPageOutline);
    EXPECT_EQ(g_CrLf, "\r\n");
    // The number formats come with the units.
    EXPECT_EQ(g_NumFormat(0), "#0.0000#");
    EXPECT_EQ(g_NumFormat(1), "###0.000");
}

TEST(WindowStyle, SizingBorderIsAddedOnceAndResizesItsWindow)
{
    QWidget parent;
    parent.resize(400, 300);
    auto* window = new QWidget(&parent);
    window->setGeometry(10, 10, 200, 100);
    parent.show();
    EXPECT_FALSE(HasSizingBorder(window));
    SetWindowStyle(window, nullptr);
    SetWindowStyle(window, &parent);
    EXPECT_TRUE(HasSizingBorder(window));
    EXPECT_EQ(window->findChildren<QWidget*>("SizingBorder").size(), 1);
    SetWindowStyle(nullptr, nullptr);

    QWidget* grip = window->findChild<QWidget*>("SizingBorder");
    ASSERT_NE(grip, nullptr);
    EXPECT_EQ(grip->geometry().bottomRight(), QPoint(199, 99)) << "in the lower right corner";
    QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(grip, QPoint(35, 25));
    QTest::mouseRelease(grip, Qt::LeftButton, {}, QPoint(35, 25));
    EXPECT_EQ(window->size(), QSize(230, 120));
    EXPECT_EQ(grip->geometry().bottomRight(), QPoint(229, 119)) << "the grip follows the corner";
}

}  // namespace

// The settings file's fuzz check over its seeds: the shipped file, odd
// values and binary noise are read as a settings load reads them.
TEST_F(Settings, TheFuzzerSeedsAreReadWithoutABrokenPromise)
{
    const std::string kept = g_IniFile;
    const QDir corpus(FUZZ_SETTINGS_CORPUS_DIR);
    const QStringList seeds = corpus.entryList(QDir::Files);
    ASSERT_FALSE(seeds.isEmpty());
    for (const QString& name : seeds) {
        SCOPED_TRACE(name.toStdString());
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(settings_fuzz::CheckInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                            static_cast<size_t>(bytes.size())),
                  "");
    }
    g_IniFile = kept;
}
