// Page formats and the default format, the packaging flags and the shortcut
// list, as the settings file gives them; values out of range are not taken.
#include "editor/shell/prefs.h"
#include "editor/shell/settings.h"
#include "editor/shell/tooltable.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/scripted.h"

#include <QFile>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace {

class Prefs : public palvane_test::ScriptedTest {
protected:
    // The packaging flags as a new process has them: all 0 before the
    // first read (an earlier test of the process may have read them).
    void SetUp() override
    {
        ScriptedTest::SetUp();
        g_PrefCompName.Redim(1, 4);
        g_PrefPinOut.Redim(1, 6);
        g_PrefDescription.Redim(1, 10);
    }

    // Makes `content` the settings file.
    void UseSettings(const std::string& content)
    {
        const QString path = dir.filePath(QString("settings%1.ini").arg(++files));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content.data(), static_cast<qint64>(content.size()));
        g_IniFile = path.toStdString();
    }

    QTemporaryDir dir;
    int files = 0;
};

std::vector<int32_t> Flags(const CheckedArray<int32_t>& flags)
{
    std::vector<int32_t> values;
    for (long k = 1; k <= flags.UBound(); ++k) values.push_back(flags(k));
    return values;
}

void ExpectFormat(long row, long slot, const std::string& name, double width, double height)
{
    const PageFormatRec& f = g_PageFormats(row, slot);
    EXPECT_EQ(f.Name, name) << row << "/" << slot;
    EXPECT_DOUBLE_EQ(f.Width, width) << row << "/" << slot;
    EXPECT_DOUBLE_EQ(f.Height, height) << row << "/" << slot;
}

TEST_F(Prefs, WithoutFormatsTheBuiltInSheetsAreOffered)
{
    g_IniFile.clear();
    ReadPageFormats();
    const struct {
        long row, slot;
        const char* name;
        double width, height;
    } expected[] = {
        {0, 1, "A(landscape)", 11, 8.5}, {0, 2, "B", 17, 11},    {0, 3, "C", 22, 11},
        {0, 4, "D", 34, 22},             {0, 5, "E", 44, 34},    {0, 6, "A(portrait)", 8.5, 11},
        {1, 1, "A4(landscape)", 297, 210}, {1, 2, "A3", 420, 297}, {1, 3, "A2", 594, 420},
        {1, 4, "A1", 841, 594},          {1, 5, "A0", 1189, 841}, {1, 6, "A4(portrait)", 210, 297},
    };
    for (const auto& e : expected) ExpectFormat(e.row, e.slot, e.name, e.width, e.height);
    ExpectFormat(0, 0, "", 0, 0);
    EXPECT_EQ(g_PageFormatText(1), "A(landscape),11,8.5)");
    EXPECT_EQ(g_PageFormatText(12), "A4(portrait),210,297)");
    EXPECT_EQ(g_PageFormatText(0), "");
    EXPECT_THROW(g_PageFormats(2, 1), RuntimeError);
    EXPECT_THROW(g_PageFormats(0, 7), RuntimeError);
}

TEST_F(Prefs, FormatValuesAreTakenOnlyWhenTheyGiveASheet)
{
    UseSettings("[FORMATS]\n"
                "I2=Tabloid,17,11\n"       // no closing parenthesis: taken as it is
                "I3=C,0,17\n"              // no width
                "I4=D,-34,22\n"            // negative
                "I5=E,44,34,more\n"        // four fields
                "M1=A4,210\n"              // two fields
                "M2=Roll,420,9000\n"       // beyond the drawing area
                "M3= Wide (mm) ,594.5,420\n");  // blanks around the value go
    ReadPageFormats();
    ExpectFormat(0, 2, "Tabloid", 17, 11);
    ExpectFormat(1, 3, "Wide (mm) ", 594.5, 420);
    // A value that gives no sheet leaves the built-in one on the first load.
    ExpectFormat(0, 3, "C", 22, 11);
    ExpectFormat(0, 4, "D", 34, 22);
    ExpectFormat(0, 5, "E", 44, 34);
    ExpectFormat(1, 1, "A4(landscape)", 297, 210);
    ExpectFormat(1, 2, "A3", 420, 297);
    EXPECT_EQ(g_PageFormatText(7), "A4,210");

    // On a reload it leaves what the slot held.
    UseSettings("[FORMATS]\nI2=Ledger,17\nM3=A2 new,594,420\n");
    ReadPageFormats();
    ExpectFormat(0, 2, "Tabloid", 17, 11);
    ExpectFormat(1, 3, "A2 new", 594, 420);
}

TEST_F(Prefs, DefaultPageFormatNamesAListPosition)
{
    const struct {
        const char* value;
        int32_t position;
    } cases[] = {
        {"none", -1},   {"1,M1", 6},  {"1,I3", 2},  {"1,m1", 0},  {"2,I3", -1},  {"1,M6", 11},
        {"1.0,I1", 0},  {"1,X6", 5},  {"1,I7", -1}, {"1,M0", -1}, {"1,Mx", -1},  {"1", -1},
        {"1,", -1},     {"None", -1}, {"", -1},     {"1, M2", 1}, {"1,M2,x", 7}, {"0,M2", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(DefaultPageFormatPos(c.value), c.position) << c.value;

    // The settings file is asked for afresh.
    ASSERT_NE(E_SetString("IniFile", ""), 0);
    UseSettings("[Formats]\nschdefpage = 1,M2\n");
    const std::string file = g_IniFile;
    EXPECT_EQ(ReadDefaultPageFormatPos(), -1) << "no settings file: none";
    ASSERT_NE(E_SetString("IniFile", file.c_str()), 0);
    EXPECT_EQ(ReadDefaultPageFormatPos(), 7);
    UseSettings("[FORMATS]\nSchDefPage=1,I9\n");
    ASSERT_NE(E_SetString("IniFile", g_IniFile.c_str()), 0);
    EXPECT_EQ(ReadDefaultPageFormatPos(), -1) << "a slot that does not exist";
}

TEST_F(Prefs, PackagingFlagsFollowTheirKeys)
{
    EXPECT_EQ(Flags(g_PrefCompName), (std::vector<int32_t>{0, 0, 0, 0})) << "nothing before the first read";
    g_IniFile.clear();
    ReadPackagingPrefs();
    EXPECT_EQ(Flags(g_PrefCompName), (std::vector<int32_t>{1, 0, 1, 0}));
    EXPECT_EQ(Flags(g_PrefPinOut), (std::vector<int32_t>{1, 1, 0, 1, 0, 0}));
    EXPECT_EQ(Flags(g_PrefDescription), (std::vector<int32_t>{1, 0, 1, 0, 1, 0, 0, 0, 1, 0}));

    const struct {
        const char* settings;
        std::vector<int32_t> compName, pinOut, description;
    } steps[] = {
        // A short value changes its first flags only; extra fields are ignored.
        {"PREFCOMPNAME=0\nPREFPINOUT=0,0,1,5,1,2,9,9\nPREFDESCRIPTION=0,1,7",
         {0, 0, 1, 0}, {0, 0, 1, 5, 1, 2}, {0, 1, 7, 0, 1, 0, 0, 0, 1, 0}},
        // Text sizes outside 0..32 and numbers too large keep the flag.
        {"PREFCOMPNAME=1,1,33,1\nPREFPINOUT=1,1,1,-1,1,1e12\nPREFDESCRIPTION=1,1,32,1",
         {1, 1, 1, 1}, {1, 1, 1, 5, 1, 2}, {1, 1, 32, 1, 1, 0, 0, 0, 1, 0}},
        // Halves go to the even number; blanks and junk read as the runtime reads them.
        {"PREFCOMPNAME=2.5,3.5, 1,x\nPREFPINOUT=\nPREFDESCRIPTION=\"0,0,0\"",
         {2, 4, 1, 0}, {0, 1, 1, 5, 1, 2}, {0, 0, 0, 1, 1, 0, 0, 0, 1, 0}},
    };
    for (const auto& s : steps) {
        UseSettings(std::string("[PACKAGING]\n") + s.settings + "\n");
        ReadPackagingPrefs();
        EXPECT_EQ(Flags(g_PrefCompName), s.compName) << s.settings;
        EXPECT_EQ(Flags(g_PrefPinOut), s.pinOut) << s.settings;
        EXPECT_EQ(Flags(g_PrefDescription), s.description) << s.settings;
    }
}

TEST_F(Prefs, ShortcutsNameOfferedFunctionsUpToTheFirstMissingKey)
{
    ClearToolTable();
    for (auto [mode, func] : {std::pair{1, 3}, {4, 2}, {2, 0}, {11, 10}}) ModeTools(mode).Funcs.at(func).Avail = 1;

    g_IniFile.clear();
    ReadShortCuts();
    EXPECT_EQ(g_ShortCuts.UBound(), 0) << "no section: no shortcuts";

    const struct {
        const char* settings;
        std::vector<std::pair<int32_t, int32_t>> expected;
    } cases[] = {
        {"1=1,3\n2=4,2\n", {{1, 3}, {4, 2}}},
        // Empty values and single fields are skipped; the list goes on.
        {"1=1,3\n2=\n3=4\n4=4,2\n", {{1, 3}, {4, 2}}},
        // The first missing key ends the list.
        {"1=1,3\n3=4,2\n", {{1, 3}}},
        {"1=none\n2=1,3\n", {}},
        // Modes outside 0..11, functions outside 0..10 or without a button.
        {"1=12,0\n2=1,11\n3=1,9\n4=-1,0\n5=2,0\n6=11,10\n7=99999999999,1\n", {{2, 0}, {11, 10}}},
        {"1= 1.5 , 3.4 ,x\n", {{2, 3}}},
    };
    for (const auto& c : cases) {
        UseSettings(std::string("[ShortCutsSch]\n") + c.settings);
        if (std::string(c.settings).find("1.5") != std::string::npos) ModeTools(2).Funcs.at(3).Avail = 1;
        ReadShortCuts();
        ASSERT_EQ(g_ShortCuts.UBound(), static_cast<long>(c.expected.size())) << c.settings;
        for (size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(g_ShortCuts(static_cast<long>(i) + 1).Mode, c.expected[i].first) << c.settings;
            EXPECT_EQ(g_ShortCuts(static_cast<long>(i) + 1).Func, c.expected[i].second) << c.settings;
        }
    }
}

}  // namespace
