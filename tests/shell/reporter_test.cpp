// The message reporter: text, icon and caption of the numbered messages,
// shown through the scripted stand-in.
#include "editor/shell/dlgservices.h"
#include "editor/shell/reporter.h"
#include "editor/shell/schmain.h"
#include "platform/winsys/interaction.h"
#include "tests/shell/env_guard.h"
#include "tests/support/scripted.h"

#include <gtest/gtest.h>

namespace {

namespace mb = winsys::mb;
using Reporter = palvane_test::ScriptedTest;
using palvane_test::EnvGuard;

struct Shown {
    std::string text;
    std::string caption;
    int style;
};

Shown Report(winsys::ScriptedInteraction& ui, int32_t code, std::string detail)
{
    ui.ExpectMessageBox(mb::AnswerOk);
    ReportMsg(code, detail);
    const auto& asked = ui.asked().back();
    EXPECT_EQ(asked.kind, "MessageBox");
    return {asked.text, asked.caption, asked.style};
}

TEST_F(Reporter, TextAndIconOfSampleCodes)
{
    EnvGuard env;
    env.Locale("C");
    g_AppTitle = "Schematic Capture";
    g_Prompt = "";
    constexpr int W = mb::Exclamation, C = mb::Critical, N = 0;
    const struct {
        int32_t code;
        const char* detail;
        const char* text;
        int icon;
    } cases[] = {
        {1, "R1", "Can't find Part: R1", W},
        {4, "U12", "Component: U12 already exists", W},
        {7, "ignored", "Format definition incomplete", W},
        {8, "", "Cant Read Menu Profile", C},
        {21, "S1", "Cant't read entry in Symbol/Package: S1", W},
        {33, "U3.7", "Next Text Edit - Pin Not Found: U3.7", N},
        {36, "GND", "Some nodes in Net: GND are layout only - can't split", W},
        {56, "N7", "Can't create B-pointN7", W},
        {63, "PAGE2", "Page: PAGE2 already exists", W},
        {86, "notes.NDN", "Save of notes.NDN failed", W},
        {100, "x", "Start Main Norvo32 Application", C},
        {111, "", "No printing boundaries selected", W},
        {501, "CPU", "Hierachy: CPU already assigned to other type of component", W},
        {1000, " 3  11", "Placement cannot be completed\r\nCheck Page Size & Placement Patterns.", C},
        {1001, "", "Placement cannot be completed\r\nCheck Page Size & Placement Patterns.", C},
        {2001, "x", "Can't create router field array", W},
        {37, "x", "Unknown Error", C},
        {999, "", "Unknown Error", C},
        {0, "", "Unknown Error", C},
        {-5, "", "Unknown Error", C},
    };
    for (const auto& c : cases) {
        const Shown shown = Report(ui, c.code, c.detail);
        EXPECT_EQ(shown.text, c.text) << c.code;
        EXPECT_EQ(shown.style & mb::IconMask, c.icon) << c.code;
        EXPECT_EQ(shown.style & mb::ButtonsMask, mb::OkOnly) << c.code;
        EXPECT_EQ(shown.style & mb::SystemModal, mb::SystemModal) << c.code;
        EXPECT_EQ(shown.caption, "Norvo32 - Schematic Capture") << c.code;
    }
}

// The caption names the prompt of the mode or command when one is set;
// without one it holds no empty parentheses.
TEST_F(Reporter, CaptionNamesTheTitleAndThePrompt)
{
    EnvGuard env;
    env.Locale("C");
    g_AppTitle = "Schematic Capture";
    g_Prompt = "Wires&Buses";
    EXPECT_EQ(Report(ui, 25, "N1").caption, "Norvo32 - Schematic Capture (Wires&Buses)");
    g_Prompt.clear();
    std::string detail = "U1";
    ui.ExpectMessageBox(mb::AnswerOk, "U1");
    ReportMsg(23, detail);
    EXPECT_EQ(detail, "U1");
    ui.ExpectMessageBox(mb::AnswerOk, "Can't create Branch");
    ReportMsg(50);
}

TEST_F(Reporter, LocalisedTexts)
{
    EnvGuard env;
    env.Locale("de_DE.UTF-8");
    env.Set("PALVANE_DATA_DIR", PALVANE_TEST_DATA_DIR);
    g_AppTitle = "Schaltplaneingabe";
    g_Prompt = "";
    const Shown exists = Report(ui, 4, "U12");
    EXPECT_EQ(exists.text, "Komponente: U12 existiert bereits");
    EXPECT_EQ(exists.caption, "Norvo32 - Schaltplaneingabe");
    EXPECT_EQ(Report(ui, 999, "").text, "Unbekannter Fehler");
    EXPECT_EQ(Report(ui, 1000, "").text,
              "Die Platzierung kann nicht abgeschlossen werden\r\nSeitengr\xF6\xDF" "e und Platzierungsmuster pr\xFC" "fen.");
    // Texts without an id are looked up as id 0, which the catalogue lacks.
    EXPECT_EQ(Report(ui, 2000, "").text, "Can't create router database");
}

}  // namespace
