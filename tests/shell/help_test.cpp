// Context help: topic numbers of menu places, the number check, the help
// mode, the help window showing topics of the shipped help by number (a
// topic without text of its own shows the one above it), and the F10 test.
#include "editor/shell/applink.h"
#include "editor/shell/help.h"
#include "editor/shell/paths.h"
#include "editor/shell/schmain.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/help.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/keyboard.h"
#include "platform/winsys/latin1.h"
#include "tests/support/kernel_fixture.h"
#include "tests/support/screenshot.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QUrl>

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace mb = winsys::mb;
using Help = palvane_test::KernelTest;

const std::string kShippedHelp = std::string(PALVANE_TEST_DATA_DIR) + "/PALVANE.HLP";

void SetHelpMode(int32_t on)
{
    E_MemCopy(static_cast<char*>(E_SysTable(systable::Help)) + systable::HelpFlagOffset, &on, 4);
}

std::string HelpText()
{
    auto* browser = winsys::HelpWindow() ? winsys::HelpWindow()->findChild<QTextBrowser*>("HelpText") : nullptr;
    return browser ? FromQ(browser->toPlainText()) : std::string();
}

TEST(HelpTopics, Numbers)
{
    const struct {
        int32_t m, s, t, u, topic;
    } cases[] = {
        {1, 0, 0, 0, 1},       {1, 1, 0, 0, 2},      {1, 1, 1, 0, 3},     {1, 1, 1, 1, 4},
        {2, 0, 0, 0, 13302},   {1, 2, 0, 0, 135},    {0, 1, 0, 0, 0},     {1, 0, 1, 0, 0},
        {1, 1, 2, 0, 15},      {1, 1, 1, 11, 14},    {5, 3, 0, 0, 53472}, {7, 3, 0, 0, 80074},
        {11, 100, 11, 11, 146311}, {0, 0, 0, 0, 0},  {1, 1, 0, 1, 0},     {0, 0, 1, 1, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CalcHelpTopic(c.m, c.s, c.t, c.u), c.topic) << c.m << "," << c.s << "," << c.t << "," << c.u;
}

TEST_F(Help, NumbersOutOfTheirLimits)
{
    const struct {
        int32_t m, s, t, u;
        const char* message;
    } cases[] = {
        {12, 101, 0, 0, "Menu No: exceeds 11 SubMenu No. exceeds 100"},
        {5, 0, 12, 0, " Tool No: exceeds 11"},
        {1, 1, 1, 12, " SubTool No: exceeds 11"},
        {12, 101, 12, 12, "Menu No: exceeds 11 SubMenu No. exceeds 100 Tool No: exceeds 11 SubTool No: exceeds 11"},
    };
    for (const auto& c : cases) {
        ui.ExpectMessageBox(mb::AnswerOk);
        EXPECT_FALSE(CheckHelpNumbers(c.m, c.s, c.t, c.u));
        EXPECT_EQ(ui.asked().back().text, c.message);
        EXPECT_EQ(ui.asked().back().style, mb::OkOnly);
    }
    EXPECT_TRUE(CheckHelpNumbers(11, 100, 11, 11));
    // Out of limits: the topic is not even remembered.
    g_HelpTopic = 5;
    ui.ExpectMessageBox(mb::AnswerOk);
    EXPECT_FALSE(CheckHelpMode(12, 0, 0, 0));
    EXPECT_EQ(g_HelpTopic, 5);
}

TEST_F(Help, HelpModeOffRemembersTheTopicForCtrlF1)
{
    g_HelpFile = kShippedHelp;
    winsys::CloseHelpWindow();
    SetHelpMode(0);
    EXPECT_FALSE(CheckHelpMode(5, 2, 0, 0));
    EXPECT_EQ(g_HelpTopic, CalcHelpTopic(5, 2, 0, 0));
    EXPECT_EQ(winsys::HelpWindow(), nullptr);
    ShowFormHelp();
    ASSERT_NE(winsys::HelpWindow(), nullptr);
    EXPECT_EQ(winsys::HelpWindowTopic(), CalcHelpTopic(5, 2, 0, 0));
    EXPECT_NE(HelpText().find("Wires and buses mode"), std::string::npos);
    CloseHelp(0, g_HelpFile);
    EXPECT_EQ(winsys::HelpWindow(), nullptr);
}

TEST_F(Help, HelpModeOnShowsAndPlacesTheWindow)
{
    g_HelpFile = kShippedHelp;
    SetHelpMode(1);
    EXPECT_TRUE(CheckHelpMode(5, 1, 0, 0));
    SetHelpMode(0);
    QWidget* window = winsys::HelpWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(winsys::HelpWindowTopic(), 53206);
    EXPECT_NE(HelpText().find("Components mode"), std::string::npos);
    const QRect area = window->screen()->availableGeometry();
    EXPECT_EQ(window->geometry(), QRect(area.x() + 600 * area.width() / 1024, area.y() + 150 * area.height() / 1024,
                                        400 * area.width() / 1024, 800 * area.height() / 1024));
    const std::string shot = palvane_test::SaveScreenshot(window, "help_window_components_mode");
    EXPECT_FALSE(shot.empty());
    CloseHelp(0, g_HelpFile);
}

TEST_F(Help, EveryMenuAndEveryModeHasItsOwnTopic)
{
    for (int32_t menu = 1; menu <= 11; ++menu)
        EXPECT_EQ(H_DispTopic(0, kShippedHelp.c_str(), CalcHelpTopic(menu, 0, 0, 0)), CalcHelpTopic(menu, 0, 0, 0))
            << "menu " << menu;
    for (int32_t mode = 1; mode <= 10; ++mode)
        EXPECT_EQ(H_DispTopic(0, kShippedHelp.c_str(), CalcHelpTopic(5, mode, 0, 0)), CalcHelpTopic(5, mode, 0, 0))
            << "mode " << mode;
    // Routing mode is entered from the Auto menu.
    EXPECT_EQ(H_DispTopic(0, kShippedHelp.c_str(), CalcHelpTopic(7, 3, 0, 0)), CalcHelpTopic(7, 3, 0, 0));
    winsys::CloseHelpWindow();
}

TEST_F(Help, TopicWithoutTextShowsTheOneAboveIt)
{
    const struct {
        int32_t m, s, t, u;
        int32_t shownM, shownS, shownT;
    } cases[] = {
        {5, 1, 3, 2, 5, 1, 3},    // an option of a components function: the function
        {5, 3, 4, 0, 5, 3, 0},    // a function of design notes mode: the mode
        {7, 50, 0, 0, 7, 0, 0},   // an unknown item of the Auto menu: the menu
        {9, 1, 0, 0, 9, 1, 0},
    };
    for (const auto& c : cases) {
        const int32_t shown = H_DispTopic(0, kShippedHelp.c_str(), CalcHelpTopic(c.m, c.s, c.t, c.u));
        EXPECT_EQ(shown, CalcHelpTopic(c.shownM, c.shownS, c.shownT, 0)) << c.m << "," << c.s << "," << c.t;
        EXPECT_EQ(winsys::HelpWindowTopic(), shown);
    }
    winsys::CloseHelpWindow();
}

TEST_F(Help, LinksBackAndContents)
{
    ASSERT_EQ(H_DispTopic(0, kShippedHelp.c_str(), 1), 1);
    auto* browser = winsys::HelpWindow()->findChild<QTextBrowser*>("HelpText");
    ASSERT_NE(browser, nullptr);
    emit browser->anchorClicked(QUrl("topic:13302"));
    EXPECT_EQ(winsys::HelpWindowTopic(), 13302);
    EXPECT_NE(HelpText().find("Page menu"), std::string::npos);
    for (QPushButton* button : winsys::HelpWindow()->findChildren<QPushButton*>())
        if (button->text() == "&Back") button->click();
    EXPECT_EQ(winsys::HelpWindowTopic(), 1);

    CallWinHelp(kShippedHelp, 3, "Norvo32");
    EXPECT_EQ(winsys::HelpWindowTopic(), 0);
    const std::string contents = HelpText();
    for (const char* title : {"File menu", "Components mode", "Move", "Help menu"})
        EXPECT_NE(contents.find(title), std::string::npos) << title;
    winsys::CloseHelpWindow();
}

// Help > Contents opens the help file named at start from the program
// folder, wherever that folder is.
TEST_F(Help, ContentsOfTheProgramFoldersHelpFile)
{
    const std::string saved = g_HelpFile;
    g_HelpFile = JoinPath(PALVANE_TEST_DATA_DIR, "PALVANE.HLP");
    winsys::CloseHelpWindow();
    OpenHelpContents();
    ASSERT_NE(winsys::HelpWindow(), nullptr);
    EXPECT_EQ(winsys::HelpWindowTopic(), 0);
    const std::string contents = HelpText();
    for (const char* title : {"File menu", "New Wire", "Help menu"})
        EXPECT_NE(contents.find(title), std::string::npos) << title;
    EXPECT_EQ(contents.find("cannot be shown"), std::string::npos);
    winsys::CloseHelpWindow();
    g_HelpFile = saved;
}

// The help of New Wire says how a wire ends, as the drawing command ends
// it: where its end joins another net or a bus, else with Finish.
TEST_F(Help, NewWireSaysHowAWireEnds)
{
    const int32_t topic = CalcHelpTopic(5, 2, 1, 0);
    ASSERT_EQ(H_DispTopic(0, kShippedHelp.c_str(), topic), topic);
    const std::string text = HelpText();
    EXPECT_NE(text.find("New Wire"), std::string::npos);
    EXPECT_NE(text.find("joins another net"), std::string::npos);
    EXPECT_NE(text.find("Finish"), std::string::npos);
    EXPECT_EQ(text.find("click a pin or wire to end"), std::string::npos);
    winsys::CloseHelpWindow();
}

TEST_F(Help, BooksThatCannotBeRead)
{
    QTemporaryDir dir;
    const std::string missing = dir.path().toStdString() + "/NOHELP.HLP";
    EXPECT_EQ(H_DispTopic(0, missing.c_str(), 1), 0);
    EXPECT_NE(HelpText().find("cannot be shown"), std::string::npos);
    EXPECT_EQ(H_DispTopic(0, nullptr, 1), 0);

    const std::string broken = dir.path().toStdString() + "/BROKEN.HLP";
    std::ofstream(broken) << "@blocks 10 x\n@topic 1 One\ntext\n";
    EXPECT_EQ(H_DispTopic(0, broken.c_str(), 1), 0);
    EXPECT_NE(HelpText().find("line 1"), std::string::npos);

    // A book named directly, with its own block layout; an unknown topic
    // of the first level has nothing above it.
    const std::string book = dir.path().toStdString() + "/small.txt";
    std::ofstream(book) << "@title Small\n@blocks 10 3\n@topic 1 One\nFirst.\n@topic 12 Two\nSecond.\n";
    EXPECT_EQ(H_DispTopic(0, book.c_str(), 3), 1);   // child of 1
    EXPECT_EQ(H_DispTopic(0, book.c_str(), 13), 12);  // child of 12
    EXPECT_EQ(H_DispTopic(0, book.c_str(), 21), 0);
    EXPECT_NE(HelpText().find("no help for topic 21"), std::string::npos);
    winsys::CloseHelpWindow();
}

TEST_F(Help, CancelKeyDownSeesF10)
{
    ui.PressKey(winsys::vk::F10, 2);
    EXPECT_FALSE(CancelKeyDown());
    EXPECT_TRUE(CancelKeyDown());
    EXPECT_FALSE(CancelKeyDown());
    EXPECT_EQ(ui.KeyAsks(winsys::vk::F10), 3);
}

}  // namespace
