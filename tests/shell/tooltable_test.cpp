// The tool table and the menu profile: the profile's grammar, a line that
// cannot be applied named with its file and line, an unreadable profile
// stopping the start-up, the shipped profile with every function and option
// the mode handlers use, and the button pictures it addresses.
#include "editor/shell/clspalvane.h"
#include "editor/shell/controls.h"
#include "editor/shell/forms.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "fuzz/menu/menu_fuzz.h"
#include "tests/support/editor_fixture.h"
#include "tests/support/kernel_fixture.h"
#include "tests/support/screenshot.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr const char* kCantRead = "Can't read file: ";
constexpr const char* kCantReadProfile = "Cant Read Menu Profile";

void WriteText(const QString& path, const std::string& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content.data(), static_cast<qint64>(content.size()));
}

// ---- Grammar ------------------------------------------------------------------

class MenuProfile : public palvane_test::ScriptedTest {
protected:
    void SetUp() override
    {
        ScriptedTest::SetUp();
        g_ProgDir = dir.path().toStdString();
        ClearToolTable();
    }

    QTemporaryDir dir;
};

enum class Outcome { Read, LineFails, FileFails };

TEST_F(MenuProfile, GrammarOfEveryLineKind)
{
    const struct {
        const char* name;
        std::string profile;
        Outcome outcome;
        std::function<void()> check;
    } cases[] = {
        {"only ENDMENU", "ENDMENU\r\n", Outcome::Read,
         [] {
             for (int m = 0; m < kModeCount; ++m) {
                 EXPECT_EQ(ModeTools(m).PicBase, 0);
                 EXPECT_EQ(ModeTools(m).ModeHelp, "");
                 for (const ToolFuncRec& f : ModeTools(m).Funcs) {
                     EXPECT_EQ(f.Avail, 0);
                     EXPECT_EQ(f.Shortcut, "  ");
                     for (const ToolOptRec& o : f.Opts) EXPECT_EQ(o.Avail, 0);
                 }
             }
         }},
        {"lines after ENDMENU are never read", "ENDMENU\nFSI,99,x\nFSI,1,5,0,late\n", Outcome::Read,
         [] { EXPECT_EQ(ModeTools(1).ModeHelp, ""); }},
        {"other first fields are comments", "fsi,1,0,0,x\n# FSI,1,3,0,y\n\n ENDMENU\nENDMENU,ignored,fields\n",
         Outcome::Read, [] { EXPECT_EQ(ModeTools(1).ModeHelp, ""); }},
        {"FSI", "FSI,4,44,2,Nets: click a pin\nENDMENU\n", Outcome::Read,
         [] {
             EXPECT_EQ(ModeTools(4).PicBase, 44);
             EXPECT_EQ(ModeTools(4).SelFunc, 2);
             EXPECT_EQ(ModeTools(4).ModeHelp, "Nets: click a pin");
         }},
        {"FSIKEY with eleven fields", "FSIKEY,2,3,0,1,0,5,0,Draw wire,DW,1\nENDMENU\n", Outcome::Read,
         [] {
             const ToolFuncRec& f = ModeTools(2).Funcs[3];
             EXPECT_EQ(f.Avail, 1);
             EXPECT_EQ(f.OptPicBase, 5);
             EXPECT_EQ(f.Help, "Draw wire");
             EXPECT_EQ(f.Shortcut, "DW");
             EXPECT_EQ(f.AnyMode, 1);
         }},
        {"FSIKEY with ten fields", "FSIKEY,2,3,0,1,0,5,0,Draw wire,DW\nENDMENU\n", Outcome::Read,
         [] {
             EXPECT_EQ(ModeTools(2).Funcs[3].Help, "Draw wire");
             EXPECT_EQ(ModeTools(2).Funcs[3].Shortcut, "  ");
             EXPECT_EQ(ModeTools(2).Funcs[3].AnyMode, 0);
         }},
        {"FSIKEY with twelve fields", "FSIKEY,2,3,0,1,0,5,0,Draw, wire,DW,1\nENDMENU\n", Outcome::Read,
         [] {
             EXPECT_EQ(ModeTools(2).Funcs[3].Help, "Draw") << "a help text ends at its comma";
             EXPECT_EQ(ModeTools(2).Funcs[3].Shortcut, "  ");
         }},
        {"shortcut cut and padded", "FSIKEY,1,0,0,1,0,0,0,h,ABC,0\nFSIKEY,1,1,0,1,0,0,0,h,A,0\nENDMENU\n",
         Outcome::Read,
         [] {
             EXPECT_EQ(ModeTools(1).Funcs[0].Shortcut, "AB");
             EXPECT_EQ(ModeTools(1).Funcs[1].Shortcut, "A ");
         }},
        {"numbers", "FSIKEY,1,0,2.5,3.5, 7,x,-1,h\nENDMENU\n", Outcome::Read,
         [] {
             const ToolFuncRec& f = ModeTools(1).Funcs[0];
             EXPECT_EQ(f.Extra1, 2);
             EXPECT_EQ(f.Avail, 4);
             EXPECT_EQ(f.Pressed, 7);
             EXPECT_EQ(f.OptPicBase, 0);
             EXPECT_EQ(f.Extra2, -1);
         }},
        {"OSTKEY", "OSTKEY,11,10,10,3,1,-1,Esc: give up, or not\r\nENDMENU\r\n", Outcome::Read,
         [] {
             const ToolOptRec& o = ModeTools(11).Funcs[10].Opts[10];
             EXPECT_EQ(o.Group, 3);
             EXPECT_EQ(o.Avail, 1);
             EXPECT_EQ(o.Value, -1);
             EXPECT_EQ(o.Help, "Esc: give up");
         }},
        {"a later line overwrites", "FSI,1,0,0,first\nFSI,1,11,4,second\nENDMENU\n", Outcome::Read,
         [] {
             EXPECT_EQ(ModeTools(1).ModeHelp, "second");
             EXPECT_EQ(ModeTools(1).PicBase, 11);
         }},
        {"option 11", "OSTKEY,1,0,11,0,1,0,x\nENDMENU\n", Outcome::LineFails, [] {}},
        {"mode 12", "FSI,12,0,0,x\nENDMENU\n", Outcome::LineFails, [] {}},
        {"negative mode", "FSIKEY,-1,0,0,1,0,0,0,x\nENDMENU\n", Outcome::LineFails, [] {}},
        {"function 11", "FSIKEY,1,11,0,1,0,0,0,x\nENDMENU\n", Outcome::LineFails, [] {}},
        {"selected function 11", "FSI,1,11,11,x\nENDMENU\n", Outcome::LineFails,
         [] { EXPECT_EQ(ModeTools(1).PicBase, 11) << "fields before the bad one are kept"; }},
        {"negative picture", "FSIKEY,1,0,0,1,0,-11,0,x\nENDMENU\n", Outcome::LineFails,
         [] { EXPECT_EQ(ModeTools(1).Funcs[0].Avail, 1); }},
        {"missing field", "FSI,1,5,0,ok\nFSI,2,7\nENDMENU\n", Outcome::LineFails,
         [] {
             EXPECT_EQ(ModeTools(1).ModeHelp, "ok");
             EXPECT_EQ(ModeTools(2).PicBase, 7);
         }},
        {"OSTKEY without help", "OSTKEY,1,0,0,0,1,0\nENDMENU\n", Outcome::LineFails,
         [] { EXPECT_EQ(ModeTools(1).Funcs[0].Opts[0].Value, 0); }},
        {"number too large", "FSIKEY,1,0,99999999999,1,0,0,0,x\nENDMENU\n", Outcome::LineFails, [] {}},
        // Button i shows cell picture + i: the last button's cell must be a Long.
        {"function picture past a Long", "FSI,1,2147483638,0,x\nENDMENU\n", Outcome::LineFails,
         [] { EXPECT_EQ(ModeTools(1).PicBase, 0); }},
        {"option picture past a Long", "FSIKEY,1,0,0,1,0,2147483640,0,x\nENDMENU\n", Outcome::LineFails,
         [] { EXPECT_EQ(ModeTools(1).Funcs[0].OptPicBase, 0); }},
        {"largest pictures", "FSI,1,2147483637,0,x\nFSIKEY,1,0,0,1,0,2147483637,0,h\nENDMENU\n", Outcome::Read,
         [] {
             EXPECT_EQ(ModeTools(1).PicBase, 2147483637);
             EXPECT_EQ(ModeTools(1).Funcs[0].OptPicBase, 2147483637);
         }},
        {"no ENDMENU", "FSI,1,11,0,applied\n", Outcome::FileFails,
         [] { EXPECT_EQ(ModeTools(1).ModeHelp, "applied") << "every line before the end is applied"; }},
        {"empty file", "", Outcome::FileFails, [] {}},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClearToolTable();
        const std::string name = "P" + std::to_string(++n) + ".MEN";
        WriteText(dir.filePath(QString::fromStdString(name)), c.profile);
        // A file that ends too soon and a line that cannot be applied are
        // both named before the profile's own message.
        if (c.outcome != Outcome::Read) ui.ExpectMessageBox(winsys::mb::AnswerOk, kCantRead);
        if (c.outcome != Outcome::Read) ui.ExpectMessageBox(winsys::mb::AnswerOk, kCantReadProfile);
        EXPECT_EQ(ReadMenuProfile(name), c.outcome == Outcome::Read);
        EXPECT_EQ(ui.pending(), 0u);
        c.check();
    }
}

// The line that cannot be applied is named with the file and its number
// in the file (empty lines and comments counted), and what is wrong with
// it; the profile's own message follows, as after a file that cannot be
// read.
TEST_F(MenuProfile, ALineThatCannotBeAppliedIsNamedWithFileAndLine)
{
    const struct {
        const char* name;
        std::string profile;
        const char* fault;
    } cases[] = {
        {"a number one past a Long", "FSI,1,0,0,x\r\n\r\n# modes\r\nFSI,2,2147483648,0,y\r\nENDMENU\r\n",
         "Line 4: field 3 is too large"},
        {"a number far past a Long", "FSIKEY,1,0,99999999999,1,0,0,0,x\nENDMENU\n", "Line 1: field 4 is too large"},
        {"a mode outside the table", "\nFSI,12,0,0,x\nENDMENU\n", "Line 2: field 2 is out of range"},
        {"an option outside the table", "OSTKEY,1,0,11,0,1,0,x\nENDMENU\n", "Line 1: field 4 is out of range"},
        {"a picture past a Long", "FSIKEY,1,0,0,1,0,2147483640,0,x\nENDMENU\n", "Line 1: field 7 is out of range"},
        {"a missing field", "FSI,1,5,0,ok\nFSI,2,7\nENDMENU\n", "Line 2: field 4 is missing"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClearToolTable();
        const QString path = dir.filePath("L" + QString::number(++n) + ".MEN");
        WriteText(path, c.profile);
        const size_t asked = ui.asked().size();
        ui.ExpectMessageBox(winsys::mb::AnswerOk, kCantRead);
        ui.ExpectMessageBox(winsys::mb::AnswerOk, kCantReadProfile);
        EXPECT_FALSE(ReadMenuProfile(QFileInfo(path).fileName().toStdString()));
        ASSERT_EQ(ui.asked().size(), asked + 2);
        EXPECT_EQ(ui.asked()[asked].text, kCantRead + path.toStdString() + "\r\n" + c.fault);
        EXPECT_EQ(ui.asked()[asked].style & winsys::mb::IconMask, winsys::mb::Exclamation);
        EXPECT_EQ(ui.asked()[asked + 1].text, kCantReadProfile);
    }
}

TEST_F(MenuProfile, MissingFileAndNameMatchedWithoutCase)
{
    ui.ExpectMessageBox(winsys::mb::AnswerOk, kCantRead);
    ui.ExpectMessageBox(winsys::mb::AnswerOk, kCantReadProfile);
    EXPECT_FALSE(ReadMenuProfile("SCHFSI.MEN"));
    ASSERT_EQ(ui.asked().size(), 2u);
    EXPECT_EQ(ui.asked()[1].style & winsys::mb::IconMask, winsys::mb::Critical);

    WriteText(dir.filePath("schfsi.men"), "FSI,3,33,0,notes\nENDMENU\n");
    EXPECT_TRUE(ReadMenuProfile("SCHFSI.MEN"));
    EXPECT_EQ(ModeTools(3).ModeHelp, "notes");
    EXPECT_THROW(ModeTools(12), RuntimeError);
    EXPECT_THROW(ModeTools(-1), RuntimeError);
}

// ---- Start-up with an unreadable profile ---------------------------------------

class UnreadableProfile : public palvane_test::KernelTest {};

TEST_F(UnreadableProfile, StopsTheStartUpAndShutsDownOnce)
{
    const struct {
        const char* name;
        const char* profile;  // null: no profile at all
    } cases[] = {
        {"missing", nullptr},
        {"without ENDMENU", "FSI,1,11,0,Components\n"},
        {"mode out of range", "FSI,12,0,0,x\nENDMENU\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        if (c.profile) WriteText(dir.filePath("SCHFSI.MEN"), c.profile);
        ClearToolTable();
        ui.ExpectMessageBox(winsys::mb::AnswerOk, kCantRead);
        ui.ExpectMessageBox(winsys::mb::AnswerOk, kCantReadProfile);
        std::vector<std::string> sent;
        {
            clsPalvane link;
            link.NotifyServer.Connect([&](std::string& a, std::string& cmd) { sent.push_back(a + "," + cmd); });
            link.SetSeverPath(dir.path().toStdString());
            int16_t mode = winstate::Normal;
            EXPECT_FALSE(link.Load(mode));
            SCHMAIN& main = FormInstance<SCHMAIN>();
            EXPECT_FALSE(main.IsLoaded());
            EXPECT_TRUE(main.ExitAnyWay);
            EXPECT_EQ(sent, std::vector<std::string>{"PALVANE,SHUTDOWN"}) << "the host hears it once";
        }
        EXPECT_EQ(sent.size(), 1u) << "releasing the class sends nothing more";
        EXPECT_EQ(ui.pending(), 0u);
    }
}

// ---- The shipped profile -------------------------------------------------------

using ShippedProfile = palvane_test::EditorTest;

// The functions each mode's click handler and the step engine choose from,
// and the options they read.
const std::map<int, std::map<int, std::set<int>>>& HandlerTools()
{
    static const std::map<int, std::map<int, std::set<int>>> tools = {
        {1, {{0, {0, 10}}, {1, {10}}, {2, {0}}, {3, {}}, {4, {0, 1, 2, 3, 4, 5, 6, 7, 8, 10}}, {5, {}},
             {6, {0, 1}}, {7, {0, 1}}, {8, {0}}, {9, {}}, {10, {0, 1, 2}}}},
        {2, {{0, {0, 1, 2, 3, 7, 8, 10}}, {1, {0, 1, 3, 10}}, {2, {0, 1, 2, 4, 10}}, {3, {0, 1, 10}},
             {4, {0, 1, 2, 3, 7, 8, 10}}, {5, {}}, {6, {0}}, {7, {0, 1, 2, 3, 10}}, {8, {0, 1, 2, 3, 4, 5}}, {9, {}},
             {10, {10}}}},
        {3, {{0, {0, 1, 2, 3, 4, 5, 6, 7, 8}}, {1, {0, 1, 2, 3, 4, 5, 6, 10}}, {2, {0, 1, 10}},
             {3, {0, 1, 2, 3, 6, 7, 8, 10}}, {4, {0, 1, 7, 10}}, {5, {0, 10}}, {6, {0, 2, 4, 5}}, {8, {}}}},
        {4, {{0, {0, 1, 10}}, {1, {10}}, {2, {10}}, {3, {}}, {4, {}}, {5, {}}, {6, {2, 10}}, {8, {0}}, {9, {0}}}},
        {5, {{0, {0, 1, 10}}, {1, {0, 1, 5, 10}}, {2, {10}}, {3, {0, 2, 10}}, {4, {0, 1, 2, 10}}, {5, {10}},
             {6, {10}}, {7, {10}}, {8, {0, 1, 8, 10}}, {9, {10}}, {10, {0, 1, 8, 10}}}},
        {6, {{0, {}}, {1, {}}, {3, {0, 1, 10}}, {4, {0, 1, 2, 10}}, {5, {}}, {6, {10}}}},
        {8, {{0, {0, 10}}, {2, {10}}, {3, {}}}},
        {9, {{0, {2, 3, 4, 5, 10}}, {1, {2, 3, 4, 5, 10}}, {2, {2, 3, 4, 5, 10}}, {3, {2, 3, 4, 5, 10}},
             {4, {2, 3, 4, 5}}, {5, {2, 3, 4, 5}}, {6, {2, 3, 4, 5, 10}}, {7, {2, 3, 4, 5}}, {8, {}}, {9, {}}}},
        {10, {{0, {10}}, {1, {10}}, {2, {}}}},
        {11, {{0, {}}, {1, {0, 1, 2, 3, 4, 10}}, {2, {0, 1, 2}}, {10, {}}}},
    };
    return tools;
}

TEST_F(ShippedProfile, EveryModeHasItsToolsWithHelpShortcutsAndPrompts)
{
    SCHMAIN& main = Main();
    EXPECT_EQ(ModeTools(0).ModeHelp.empty(), false);
    for (const ToolFuncRec& f : ModeTools(0).Funcs) EXPECT_EQ(f.Avail, 0) << "mode 0 offers nothing";

    std::set<std::string> shortcuts;
    for (int m = 1; m < kModeCount; ++m) {
        SCOPED_TRACE("mode " + std::to_string(m));
        const ModeToolsRec& mode = ModeTools(m);
        EXPECT_FALSE(mode.ModeHelp.empty());
        EXPECT_EQ(mode.PicBase, 11 * m);
        const std::map<int, std::set<int>>& wanted = HandlerTools().at(m == 7 ? 3 : m);
        int pressed = 0;
        for (int f = 0; f < kToolCount; ++f) {
            const ToolFuncRec& func = mode.Funcs[static_cast<size_t>(f)];
            EXPECT_EQ(func.Avail != 0, wanted.count(f) != 0) << "function " << f;
            if (func.Avail == 0 || wanted.count(f) == 0) continue;
            EXPECT_FALSE(func.Help.empty()) << "function " << f;
            EXPECT_EQ(func.Shortcut.find(' '), std::string::npos) << "function " << f;
            EXPECT_TRUE(shortcuts.insert(func.Shortcut).second) << "shortcut " << func.Shortcut << " twice";
            EXPECT_EQ(func.AnyMode, m == 11 ? 0 : 1) << "routing is entered from its menu only";
            if (func.Pressed != 0) ++pressed;
            std::map<int32_t, int> pressedInGroup;
            for (int o = 0; o < kToolCount; ++o) {
                const ToolOptRec& opt = func.Opts[static_cast<size_t>(o)];
                if (wanted.at(f).count(o)) {
                    EXPECT_NE(opt.Avail, 0) << "function " << f << " option " << o;
                }
                if (opt.Avail == 0) continue;
                EXPECT_FALSE(opt.Help.empty()) << "function " << f << " option " << o;
                if (opt.Group != 0 && opt.Value != 0) ++pressedInGroup[opt.Group];
                if (o == 10) {
                    EXPECT_EQ(opt.Group, 0) << "the Esc option stands alone";
                }
            }
            for (const auto& [group, count] : pressedInGroup) EXPECT_EQ(count, 1) << "group " << group;
        }
        EXPECT_EQ(pressed, 1);
        EXPECT_NE(mode.Funcs.at(static_cast<size_t>(mode.SelFunc)).Pressed, 0) << "the selected one is pressed";
    }
    // The start-up step's other work.
    ASSERT_EQ(main.ZoomMode->ListCount(), 4);
    const char* zoomModes[] = {"Current", "Center", "Page", "Component"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(main.ZoomMode->List(i), zoomModes[i]);
    EXPECT_TRUE(HasSizingBorder(main.F_PICView));
    EXPECT_FALSE(main.ExitAnyWay);
}

bool HasInk(const QPixmap& picture)
{
    const QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0) return true;
    return false;
}

TEST_F(ShippedProfile, EveryOfferedButtonHasItsPicture)
{
    SCHMAIN& main = Main();
    ASSERT_EQ(main.P_FSI->CellCount(), 12 * 11);
    EXPECT_EQ(main.P_FSI->CellSize(), QSize(24, 24));
    for (int m = 1; m < kModeCount; ++m) {
        ASSERT_EQ(main.P_OST(m)->CellCount(), 11 * 11) << m;
        const ModeToolsRec& mode = ModeTools(m);
        for (int f = 0; f < kToolCount; ++f) {
            const ToolFuncRec& func = mode.Funcs[static_cast<size_t>(f)];
            if (func.Avail == 0) {
                EXPECT_FALSE(HasInk(main.P_FSI->GraphicCell(mode.PicBase + f))) << m << "/" << f;
                continue;
            }
            EXPECT_TRUE(HasInk(main.P_FSI->GraphicCell(mode.PicBase + f))) << m << "/" << f;
            for (int o = 0; o < kToolCount; ++o) {
                if (func.Opts[static_cast<size_t>(o)].Avail == 0) continue;
                EXPECT_TRUE(HasInk(main.P_OST(m)->GraphicCell(func.OptPicBase + o))) << m << "/" << f << "/" << o;
            }
        }
    }
}

// The largest picture numbers the profile takes leave every button's cell
// a Long: the buttons are set up without a picture, and without an error.
TEST_F(ShippedProfile, LargestPictureNumbersSetUpTheButtonsWithoutPictures)
{
    SCHMAIN& main = Main();
    QTemporaryDir dir;
    WriteText(dir.filePath("SCHFSI.MEN"), "FSI,1,2147483637,0,x\n"
                                          "FSIKEY,1,0,0,1,-1,2147483637,0,h\n"
                                          "OSTKEY,1,0,10,0,1,0,Esc\n"
                                          "ENDMENU\n");
    g_ProgDir = dir.path().toStdString();
    ClearToolTable();
    ASSERT_TRUE(ReadMenuProfile("SCHFSI.MEN"));
    int32_t mode = 1;
    EXPECT_NO_THROW(main.SetupFunctionButtons(mode));
    EXPECT_TRUE(main.F_FSI(0)->isEnabled());
    EXPECT_TRUE(main.F_OST(10)->isEnabled());
}

// Shows the tools of `mode` on the panels as the function and option set-up
// does: pictures, help texts, offered buttons only, start states.
void ShowFunctions(SCHMAIN& main, int mode)
{
    const ModeToolsRec& tools = ModeTools(mode);
    for (int i = 0; i < kToolCount; ++i) {
        const ToolFuncRec& f = tools.Funcs[static_cast<size_t>(i)];
        RibbonButton* button = main.F_FSI(i);
        button->setEnabled(f.Avail != 0);
        button->SetPicture(main.P_FSI->GraphicCell(tools.PicBase + i));
        button->SetToolTipText(f.Help);
        button->setVisible(f.Avail != 0);
        button->setChecked(f.Avail != 0 && f.Pressed != 0);
    }
}

void ShowOptions(SCHMAIN& main, int mode, int func)
{
    const ToolFuncRec& f = ModeTools(mode).Funcs[static_cast<size_t>(func)];
    for (int i = 0; i < kToolCount; ++i) {
        const ToolOptRec& o = f.Opts[static_cast<size_t>(i)];
        RibbonButton* button = main.F_OST(i);
        button->SetPicture(main.P_OST(mode)->GraphicCell(f.OptPicBase + i));
        button->setEnabled(o.Avail != 0);
        button->SetToolTipText(o.Help);
        button->setVisible(o.Avail != 0);
        button->SetGroupNumber(o.Group);
        button->setChecked(o.Avail != 0 && o.Value != 0);
    }
}

TEST_F(ShippedProfile, PicturesOfEachModesToolPanels)
{
    SCHMAIN& main = Main();
    const char* modeNames[] = {"",           "components",     "wires",     "design_notes",
                               "nets",       "block_edit",     "page_format", "page_notes",
                               "bitmaps",    "placement_patterns", "keep_off_zones", "routing"};
    for (int m = 1; m < kModeCount; ++m) {
        ShowFunctions(main, m);
        QWidget sheet;
        auto* row = new QHBoxLayout(&sheet);
        row->setSpacing(6);
        auto column = [&](const QString& title, const QPixmap& panel) {
            auto* box = new QVBoxLayout;
            auto* label = new QLabel(title);
            label->setAlignment(Qt::AlignCenter);
            box->addWidget(label);
            auto* picture = new QLabel;
            picture->setPixmap(panel);
            box->addWidget(picture);
            box->addStretch();
            row->addLayout(box);
        };
        column("F", main.F_FSIPan->grab());
        for (int f = 0; f < kToolCount; ++f) {
            if (ModeTools(m).Funcs[static_cast<size_t>(f)].Avail == 0) continue;
            ShowOptions(main, m, f);
            for (int i = 0; i < kToolCount; ++i) {
                if (main.F_OST(i)->isVisible()) {
                    EXPECT_FALSE(main.F_OST(i)->icon().isNull()) << m << "/" << f;
                }
            }
            column(QString::number(f), main.F_OSTPan->grab());
        }
        for (int i = 0; i < kToolCount; ++i) {
            if (main.F_FSI(i)->isVisible()) {
                EXPECT_FALSE(main.F_FSI(i)->icon().isNull()) << m << "/" << i;
            }
        }
        sheet.setStyleSheet("QWidget { background: #ececec; } QLabel { font: 9px 'DejaVu Sans'; }");
        sheet.show();
        char name[64];
        std::snprintf(name, sizeof name, "tools_mode%02d_%s", m, modeNames[m]);
        EXPECT_FALSE(palvane_test::SaveScreenshot(&sheet, name).empty()) << name;
    }
}

}  // namespace

// The menu profile's fuzz check over its seeds: the shipped profile is
// read, a cut one and one with a field beyond a Long are refused with a
// message.
TEST_F(MenuProfile, TheFuzzerSeedsAreReadOrRefusedWithAMessage)
{
    const std::string kept = g_ProgDir;
    const QDir corpus(FUZZ_MENU_CORPUS_DIR);
    const QStringList seeds = corpus.entryList(QDir::Files);
    ASSERT_FALSE(seeds.isEmpty());
    for (const QString& name : seeds) {
        SCOPED_TRACE(name.toStdString());
        QFile file(corpus.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(menu_fuzz::CheckInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                        static_cast<size_t>(bytes.size())),
                  "");
    }
    g_ProgDir = kept;
    ClearToolTable();
}
