// A close that reaches the host while a window of the editor is open (a
// dialog, a modeless window, a message box, a question, a popup menu), as
// the host's "EX" or as an end signal: the window ends as its Cancel would,
// the procedure that opened it finishes, the editor closes, and the host
// writes the design back and exits 0. What the user changed before is in
// the file written: every row first makes a page through the page menu.
#include "tests/host/host_fixture.h"

#include "editor/automation/routing_dialogs.h"
#include "editor/shell/controls.h"
#include "editor/shell/forms.h"
#include "editor/shell/menus.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/schmain.h"
#include "host/design_file.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/printer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSet>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <csignal>
#include <functional>
#include <ostream>
#include <string>
#include <tuple>

#include <unistd.h>

namespace palvane_test {
namespace {

struct Opening {
    const char* name;
    // Opens the window as a user does.
    std::function<void(SCHMAIN&)> open;
    // What the user does first, before the window is watched for: entering
    // routing mode, unpacking a component.
    std::function<void(SCHMAIN&)> prepare = nullptr;
};

void PrintTo(const Opening& opening, std::ostream* os)
{
    *os << opening.name;
}

// The page every row makes before its window opens, through Page > New
// Page and the input box; the demo's first page is shown again afterwards.
constexpr const char* kKeptPage = "KEPT";

void MakeKeptPage(SCHMAIN& m)
{
    Type(kKeptPage);
    Trigger(m.M_PageNew);
    ChoosePage(m, "Amplifier");
}

// Routing mode, entered with the wire preload dialog accepted as it stands.
void EnterRoutingMode(SCHMAIN& m)
{
    WhenShown([] { return FormInstance<SCHRTLP>().Visible(); }, [] { FormInstance<SCHRTLP>().ButOk()->click(); });
    Trigger(m.M_Aroute);
    ASSERT_TRUE(RunUntil([] { return g_RouteImageActive != 0; })) << "routing mode was not entered";
}

// R1, a packed resistor of the demo's first page, taken out of its part:
// the packaging function with its option "unpack", answered Yes.
void UnpackR1(SCHMAIN& m)
{
    ChooseMode(m, 1);
    PressFunction(m, 6);
    SetOption(m, 0, true);
    ChoosePopupItem(m.M_Yes);
    ClickPage(m, -10, 1);
}

// Every kind of window a user opens over the editor, the way a user opens
// it. Positions are in 0.1 inch steps on the demo's first page: its empty
// corner lies at (-30, -20), the resistor R1 at (-10, 1) with its pin 1 (on
// net VIN) at (-13, 1).
const Opening kOpenings[] = {
    {"PartInsertion", [](SCHMAIN& m) { ChooseMode(m, 1); PressFunction(m, 0); SetOption(m, 0, false); ClickPage(m, -30, -20); }},
    {"SymbolInsertion", [](SCHMAIN& m) { ChooseMode(m, 1); PressFunction(m, 1); ClickPage(m, -30, -20); }},
    {"ComponentList", [](SCHMAIN& m) { ChooseMode(m, 1); PressFunction(m, 0); SetOption(m, 0, true); ClickPage(m, -30, -20); }},
    {"PopupMenu", [](SCHMAIN& m) { ChooseMode(m, 1); PressFunction(m, 5); ClickPage(m, -10, 1); }},
    {"HandPackaging", [](SCHMAIN& m) { SetOption(m, 2, true); ClickPage(m, -10, 1); }, UnpackR1},
    {"HierarchySheet", [](SCHMAIN& m) { ChooseMode(m, 1); PressFunction(m, 10); SetOption(m, 0, true); ClickPage(m, -13, 1); }},
    {"ComponentReport", [](SCHMAIN& m) { ChooseMode(m, 1); PressFunction(m, 10); SetOption(m, 3, true); ClickPage(m, -13, 1); }},
    {"PageFormat", [](SCHMAIN& m) { ChooseMode(m, 6); PressFunction(m, 0); ClickPage(m, -30, -20); }},
    {"PrinterSetup", [](SCHMAIN& m) { Trigger(m.M_Psetup); }},
    {"PrintScheduler", [](SCHMAIN& m) { Trigger(m.M_PrintSchd); }},
    {"NetDialog", [](SCHMAIN& m) { ChooseMode(m, 4); PressFunction(m, 5); ClickPage(m, -30, -20); }},
    // The net test on VIN, then its option "compare with the layout".
    {"NetViewer", [](SCHMAIN& m) { SetOption(m, 2, true); },
     [](SCHMAIN& m) { ChooseMode(m, 4); PressFunction(m, 6); ClickPage(m, -13, 1); }},
    {"MapDialog", [](SCHMAIN& m) { Trigger(m.M_Imap(1)); }},
    {"ItemEditor", [](SCHMAIN& m) { ChooseMode(m, 7); PressFunction(m, 4); SetOption(m, 7, true); ClickPage(m, -20, 15.6); }},
    {"ItemText", [](SCHMAIN& m) { ChooseMode(m, 7); PressFunction(m, 8); ClickPage(m, -20, 15.6); }},
    {"PictureImport", [](SCHMAIN& m) { ChooseMode(m, 8); PressFunction(m, 0); ClickPage(m, -30, -20); }},
    {"Packaging", [](SCHMAIN& m) { Trigger(m.M_Apack); }},
    {"PlacementCell", [](SCHMAIN& m) { ChooseMode(m, 9); PressFunction(m, 8); ClickPage(m, -30, -20); }},
    {"PlacementGrid", [](SCHMAIN& m) { ChooseMode(m, 9); PressFunction(m, 9); ClickPage(m, -30, -20); }},
    {"PlacementGlobal", [](SCHMAIN& m) { Trigger(m.M_AutPlcGlbPara); }},
    {"PlacementPrefixes", [](SCHMAIN& m) { Trigger(m.M_AutPlcGrdPrefix); }},
    {"PlacementOrientations", [](SCHMAIN& m) { Trigger(m.M_AutPlcOrntPrefix); }},
    {"ShortcutPalette", [](SCHMAIN& m) { Trigger(m.M_Short); }},
    // Entering routing mode opens the wire preload dialog.
    {"WirePreload", [](SCHMAIN& m) { Trigger(m.M_Aroute); }},
    // In routing mode function 0 opens the routing step dialog.
    {"RoutingStep", [](SCHMAIN& m) { PressFunction(m, 0); }, EnterRoutingMode},
    {"FileDialog", [](SCHMAIN& m) { Trigger(m.M_SaveDnotes); }},
    {"HelpWindow", [](SCHMAIN& m) { Trigger(m.M_Help); }},
    {"InputBox", [](SCHMAIN& m) { Trigger(m.M_PageRen); }},
    // MAINPAGE is never deleted: a message box says so.
    {"MessageBox", [](SCHMAIN& m) { Trigger(m.M_PageDel); }, [](SCHMAIN& m) { ChoosePage(m, "MAINPAGE"); }},
    {"Question", [](SCHMAIN& m) { Trigger(m.M_PageDel); }},
};

enum class CloseBy { Command, Signal };

class CloseWithWindowOpen : public HostInProcess,
                            public ::testing::WithParamInterface<std::tuple<Opening, CloseBy>> {};

// The windows on the screen that are not the editor's main window.
QSet<QWidget*> OtherWindows()
{
    QSet<QWidget*> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && (!g_MainForm || w != g_MainForm->Window())) windows.insert(w);
    return windows;
}

TEST_P(CloseWithWindowOpen, EndsTheWindowClosesAndKeepsTheEdits)
{
    const auto& [opening, closeBy] = GetParam();
    // The print dialog offers printing only with a printer; a file stands
    // for it.
    winsys::Printer::Get().SetOutputFile(dir.filePath("print.pdf").toStdString());
    bool prepared = false;
    bool opened = false;
    bool handlerReturned = false;
    QString windowShown;
    QTimer watch;
    QElapsedTimer clock;
    clock.start();
    const int status = Run([&](SCHMAIN& main) {
        MakeKeptPage(main);
        if (opening.prepare) opening.prepare(main);
        prepared = !::testing::Test::HasFailure();
        const QSet<QWidget*> before = OtherWindows();
        watch.setInterval(20);
        QObject::connect(&watch, &QTimer::timeout, [&, before] {
            for (QWidget* w : OtherWindows()) {
                if (before.contains(w) || opened) continue;
                opened = true;
                windowShown = w->metaObject()->className() + QString(" ") + w->objectName();
                watch.stop();
                if (closeBy == CloseBy::Command)
                    Send("PALVANE,EX");
                else
                    kill(getpid(), SIGTERM);
            }
        });
        watch.start();
        opening.open(main);
        handlerReturned = true;
    });
    RecordProperty("window", windowShown.toStdString());
    RecordProperty("milliseconds", static_cast<int>(clock.elapsed()));
    EXPECT_TRUE(prepared);
    EXPECT_EQ(status, 0) << err;
    EXPECT_TRUE(opened) << "no window opened";
    EXPECT_TRUE(handlerReturned);
    EXPECT_NE(out.find("PALVANE\tSHUTDOWN"), std::string::npos) << out;
    EXPECT_EQ(Errors(), "") << windowShown.toStdString();

    // The design written holds the page made before the window opened,
    // with the frame it copied from MAINPAGE.
    std::string error;
    ASSERT_TRUE(OpenDesignFile(design, error)) << error;
    const std::vector<std::string> pages = PagesInDatabase();
    EXPECT_NE(std::find(pages.begin(), pages.end(), kKeptPage), pages.end()) << windowShown.toStdString();
    BranchRec frame{};
    EXPECT_EQ(B_ReadBranch(-100 - OM_FindName(DB_PageMap(), kKeptPage), &frame), 1);
    EXPECT_EQ(frame.Points, 5);
    // The routing rows (WirePreload, RoutingStep) close in routing mode with
    // nothing routed yet; that the wires routed before such a close are in
    // the file is checked by routing_close_test.cpp.
    DB_DiscardDataBase();
}

INSTANTIATE_TEST_SUITE_P(
    Windows, CloseWithWindowOpen,
    ::testing::Combine(::testing::ValuesIn(kOpenings), ::testing::Values(CloseBy::Command, CloseBy::Signal)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) +
               (std::get<1>(info.param) == CloseBy::Command ? "_Exit" : "_Sigterm");
    });

}  // namespace
}  // namespace palvane_test
