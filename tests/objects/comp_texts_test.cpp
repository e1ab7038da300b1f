// A component's information record and its texts: the name, reference,
// description, gate and pin texts under the packaging preferences, and the
// replacement and write-back of single texts.
#include "editor/objects/comp_texts.h"
#include "editor/shell/prefs.h"
#include "tests/objects/comp_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

namespace {

using namespace palvane_test;

void SetPrefs(CheckedArray<int32_t>& prefs, std::initializer_list<int32_t> values)
{
    long i = 1;
    for (int32_t v : values) prefs(i++) = v;
}

class CompTexts : public CompTest {
protected:
    void SetUp() override
    {
        CompTest::SetUp();
        SetPrefs(g_PrefCompName, {1, 0, 1, 0});
        SetPrefs(g_PrefPinOut, {1, 1, 0, 1, 0, 0});
        SetPrefs(g_PrefDescription, {1, 0, 1, 0, 1, 0, 0, 0, 1, 1});
    }
    static CompInfoRec InfoOf(const char* name)
    {
        const int32_t id = Comp(name);
        CompInfoRec info;
        FillCompInfo(id, Read(id), info);
        return info;
    }
    static std::vector<std::string> Strings(const std::vector<Text>& texts)
    {
        std::vector<std::string> s;
        for (const Text& t : texts) s.push_back(t.text);
        std::sort(s.begin(), s.end());
        return s;
    }
    using Strs = std::vector<std::string>;
};

TEST_F(CompTexts, FillCompInfoDescribesTheComponent)
{
    const CompInfoRec u1 = InfoOf("U1/1");
    EXPECT_EQ(u1.Id, Comp("U1/1"));
    EXPECT_EQ(u1.Name, "U1/1           ");
    EXPECT_EQ(Trim(u1.SymbName), "NAND2");
    EXPECT_EQ(Trim(u1.DeviceName), "74HC00");
    EXPECT_EQ(Trim(u1.GateText), "74HC00,A");
    EXPECT_EQ(u1.GateText.size(), 30u);
    EXPECT_EQ(u1.LayComp, LayComp("U1"));
    EXPECT_EQ(u1.Group, 1);
    const CompInfoRec v1 = InfoOf("V1");
    EXPECT_EQ(v1.Device, 0);
    EXPECT_EQ(Trim(v1.DeviceName), "none");
    EXPECT_EQ(Trim(v1.SymbName), "SPLVCC");
}

TEST_F(CompTexts, ApplyCompInfoFollowsThePreferences)
{
    struct Case {
        const char* what;
        std::initializer_list<int32_t> compName, pinOut, description;
        const char* name;  // typed into the record
        int32_t group;
        const char* newName;
        Strs refs, descs, gates, pins;
    } cases[] = {
        {"everything, pins by package name", {1, 0, 1, 0}, {1, 1, 0, 1, 0, 0}, {1, 0, 1, 0, 1, 0, 0, 0, 1, 1},
         "IC3 quad nand", 4, "IC3/4", {"IC3"}, {"74HC00,D"}, {"D"}, {"11", "12", "13"}},
        {"pins by pin name", {1, 0, 1, 0}, {1, 1, 0, 1, 0, 1}, {1, 0, 1, 0, 1, 0, 0, 0, 1, 1}, "IC3", 2, "IC3/2",
         {"IC3"}, {"74HC00,B"}, {"B"}, {"A", "B", "Y"}},
        {"pins as flagged numbers", {1, 0, 1, 0}, {0, 0, 0, 0, 0, 0}, {1, 0, 1, 0, 1, 0, 0, 0, 0, 0}, "IC3", 3,
         "IC3/3", {"IC3"}, {"74HC00"}, {}, {"10", "8", "9"}},
        {"reference off", {0, 0, 0, 0}, {1, 1, 0, 1, 0, 0}, {1, 0, 1, 0, 1, 0, 0, 0, 1, 1}, "IC4", 1, "IC4/1", {},
         {"74HC00,A"}, {"A"}, {"1", "2", "3"}},
        {"description off", {1, 0, 1, 0}, {1, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 1, 0, 0, 0, 1, 1}, "IC5", 1, "IC5/1",
         {"IC5"}, {}, {}, {}},
        {"description with no part", {1, 0, 1, 0}, {1, 0, 0, 0, 0, 0}, {1, 0, 1, 0, 0, 0, 0, 0, 0, 0}, "IC6", 1,
         "IC6/1", {"IC6"}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(BuildDesign(kQuadNand));
        SetPrefs(g_PrefCompName, c.compName);
        SetPrefs(g_PrefPinOut, c.pinOut);
        SetPrefs(g_PrefDescription, c.description);
        const int32_t u1 = Comp("U1/1");
        CompInfoRec rec = InfoOf("U1/1");
        rec.Name = FixedText(c.name, 15);
        rec.Group = c.group;
        int32_t status = 0;
        ApplyCompInfo(status, rec);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(Name(u1), c.newName);
        EXPECT_EQ(Strings(TextsWith(u1, 2)), c.refs);
        EXPECT_EQ(Strings(TextsWith(u1, 4)), c.descs);
        EXPECT_EQ(Strings(TextsWith(u1, 8)), c.gates);
        EXPECT_EQ(Strings(TextsWith(u1, 16)), c.pins);
        for (const Text& t : TextsWith(u1, 16)) EXPECT_EQ(t.flags & 0xFF, 144);
    }
}

TEST_F(CompTexts, ApplyCompInfoTwiceKeepsOneTextOfEachKind)
{
    const int32_t u1 = Comp("U1/1");
    CompInfoRec rec = InfoOf("U1/1");
    int32_t status = 0;
    ApplyCompInfo(status, rec);
    const size_t count = Texts(u1).size();
    ApplyCompInfo(status, rec);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Texts(u1).size(), count);
    EXPECT_EQ(TextsWith(u1, 2).size(), 1u);
    EXPECT_EQ(TextsWith(u1, 16).size(), 3u);
}

TEST_F(CompTexts, APinWithoutEntryIsReportedAndTheOthersGoOn)
{
    // A symbol without entry B: gate A's pin 2 has nowhere to stand.
    const int32_t symbol = S_CreateSymbol(0, "NAND2X");
    S_AddEntry(symbol, "A", -3 * kTenth, kTenth, 2, 0, 0, 0);
    S_AddEntry(symbol, "Y", 3 * kTenth, 0, 2, 0, 0, 0);
    const int32_t u1 = Comp("U1/1");
    ASSERT_NE(C_ChangeCompSymbol(u1, symbol), 0);
    CompInfoRec rec = InfoOf("U1/1");
    rec.Name = FixedText("U1", 15);
    ui.ExpectMessageBox(winsys::mb::AnswerOk, "Can't find entry in Symbol/Package: NAND2X/B");
    int32_t status = 0;
    ApplyCompInfo(status, rec);
    EXPECT_EQ(status, 0);
    // Entries A (1) and Y (2) of the new symbol carry pins 1 and 3.
    auto pinText = [&](int32_t link) {
        Strs found;
        for (const Text& t : TextsWith(u1, 16))
            if (t.link == link) found.push_back(t.text);
        return found;
    };
    EXPECT_EQ(pinText(1), Strs{"1"});
    EXPECT_EQ(pinText(2), Strs{"3"});
}

TEST_F(CompTexts, APinTextOffsetBeyondTheCoordinateSpaceMakesNoText)
{
    // A symbol entry's text offsets are not bounded like positions: one near
    // the 32-bit limits would put the pin text beyond the coordinate space.
    // That text is not made (status 1), the other pins' texts are.
    struct Case {
        const char* symbol;
        int32_t textX, textY;
    } cases[] = {
        {"FARRIGHT", INT32_MAX, 0},
        {"FARLEFT", INT32_MIN, 0},
        {"FARUP", 0, INT32_MAX},
        {"FARDOWN", 0, INT32_MIN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.symbol);
        const int32_t symbol = S_CreateSymbol(0, c.symbol);
        ASSERT_NE(S_AddEntry(symbol, "A", -3 * kTenth, kTenth, 2, c.textX, c.textY, 0), 0);
        ASSERT_NE(S_AddEntry(symbol, "B", -3 * kTenth, -kTenth, 2, 0, 0, 0), 0);
        ASSERT_NE(S_AddEntry(symbol, "Y", 3 * kTenth, 0, 2, 0, 0, 0), 0);
        const int32_t u1 = Comp("U1/1");
        ASSERT_NE(C_ChangeCompSymbol(u1, symbol), 0);
        // An old pin-1 text would stay, as its replacement cannot be made.
        while (const int32_t old = IA_SearchMaskLink(C_CompTextArray(u1), 1, 16, 1)) OA_Delete(C_CompTextArray(u1), old);
        CompInfoRec rec = InfoOf("U1/1");
        rec.Name = FixedText("U1", 15);
        int32_t status = 0;
        ApplyCompInfo(status, rec);
        EXPECT_EQ(status, 1);
        Strs links;
        for (const Text& t : TextsWith(u1, 16)) links.push_back(std::to_string(t.link) + ":" + t.text);
        std::sort(links.begin(), links.end());
        EXPECT_EQ(links, (Strs{"2:2", "3:3"}));
    }
}

TEST_F(CompTexts, AGateTheDeviceLacksIsReportedAfterTheNameTexts)
{
    const int32_t u1 = Comp("U1/1");
    CompInfoRec rec = InfoOf("U1/1");
    rec.Name = FixedText("U1", 15);
    rec.Group = 9;
    ui.ExpectMessageBox(winsys::mb::AnswerOk, "Can't read group in Part: 74HC00/74HC00,A");
    int32_t status = 0;
    ApplyCompInfo(status, rec);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(Name(u1), "U1/9");
    EXPECT_EQ(Strings(TextsWith(u1, 2)), Strs{"U1"});
}

TEST_F(CompTexts, ANameTheComponentCannotTakeChangesNothing)
{
    const int32_t u1 = Comp("U1/1");
    const std::vector<Text> before = Texts(u1);
    struct Case {
        const char* what;
        std::string name;
        int32_t group;
        const char* message;
    } cases[] = {
        {"another component's name", "U1", 2, "Component: U1/2 already exists"},
        {"longer than the kernel takes", std::string(300, 'N'), 1, "Component: NNN"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CompInfoRec rec = InfoOf("U1/1");
        rec.Name = c.name;
        rec.Group = c.group;
        ui.ExpectMessageBox(winsys::mb::AnswerOk, c.message);
        int32_t status = 0;
        ApplyCompInfo(status, rec);
        EXPECT_EQ(status, 1);
        EXPECT_EQ(Name(u1), "U1/1");
        EXPECT_EQ(Texts(u1).size(), before.size());
    }
}

TEST_F(CompTexts, AnOldTextStaysWhenItsReplacementCannotBeMade)
{
    // A gate whose name makes the description longer than a text may be:
    // the description cannot be made, so the old one stays.
    const int32_t u1 = Comp("U1/1");
    int32_t status = 0;
    ApplyCompInfo(status, InfoOf("U1/1"));
    ASSERT_EQ(Strings(TextsWith(u1, 4)), Strs{"74HC00,A"});
    const int32_t device = D_CreateDevice(0, "LONGDEV", "DIP14");
    ASSERT_NE(device, 0);
    ASSERT_EQ(D_AddGroup(device, std::string(250, 'g').c_str(), "NAND2"), 1);
    D_AddPin(device, 1, 1, "A");
    D_AddPin(device, 1, 2, "B");
    D_AddPin(device, 1, 3, "Y");
    CompInfoRec rec = InfoOf("U1/1");
    rec.Name = FixedText("U1", 15);
    rec.Device = device;
    rec.DeviceName = FixedText("LONGDEV", 15);
    status = 0;
    ApplyCompInfo(status, rec);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(Strings(TextsWith(u1, 4)), Strs{"74HC00,A"});
    EXPECT_EQ(Strings(TextsWith(u1, 2)), Strs{"U1"});
}

TEST_F(CompTexts, RefreshCompTextsKeepsTheNameBeforeTheSlash)
{
    const int32_t u2 = Comp("U1/2");
    RefreshCompTexts(u2, Read(u2));
    EXPECT_EQ(Name(u2), "U1/2");
    EXPECT_EQ(Trim(g_CompInfo.Name), "U1");
    EXPECT_EQ(Strings(TextsWith(u2, 2)), Strs{"U1"});
    EXPECT_EQ(Strings(TextsWith(u2, 16)), (Strs{"4", "5", "6"}));
}

TEST_F(CompTexts, RemakeCompTextReplacesOneText)
{
    const int32_t u1 = Comp("U1/1");
    const size_t count = Texts(u1).size();
    ASSERT_GT(count, 0u);
    ItemRec rec = Texts(u1).front().rec;
    rec.X += kTenth;
    rec.Link = 42;
    int32_t index = 1;
    RemakeCompText(u1, index, rec, "NEW");
    EXPECT_EQ(index, static_cast<int32_t>(count));
    const std::vector<Text> after = Texts(u1);
    ASSERT_EQ(after.size(), count);
    EXPECT_EQ(after.back().text, "NEW");
    EXPECT_EQ(after.back().link, 42);
    EXPECT_EQ(after.back().rec.X, rec.X);
    int32_t missing = 99;
    RemakeCompText(u1, missing, rec, "X");
    EXPECT_EQ(missing, 99);
    EXPECT_EQ(Texts(u1).size(), count);
}

TEST_F(CompTexts, WriteCompTextWritesPlaceSizeAndLook)
{
    const int32_t u1 = Comp("U1/1");
    g_CompText = Texts(u1).front().rec;
    g_CompText.X += 2 * kTenth;
    g_CompText.P1 = 1234;
    g_CompText.Layer = 40;
    WriteCompText(u1, 1);
    const ItemRec now = Texts(u1).front().rec;
    EXPECT_EQ(now.X, g_CompText.X);
    EXPECT_EQ(now.P1, 1234);
    EXPECT_EQ(now.Layer, 40);
}

}  // namespace
