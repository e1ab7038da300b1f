// The component list scanner over a fixed stand-in for the kernel lookups:
// the edge cases of both list formats, every error code with the selection
// it makes in the text as typed, malformed lines, and the fuzzer's seeds.
#include "editor/dialogs/complist_scan.h"
#include "fuzz/complist/complist_fuzz.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <string>

namespace {

using complist_fuzz::CheckListText;
using complist_fuzz::FakeLookups;

// The stand-in's coordinates: inches, Mode menu "R", frame corner
// (1,000,000, 500,000), reference point (-200,000,000, 200,000,000).
ListCoordContext Inches(int32_t menuMode = 2)
{
    ListCoordContext c;
    c.unitFactor = 1.0 / 25.4;
    c.menuMode = menuMode;
    c.frameX = 1000000;
    c.frameY = 500000;
    c.refX = -200000000;
    c.refY = 200000000;
    return c;
}

CompListResult Parse(const std::string& text, bool create, const ListCoordContext& context = Inches())
{
    FakeLookups lookups;
    return ParseCompList(text, create, context, lookups);
}

std::string Selected(const std::string& text, const CompListResult& r)
{
    return text.substr(r.selStart, r.selLength);
}

struct ErrorCase {
    bool create;
    std::string text;
    int error;
    std::string selected;  // the typed text the selection covers
};

TEST(CompListScan, ErrorCodesAndTheLineSelectedAsTyped)
{
    const ErrorCase cases[] = {
        // The create list as first shown, and with its empty line deleted.
        {true, "\r\n@END\r\n", 1, "\r"},
        {true, "@END\r\n", -1, ""},
        // "@END" alone (nothing marked), and "@END" without its line end.
        {false, "@END\r\n", -1, ""},
        {true, "1,d,7400\r\n@END", -1, "@"},
        {false, "U1,0,0,0\r\n@END", -2, "@"},
        {false, "U1,0,0,0\r\nR1,0,0,0", -1, ""},
        // A lower-case end line is a list line.
        {true, "1,d,7400\r\n@end\r\n@END\r\n", 1, "@end\r"},
        {true, "1,d\r\n@END\r\n", 1, "1,d\r"},
        {true, "1,x,7400\r\n@END\r\n", 1, "1,x,7400\r"},
        {false, "U1,0,0\r\n@END\r\n", 1, "U1,0,0\r"},
        {false, "U1,0,0,360.5\r\n@END\r\n", 2, "U1,0,0,360.5\r"},
        {false, "U1,86.7,0,0,A\r\n@END\r\n", 2, "U1,86.7,0,0,A\r"},
        {false, "U1,0,-86.7,0,A\r\n@END\r\n", 2, "U1,0,-86.7,0,A\r"},
        {false, "U1,1e999,0,0\r\n@END\r\n", 2, "U1,1e999,0,0\r"},
        {false, "U9,0,0,0\r\n@END\r\n", 3, "U9,0,0,0\r"},
        {false, "U1,0,0,0,X\r\n@END\r\n", 4, "U1,0,0,0,X\r"},
        {true, "0,s,GND,1,1,0,V\r\n@END\r\n", 4, "0,s,GND,1,1,0,V\r"},
        {true, "1,d,NOPART\r\n@END\r\n", 6, "1,d,NOPART\r"},
        {true, "5,d,7400\r\n@END\r\n", 7, "5,d,7400\r"},
        {true, "1,d,NOSYM\r\n@END\r\n", 8, "1,d,NOSYM\r"},
        {true, "0,s,NOPE\r\n@END\r\n", 8, "0,s,NOPE\r"},
        // Blanks after the commas: the third line is selected as typed.
        {true, "1, d, 7400\r\n0, s, GND\r\n5, d, 7400,  0, 0\r\n@END\r\n", 7, "5, d, 7400,  0, 0\r"},
        {false, "U1, 0, 0, 0\r\n  R1, 0,0, 0, Q\r\n@END\r\n", 4, "  R1, 0,0, 0, Q\r"},
        // A line of blanks is an empty line.
        {true, "1,d,7400\r\n   \r\n@END\r\n", 1, "   \r"},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.text);
        const CompListResult r = Parse(c.text, c.create);
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(Selected(c.text, r), c.selected);
        if (c.error == -1 && c.selected.empty()) {
            EXPECT_EQ(r.selStart, c.text.size());
        }
    }
}

TEST(CompListScan, NoFreeNameIsError5)
{
    FakeLookups lookups;
    lookups.noFreeName = true;
    const CompListResult r = ParseCompList("1,d,7400\r\n@END\r\n", true, Inches(), lookups);
    EXPECT_EQ(r.error, 5);
}

// A part or symbol the kernel refused to load is no error of the text: its
// line is read on (a bad field after it is still an error), its entry
// marked to be skipped, and the lines after it are read.
TEST(CompListScan, ALineWhoseLoadWasRefusedIsReadAndMarkedToBeSkipped)
{
    class Refusing : public FakeLookups {
    public:
        int LookupPart(const std::string& name, std::optional<int32_t> group, int32_t& device) override
        {
            if (name == "REFUSED") return listerr::kLoadRefused;
            return FakeLookups::LookupPart(name, group, device);
        }
        int LookupSymbol(const std::string& name, int32_t& symbol) override
        {
            if (name == "REFSYM") return listerr::kLoadRefused;
            return FakeLookups::LookupSymbol(name, symbol);
        }
    };
    Refusing lookups;
    const CompListResult r = ParseCompList("1,d,REFUSED,1,1,0,A\r\n0,s,REFSYM\r\nx,d,REFUSED\r\n1,d,7400\r\n@END\r\n",
                                           true, Inches(), lookups);
    ASSERT_EQ(r.error, 0);
    ASSERT_EQ(r.entries.size(), 4u);
    for (const size_t skipped : {0u, 1u, 2u}) {
        EXPECT_TRUE(r.entries[skipped].Skip) << skipped;
        EXPECT_EQ(r.entries[skipped].RefId, 0) << skipped;
    }
    EXPECT_EQ(r.entries[0].X, 2540000);
    EXPECT_EQ(r.entries[1].Name, "Unpck2         ");
    EXPECT_FALSE(r.entries[3].Skip);
    EXPECT_EQ(r.entries[3].RefId, 7);
    EXPECT_EQ(r.entries[3].Name, "Unpck4         ");

    const CompListResult bad = ParseCompList("1,d,REFUSED,1,1,0,V\r\n@END\r\n", true, Inches(), lookups);
    EXPECT_EQ(bad.error, listerr::kCoordMode);
}

TEST(CompListScan, CreateLinesPositionsAndNames)
{
    const std::string text =
        "1,d,7400,2.5,1\r\n"    // five fields: at the page datum, rotation 0
        "0,s,GND,1,1,0\r\n"     // mode of the Mode menu (R)
        "2, d, 74 00,-1,0.5,-90,A\r\n"  // blanks inside the name are dropped
        "@ END\r\nhelp text, not parsed\r\n";
    const CompListResult r = Parse(text, true);
    ASSERT_EQ(r.error, 0);
    ASSERT_EQ(r.entries.size(), 3u);
    EXPECT_EQ(r.entries[0].X, 1000000);
    EXPECT_EQ(r.entries[0].Y, 500000);
    EXPECT_EQ(r.entries[0].Angle, 0);
    EXPECT_EQ(r.entries[0].Group, 1);
    EXPECT_EQ(r.entries[0].RefId, 7);
    EXPECT_EQ(r.entries[1].X, 2540000 - 200000000);
    EXPECT_EQ(r.entries[1].Y, 2540000 + 200000000);
    EXPECT_EQ(r.entries[1].Group, 0);
    EXPECT_EQ(r.entries[1].RefId, 3);
    EXPECT_EQ(r.entries[2].X, -2540000);
    EXPECT_EQ(r.entries[2].Y, 1270000);
    EXPECT_EQ(r.entries[2].Angle, 270000);
    EXPECT_EQ(r.entries[2].Group, 2);
    // Each line has its own name, 15 characters wide.
    EXPECT_EQ(r.entries[0].Name, "Unpck1         ");
    EXPECT_EQ(r.entries[1].Name, "Unpck2         ");
    EXPECT_EQ(r.entries[2].Name, "Unpck3         ");
    EXPECT_EQ(r.stripped.substr(0, 16), "1,d,7400,2.5,1\r\n");
}

TEST(CompListScan, RelocationLinesByMode)
{
    struct Case {
        std::string line;
        int32_t x, y, angle;
    };
    const Case cases[] = {
        {"U1,0,0,360", -200000000, 200000000, 0},  // 360 accepted; menu mode R
        {"U1,0,0,-90,A", 0, 0, 270000},
        {"U1,86.6,0,0,A", 219964000, 0, 0},
        {"U1,0,0,0,P", 1000000, 500000, 0},
        {"U1,1,-1,45,V", 1000 + 2540000, 2000 - 2540000, 45000},
        {"U1,1,1,0,R", -200000000 + 2540000, 200000000 + 2540000, 0},
        {"U1,0,7.87401,0,R", -200000000, 219999985, 0},
        {"U1,-7.87401,0,0,R", -219999985, 200000000, 0},
        {"R1,0,0,0,V", -5000, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const CompListResult r = Parse(c.line + "\r\n@END\r\n", false);
        ASSERT_EQ(r.error, 0);
        ASSERT_EQ(r.entries.size(), 1u);
        EXPECT_EQ(r.entries[0].X, c.x);
        EXPECT_EQ(r.entries[0].Y, c.y);
        EXPECT_EQ(r.entries[0].Angle, c.angle);
        EXPECT_EQ(r.entries[0].Group, 0);
        EXPECT_EQ(r.entries[0].RefId, 0);
    }
}

TEST(CompListScan, ALongComponentNameIsCutButTheEntryKeepsItsId)
{
    const CompListResult r = Parse("ABCDEFGHIJKLMNOPQRST,0,0,0,A\r\n@END\r\n", false);
    ASSERT_EQ(r.error, 0);
    EXPECT_EQ(r.entries[0].Name, "ABCDEFGHIJKLMNO");
    EXPECT_EQ(r.entries[0].CompId, 9);
}

TEST(CompListScan, MillimetresAndTheBoundItself)
{
    ListCoordContext mm = Inches(0);
    mm.unitFactor = 1.0;
    EXPECT_EQ(Parse("U1,2200,-2200,0\r\n@END\r\n", false, mm).error, 0);
    EXPECT_EQ(Parse("U1,2200.00001,0,0\r\n@END\r\n", false, mm).error, 2);
    ListCoordContext units = mm;
    units.dbUnitsPerMm = 1;
    const CompListResult r = Parse("U1,0.5,1.5,0\r\n@END\r\n", false, units);
    ASSERT_EQ(r.error, 0);
    EXPECT_EQ(r.entries[0].X, 0);  // 0.5 rounds to the even 0
    EXPECT_EQ(r.entries[0].Y, 2);  // 1.5 rounds to 2
}

// Malformed lines in both lists: the error expected and the scanner's
// promises (CheckListText).
TEST(CompListScan, MalformedLines)
{
    const std::string big(1 << 20, 'X');
    struct Case {
        std::string line;
        int create;  // expected code in a create list
        int reloc;   // expected code in a relocation list
    };
    const Case cases[] = {
        {"", 1, 1},
        {",,,", 1, 3},
        {"1,x,7400", 1, 1},
        {"1,d,", 6, 1},
        {"1e999", 1, 1},
        {"nan", 1, 1},
        {"&HFFFFFFFFF", 1, 1},
        {"&HFFFFFFFFF,d,7400", 7, 1},
        {"1e20,d,7400", 7, 1},
        {"1099511627776,d,7400", 7, 1},
        {"-1,d,7400", 7, 1},
        {"1,d,7400,", 0, 3},
        {"U1,0,0,0,", 1, 4},
        {"1,d,7400,0,0,0,A,x,y", 0, 3},
        {"U1,0,0,0,A,x,y,z,w", 1, 0},
        {"U1,1e999,0,0", 1, 2},
        {"U1,&H" + std::string(300, 'F') + ",0,0", 1, 2},
        {"1,d," + std::string(300, 'N'), 6, 1},
        {std::string(300, 'N') + ",0,0,0", 1, 3},
        {"1,d," + big, 6, 1},
        {big + ",0,0,0", 1, 3},
        {std::string("1,d,74\0", 7) + "00", 1, 1},
        {std::string("U1,0,0\0,0", 9), 1, 1},
        {"1,d,7400\r0,s,GND", 1, 1},
        {"1,d,7400\n0,s,GND", 1, 1},
        {"U1,0,0,0\rU1", 1, 1},
        {"1,d,@END", 6, 1},
        {"@END,0,0,0", 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.substr(0, 40));
        const std::string text = c.line + "\r\n@END\r\n";
        EXPECT_EQ(Parse(text, true).error, c.create);
        EXPECT_EQ(Parse(text, false).error, c.reloc);
        EXPECT_EQ(CheckListText(text, true), "");
        EXPECT_EQ(CheckListText(text, false), "");
        // The same line with no line end at all.
        EXPECT_EQ(Parse(c.line, true).error, -1);
        EXPECT_EQ(CheckListText(c.line, false), "");
    }
}

TEST(CompListScan, FuzzSeedsKeepTheScannersPromises)
{
    const QDir dir(FUZZ_CORPUS_DIR);
    const QStringList seeds = dir.entryList(QDir::Files);
    ASSERT_FALSE(seeds.isEmpty());
    for (const QString& name : seeds) {
        SCOPED_TRACE(name.toStdString());
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(complist_fuzz::CheckInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                            static_cast<size_t>(bytes.size())),
                  "");
    }
}

}  // namespace
