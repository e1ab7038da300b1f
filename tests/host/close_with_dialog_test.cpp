// A close that reaches the host while a dialog, a message box or a question
// of the editor is open, as the host's "EX" or as an end signal: the window
// ends as its Cancel would, the procedure that opened it finishes, the
// editor closes, the design is written back and the host exits 0.
#include "tests/host/host_fixture.h"

#include "editor/shell/menus.h"
#include "editor/shell/schmain.h"
#include "host/design_file.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/printer.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QWidget>

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
    std::function<void(SCHMAIN&)> open;
};

void PrintTo(const Opening& opening, std::ostream* os)
{
    *os << opening.name;
}

// Every kind of window a user opens over the editor, the way a user opens
// it. Positions are in 0.1 inch steps on the demo's first page, whose
// empty corner lies at (-30, -20).
const Opening kOpenings[] = {
    {"PartInsertion", [](SCHMAIN& m) { ChooseMode(m, 1); PressFunction(m, 0); SetOption(m, 0, false); ClickPage(m, -30, -20); }},
    {"SymbolInsertion", [](SCHMAIN& m) { ChooseMode(m, 1); PressFunction(m, 1); ClickPage(m, -30, -20); }},
    {"PageFormat", [](SCHMAIN& m) { ChooseMode(m, 6); PressFunction(m, 0); ClickPage(m, -30, -20); }},
    {"PrinterSetup", [](SCHMAIN& m) { Trigger(m.M_Psetup); }},
    {"PrintDialog", [](SCHMAIN& m) { Trigger(m.M_PrintSchd); }},
    {"NetDialog", [](SCHMAIN& m) { ChooseMode(m, 4); PressFunction(m, 5); ClickPage(m, -30, -20); }},
    {"ItemEditor", [](SCHMAIN& m) { ChooseMode(m, 7); PressFunction(m, 4); SetOption(m, 7, true); ClickPage(m, -20, 15.6); }},
    {"ItemText", [](SCHMAIN& m) { ChooseMode(m, 7); PressFunction(m, 8); ClickPage(m, -20, 15.6); }},
    {"PictureImport", [](SCHMAIN& m) { ChooseMode(m, 8); PressFunction(m, 0); ClickPage(m, -30, -20); }},
    {"ComponentList", [](SCHMAIN& m) { ChooseMode(m, 1); PressFunction(m, 0); SetOption(m, 0, true); ClickPage(m, -30, -20); }},
    {"Packaging", [](SCHMAIN& m) { Trigger(m.M_Apack); }},
    {"PlacementCell", [](SCHMAIN& m) { ChooseMode(m, 9); PressFunction(m, 8); ClickPage(m, -30, -20); }},
    {"PlacementGlobal", [](SCHMAIN& m) { Trigger(m.M_AutPlcGlbPara); }},
    {"PlacementPrefixes", [](SCHMAIN& m) { Trigger(m.M_AutPlcGrdPrefix); }},
    {"InputBox", [](SCHMAIN& m) { Trigger(m.M_PageRen); }},
    {"MessageBox", [](SCHMAIN& m) { Trigger(m.M_PageNew); }},
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

TEST_P(CloseWithWindowOpen, EndsTheWindowClosesAndWritesTheDesign)
{
    const auto& [opening, closeBy] = GetParam();
    // The print dialog offers printing only with a printer; a file stands
    // for it.
    winsys::Printer::Get().SetOutputFile(dir.filePath("print.pdf").toStdString());
    bool opened = false;
    bool handlerReturned = false;
    QString windowShown;
    QTimer watch;
    const int status = Run([&](SCHMAIN& main) {
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
    EXPECT_EQ(status, 0) << err;
    EXPECT_TRUE(opened) << "no window opened";
    EXPECT_TRUE(handlerReturned);
    EXPECT_NE(out.find("PALVANE\tSHUTDOWN"), std::string::npos) << out;
    EXPECT_EQ(Errors(), "") << windowShown.toStdString();
    std::string error;
    EXPECT_TRUE(OpenDesignFile(design, error)) << error;
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
