// The reader of the readable sources: what a good source gives, and a table
// of bad sources, each refused with its line and a clear message.
#include "tools/sources/source_reader.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using namespace nvo_sources;

bool Read(const std::string& text, Source& src, std::string& error)
{
    return ReadSourceText(text, "t", "/nonexistent", src, error);
}

Source ReadOk(const std::string& text)
{
    Source src;
    std::string error;
    EXPECT_TRUE(Read(text, src, error)) << error;
    return src;
}

TEST(SourceLexer, LengthsAnglesAndNumbers)
{
    const struct {
        const char* word;
        int64_t unit;
        bool ok;
        int32_t value;
    } lengths[] = {
        {"1in", 1, true, 2540000},   {"0.1in", 1, true, 254000},  {"100mil", 1, true, 254000},
        {"2.54mm", 1, true, 254000}, {"-3", 254000, true, -762000}, {"12u", 254000, true, 12},
        {".5", 2540, true, 1270},    {"+7", 1, true, 7},          {"220000000", 1, true, 220000000},
        {"220000001", 1, false, 0},  {"87in", 1, false, 0},       {"1e3", 1, false, 0},
        {"1in2", 1, false, 0},       {"in", 1, false, 0},         {"1,5", 1, false, 0},
        {"--1", 1, false, 0},        {"", 1, false, 0},           {"1.2.3", 1, false, 0},
    };
    for (const auto& c : lengths) {
        int32_t v = 0;
        EXPECT_EQ(ParseLength(c.word, c.unit, v), c.ok) << c.word;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.word;
        }
    }
    int32_t a = 0;
    EXPECT_TRUE(ParseAngle("22.5", a));
    EXPECT_EQ(a, 22500);
    EXPECT_TRUE(ParseAngle("-360", a));
    EXPECT_EQ(a, -360000);
    EXPECT_FALSE(ParseAngle("361", a));
    EXPECT_FALSE(ParseAngle("90deg", a));
    int32_t n = 0;
    EXPECT_TRUE(ParseInteger("-2147483648", n));
    EXPECT_FALSE(ParseInteger("2147483648", n));
    EXPECT_FALSE(ParseInteger("+-1", n));
    EXPECT_FALSE(ParseInteger("1.0", n));
}

TEST(SourceLexer, TokensCommentsAndQuotes)
{
    std::vector<SourceLine> lines;
    std::string error;
    ASSERT_TRUE(Tokenize("a \"b # c\" (1 2)# comment\n\n  # only a comment\r\nx\\y \"q\\\"\\\\\"", "f", lines, error))
        << error;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].pos.line, 1);
    ASSERT_EQ(lines[0].tokens.size(), 6u);
    EXPECT_EQ(lines[0].tokens[1].text, "b # c");
    EXPECT_EQ(lines[0].tokens[1].kind, Token::Kind::String);
    EXPECT_EQ(lines[0].tokens[2].kind, Token::Kind::Open);
    EXPECT_EQ(lines[0].tokens[5].kind, Token::Kind::Close);
    EXPECT_EQ(lines[1].pos.line, 4);
    EXPECT_EQ(lines[1].tokens[0].text, "x\\y");
    EXPECT_EQ(lines[1].tokens[1].text, "q\"\\");
}

TEST(SourceReader, SymbolItemsEntriesAndPads)
{
    const Source src = ReadOk(R"(
unit 0.1in
symbol S schematic
  entry IN at -3 0 number 0.4 0.1 90 swap 2
  entry OUT at 3 0
  line -3 0 -1 0 0 1 width 10mil   # two segments
  rect -1 -1 2 2 angle 45 filled
  arc 0 0 1 90 -180 style 2
  triangle 0 0 1 0 0 1
  text "A b" at 0 1.5 size 0.12in angle 90 role reference
  text hidden at 0 0 hidden role hierarchy link 4
end
symbol P layout
  padstack 1 square 60mil hole 30mil
  padstack 2 round 50mil layers 1 3 5
  pad 1 at 0 0 stack 1
  pad 2 at 1 0 stack 2
end
)");
    ASSERT_EQ(src.library.symbols.size(), 2u);
    const SymbolDef& s = *src.library.FindSymbol("S");
    EXPECT_FALSE(s.layout);
    ASSERT_EQ(s.entries.size(), 2u);
    EXPECT_EQ(s.entries[0].x, -762000);
    EXPECT_EQ(s.entries[0].flags, 2);
    EXPECT_EQ(s.entries[0].keyOrTextX, 101600);
    EXPECT_EQ(s.entries[0].textY, 25400);
    EXPECT_EQ(s.entries[0].textAngle, 90000);
    EXPECT_EQ(s.entries[0].swapLevel, 2);
    EXPECT_EQ(s.entries[1].flags, 0);
    EXPECT_EQ(s.entries[1].swapLevel, -1);
    ASSERT_EQ(s.items.size(), 7u);
    EXPECT_EQ(s.items[0].kind, kItemLine);
    EXPECT_EQ(s.items[1].x, -254000);
    EXPECT_EQ(s.items[1].p1, 254000);
    EXPECT_EQ(s.items[1].p2, 254000);
    EXPECT_EQ(s.items[1].width, 25400);
    EXPECT_EQ(s.items[2].style, 16);
    EXPECT_EQ(s.items[2].angle, 45000);
    EXPECT_EQ(s.items[3].p2, 90000);
    EXPECT_EQ(s.items[3].p3, -180000);
    EXPECT_EQ(s.items[3].style, 2);
    EXPECT_EQ(s.items[4].p3, 0);
    EXPECT_EQ(s.items[4].p4, 254000);
    const ItemDef& text = s.items[5];
    EXPECT_EQ(text.text, "A b");
    EXPECT_EQ(text.flags, 3);
    // The kernel keeps a sixth of the drawn height; the width is two thirds.
    EXPECT_EQ(text.p1, 50800);
    EXPECT_EQ(text.p2, 33867);
    EXPECT_EQ(text.angle, 90000);
    EXPECT_EQ(s.items[6].p1, 0);
    EXPECT_EQ(s.items[6].flags, 33);
    EXPECT_EQ(s.items[6].link, 4);

    const SymbolDef& p = *src.library.FindSymbol("P");
    EXPECT_TRUE(p.layout);
    ASSERT_EQ(p.padStacks.size(), 2u);
    ASSERT_EQ(p.padStacks[0].pads.size(), 2u);  // a hole: both outer layers
    EXPECT_EQ(p.padStacks[0].hole, 76200);
    EXPECT_EQ(p.padStacks[0].pads[0].kind, kItemRectangle);
    EXPECT_EQ(p.padStacks[0].pads[0].x, -76200);
    EXPECT_EQ(p.padStacks[0].pads[0].p1, 152400);
    EXPECT_EQ(p.padStacks[0].pads[1].layer, 98);
    ASSERT_EQ(p.padStacks[1].pads.size(), 3u);
    EXPECT_EQ(p.padStacks[1].pads[0].kind, kItemCircle);
    EXPECT_EQ(p.padStacks[1].pads[0].p1, 63500);
    EXPECT_EQ(p.padStacks[1].pads[2].layer, 101);
    EXPECT_EQ(p.entries[1].keyOrTextX, 2);
}

TEST(SourceReader, DevicePackageTextAndGates)
{
    const Source src = ReadOk(R"(
symbol G schematic
  entry A at 0 0
  entry Y at 254000 0
  line 0 0 254000 0
end
symbol PK layout
  padstack 1 round 100000
  pad 1 at 0 0 stack 1
  pad 2 at 254000 0 stack 1
  pad 3 at 508000 0 stack 1
end
device DEV
  prefix IC
  package PK
  field "10k"
  field "1%"
  gate first G
    pin 1 A
    pin 2 Y
  supply 3 SPLVCC
end
)");
    const DeviceDef& d = *src.library.FindDevice("DEV");
    EXPECT_EQ(d.PackageText(), std::string("PK 10k\x80" "1%"));
    EXPECT_EQ(d.FindGroup("first"), 1);
    EXPECT_EQ(d.FindGroup("1"), 1);
    EXPECT_EQ(d.FindGroup("2"), 0);
    ASSERT_EQ(d.supply.size(), 1u);
    EXPECT_EQ(d.supply[0].name, "SPLVCC");
    EXPECT_EQ(src.ownDevices, std::vector<std::string>{"DEV"});
}

TEST(SourceReader, IncludesAreRelativeAndReadOnce)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string base = dir.path().toStdString();
    std::filesystem::create_directories(base + "/sub");
    std::ofstream(base + "/sub/a.nls") << "symbol A schematic\n  line 0 0 1 1\nend\n";
    std::ofstream(base + "/sub/b.nls") << "include a.nls\nsymbol B schematic\n  line 0 0 1 1\nend\n";
    std::ofstream(base + "/top.nls") << "include sub/b.nls\ninclude \"sub/a.nls\"\nsymbol T schematic\n  line 0 0 1 1\nend\n";
    Source src;
    std::string error;
    ASSERT_TRUE(ReadSourceFile(base + "/top.nls", src, error)) << error;
    EXPECT_EQ(src.library.symbols.size(), 3u);
    EXPECT_EQ(src.ownSymbols, std::vector<std::string>{"T"});

    ASSERT_TRUE(ReadSourceText("include sub/a.nls\n", "t", base, src, error)) << error;
    EXPECT_NE(src.library.FindSymbol("A"), nullptr);
    EXPECT_TRUE(src.ownSymbols.empty());

    std::ofstream(base + "/bad.nls") << "symbol A schematic\n  line 0 0 1 1\nend\n\nsymbol A schematic\n  line 0 0 1 1\nend\n";
    EXPECT_FALSE(ReadSourceText("include bad.nls\n", "t", base, src, error));
    EXPECT_EQ(error, base + "/bad.nls:5: symbol 'A' is already defined at " + base + "/bad.nls:1");
    // The failed read left the earlier result alone.
    EXPECT_NE(src.library.FindSymbol("A"), nullptr);
}

TEST(SourceReader, PageFrameIsCentredAsTheFormatDialogDoes)
{
    const Source src = ReadOk("design D\nlevel L\npage P frame 11in 8.5in\nend\n");
    ASSERT_TRUE(src.design);
    const PageDef& page = src.design->levels[0].pages[0];
    ASSERT_TRUE(page.frame);
    const std::vector<std::pair<int32_t, int32_t>> corners = {
        {-13970000, -10795000}, {13970000, -10795000}, {13970000, 10795000}, {-13970000, 10795000}};
    EXPECT_EQ(*page.frame, corners);
    // An odd size: the lower left corner lands on a multiple of 1000.
    const Source odd = ReadOk("design D\nlevel L\npage P frame 3001u 1999u\nend\n");
    EXPECT_EQ(odd.design->levels[0].pages[0].frame->front(), std::make_pair(-2000, -1000));
}

TEST(SourceReader, BadSourcesAreRefusedWithLineAndReason)
{
    const std::string lib = "symbol G schematic\n  entry 1 at 0 0\n  entry 2 at 1 0\n  line 0 0 1 0\nend\n"
                            "symbol PK layout\n  padstack 1 round 10\n  pad 1 at 0 0 stack 1\n  pad 2 at 1 0 stack 1\nend\n";
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"frobnicate 1\n", "t:1: unknown statement 'frobnicate' (expected unit, include, symbol, device, design, level, page, net or bus)"},
        {"\n\n\"x\"\n", "t:3: a statement starts with a keyword, not 'x'"},
        {"symbol A schematic\n  entry 1 at 0 0\n", "t:1: symbol 'A' is not closed with 'end'"},
        {"unit 0.1in\nsymbol A schematic\n  line 0 0 1x 2\nend\n",
         "t:3: line: x '1x' is not a length (a number with an optional unit in, mil, mm or u, within 220,000,000 units)"},
        {"symbol \"A schematic\n", "t:1: quoted text is not closed on its line"},
        {"text \"a\\b\"\n", "t:1: in a quoted text a backslash must be followed by \" or \\"},
        {"end\n", "t:1: end: no symbol, device or page is open"},
        {"symbol A round\n", "t:1: symbol: kind must be 'schematic' or 'layout', not 'round'"},
        {"symbol A\n", "t:1: symbol: symbol kind (schematic or layout) is missing"},
        {"symbol A schematic extra\n", "t:1: symbol: unexpected 'extra' at the end of the line"},
        {"symbol P layout\n  entry 1 at 0 0\nend\n", "t:2: entry: a layout symbol has pads ('pad'), not entries"},
        {"symbol P schematic\n  pad 1 at 0 0 stack 1\nend\n", "t:2: pad: a schematic symbol has entries ('entry'), not pads"},
        {"symbol P layout\n  pad 1 at 0 0 stack 3\nend\n", "t:2: pad '1': pad stack 3 is not defined in symbol 'P'"},
        {"symbol P layout\n  padstack 1 round 10 hole 10\nend\n", "t:2: padstack: the hole must be smaller than the pad"},
        {"symbol P layout\n  padstack 1 oval 10\nend\n", "t:2: padstack: shape must be 'round' or 'square', not 'oval'"},
        {"symbol P layout\n  padstack 1 round 10 layers 1 31\nend\n", "t:2: padstack: layer '31' is not a whole number from 1 to 30"},
        {"symbol A schematic\n  entry 1 at 0 0\n  entry 1 at 1 0\nend\n",
         "t:3: entry: '1' is already an entry of symbol 'A' (line 2)"},
        {"symbol A schematic\n  entry 1 at 0 0\n  entry 2\nend\n", "t:3: entry: 'at' is missing"},
        {"symbol A schematic\nend\n", "t:1: symbol 'A' has neither drawing items nor entries"},
        {"symbol A schematic\n  line 0 0 1 1 colour 3\nend\n",
         "t:2: line: unexpected 'colour' (options here: flags, layer, link, style, width)"},
        {"symbol A schematic\n  line 0 0\nend\n", "t:2: line: at least two points (x y x y) are needed"},
        {"symbol A schematic\n  line 0 0 0 0\nend\n", "t:2: line: two consecutive points are the same"},
        {"symbol A schematic\n  line 0 0 300000000 0\nend\n",
         "t:2: line: x '300000000' is not a length (a number with an optional unit in, mil, mm or u, within 220,000,000 units)"},
        {"symbol A schematic\n  line -200000000 0 200000000 0\nend\n", "t:2: line: the item spans more than 220,000,000 units"},
        {"symbol A schematic\n  rect 0 0 0 5\nend\n", "t:2: rect: width and height must not be 0"},
        {"symbol A schematic\n  circle 0 0 -5\nend\n", "t:2: circle: radius must be above 0"},
        {"symbol A schematic\n  arc 0 0 5 0 0\nend\n", "t:2: arc: sweep must not be 0"},
        {"symbol A schematic\n  arc 0 0 5 400 10\nend\n", "t:2: arc: start angle '400' is not an angle in degrees (-360 to 360)"},
        {"symbol A schematic\n  triangle 0 0 1 1 2 2\nend\n", "t:2: triangle: the three corners lie on one line"},
        {"symbol A schematic\n  text \"\" at 0 0\nend\n", "t:2: text: the text must not be empty"},
        {"symbol A schematic\n  text \"" + std::string(256, 'x') + "\" at 0 0\nend\n",
         "t:2: text: the text is longer than 255 characters"},
        {"symbol A schematic\n  text a at 0 0 size 2u\nend\n", "t:2: text: the text size is too small (at least 6 units)"},
        {"symbol A schematic\n  text a at 0 0 role value\nend\n",
         "t:2: text: role must be reference, description, gate, pinnumber or hierarchy, not 'value'"},
        {"symbol A schematic\n  line 0 0 1 1 style 5\nend\n", "t:2: line: style '5' is not a whole number from 0 to 4"},
        {"symbol " + std::string(256, 'n') + " schematic\n", "t:1: symbol: symbol name is longer than 255 characters"},
        {"unit 0in\n", "t:1: unit: '0in' is not a length above 0 (for example 0.1in, 1mil, 1mm)"},
        {"include \"nope.nls\"\n", "t:1: include: '/nonexistent/nope.nls' cannot be opened"},
        {lib + "symbol G schematic\n  line 0 0 1 1\nend\n", "t:11: symbol 'G' is already defined at t:1"},
        {lib + "device D\n  package PK\n  gate A G\n    pin 1 1\n    pin 2 2\nend\n", "t:16: end: device 'D' has no 'prefix'"},
        {lib + "device D\n  prefix ABCDEFGHI\nend\n", "t:12: prefix: at most 8 characters"},
        {lib + "device D\n  prefix U\n  package PK\nend\n", "t:14: end: device 'D' has no 'gate'"},
        {lib + "device D\n  prefix U\n  package X\n  gate A G\n    pin 1 1\n    pin 2 2\nend\n",
         "t:11: device 'D': package 'X' is not defined"},
        {lib + "device D\n  prefix U\n  package G\n  gate A G\n    pin 1 1\n    pin 2 2\nend\n",
         "t:11: device 'D': package 'G' is a schematic symbol, not a layout symbol"},
        {lib + "device D\n  prefix U\n  package PK\n  gate A G\n    pin 1 1\n    pin 2 Q\nend\n",
         "t:16: pin 2: symbol 'G' has no entry 'Q'"},
        {lib + "device D\n  prefix U\n  package PK\n  gate A G\n    pin 1 1\nend\n",
         "t:14: gate 'A' of device 'D': entry '2' of symbol 'G' has no pin"},
        {lib + "device D\n  prefix U\n  package PK\n  gate A G\n    pin 1 1\n    pin 1 2\nend\n",
         "t:16: pin: pin number 1 is already used (line 15)"},
        {lib + "device D\n  prefix U\n  package PK\n  gate A G\n    pin 1 1\n    pin 3 1\nend\n",
         "t:16: pin: entry '1' already has pin 1 in gate 'A'"},
        {lib + "device D\n  prefix U\n  package PK\n  gate A G\n    pin 1 1\n    pin 3 2\nend\n",
         "t:16: device 'D': package 'PK' has no pad 3"},
        {lib + "device D\n  prefix U\n  package PK\n  gate A G\n    pin 1 1\n    pin 2 2\n  supply 2 SPLVCC\nend\n",
         "t:17: supply: pin number 2 is already used (line 16)"},
        {lib + "device D\n  prefix U\n  package PK\n  gate A NONE\n    pin 1 1\nend\n",
         "t:14: gate 'A': symbol 'NONE' is not defined"},
        {lib + "device D\n  pin 1 1\nend\n", "t:12: pin: no 'gate' before it"},
        {lib + "device D\n  colour red\nend\n",
         "t:12: unknown statement 'colour' in device 'D' (expected prefix, package, field, gate, pin, supply or end)"},
        {"level L\n", "t:1: level: no 'design' statement before it"},
        {"design D\npage P\nend\n", "t:2: page: no 'level' statement before it"},
        {"design D\ndesign E\n", "t:2: design: the source already has a design (line 1)"},
        {"design D\nlevel L\nlevel L\n", "t:3: level: 'L' is already defined (line 2)"},
        {"design D\nlevel L\npage P\nend\npage P\nend\n", "t:5: page: 'P' is already a page of level 'L' (line 3)"},
        {"design D\nlevel L\npage P frame 0 5\nend\n", "t:3: page: frame width must be above 0"},
        {"design D\nlevel L\npage P\n  component R1 R\nend\n", "t:4: component: the position ('at x y') is missing"},
        {"design D\nlevel L\npage P\n  component R.1 R at 0 0\nend\n", "t:4: component: the name must not contain '.' or '/'"},
        {"design D\nlevel L\npage P\n  component P1 symbol S at 0 0 gate A\nend\n",
         "t:4: component: unexpected 'gate' (options here: angle, at, child, mirror)"},
        {"design D\nlevel L\npage P\n  component R1 R at 0 0 child L\nend\n",
         "t:4: component: unexpected 'child' (options here: angle, at, gate, mirror, value)"},
        {"design D\nlevel L\npage P\n  wire N R1.1 10 20\nend\n",
         "t:4: wire: '10' is neither a pin nor a junction (a position is written ( x y ))"},
        {"design D\nlevel L\npage P\n  wire N R1.1 ( 10 20\nend\n", "t:4: wire: ')' is missing"},
        {"design D\nlevel L\npage P\n  wire N R1.1\nend\n", "t:4: wire: a wire needs at least two points"},
        {"design D\nlevel L\npage P\n  buswire B R1.1 (0 0)\nend\n",
         "t:4: buswire: a bus wire joins positions and junctions, not pins ('R1.1')"},
        {"design D\nlevel L\npage P\n  junction 5 at 0 0\nend\n", "t:4: junction: the name must not contain '.' nor start like a number"},
        {"design D\nlevel L\nnet N R1\n", "t:3: net: 'R1' is not a pin (write component.pin, for example R1.2)"},
        {"design D\nlevel L\npage P\n  entry 1 at 0 0\nend\n",
         "t:4: unknown statement 'entry' in page 'P' (expected component, junction, wire, buswire, net, bus, text, line, rect, circle, arc, triangle or end)"},
    };
    for (const auto& c : cases) {
        Source src;
        std::string error;
        EXPECT_FALSE(Read(c.text, src, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

}  // namespace
