// The host and an action that waits for a window. A close ("EX" on the
// host's input, or an end signal) while the action waits ends the window,
// and the design written is the one from before that action: what it
// changed before it asked goes back, what earlier actions made stays. A
// command read from the host's input while the window waits runs once the
// window has ended and its action has finished, never inside it; "EX" is
// the exception and closes at once.
#include "tests/host/host_fixture.h"

#include "editor/interaction/commands.h"
#include "editor/shell/caption.h"
#include "editor/shell/controls.h"
#include "editor/shell/forms.h"
#include "editor/shell/menus.h"
#include "editor/shell/nvoinpbg.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"
#include "host/design_file.h"
#include "platform/kernel/nvokernel32.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <string>
#include <vector>

#include <unistd.h>

namespace palvane_test {
namespace {

constexpr int32_t kStep = 254000;

enum class CloseBy { Command, Signal };

// What the design holds that the bus drawing changes: its buses, its pages,
// and the wires of the page with their points.
struct Held {
    std::vector<std::string> buses;
    std::vector<std::string> pages;
    std::vector<int32_t> wirePoints;  // per wire of the page, in id order
    bool operator==(const Held&) const = default;
};

Held HeldNow(const std::string& page)
{
    Held held;
    const int32_t buses = DB_BusMap();
    int32_t cursor = OM_GetFirst(buses);
    for (int32_t bus; (bus = OM_SearchMask(buses, &cursor, 0, 0)) > 0;)
        held.buses.push_back(PtrToStr(O_GetName(OM_Object(buses, bus))));
    held.pages = PagesInDatabase();
    const int32_t pageId = OM_FindName(DB_PageMap(), page.c_str());
    const int32_t branches = DB_BranchMap();
    cursor = OM_GetFirst(branches);
    for (int32_t b; (b = OM_SearchMask(branches, &cursor, 0, 0)) > 0;) {
        BranchRec rec{};
        if (b < 0 || B_ReadBranch(b, &rec) == 0 || rec.Page != pageId) continue;
        held.wirePoints.push_back(rec.Points);
    }
    return held;
}

std::string Describe(const Held& h)
{
    std::string text = "buses:";
    for (const auto& b : h.buses) text += " " + b;
    text += "; pages:";
    for (const auto& p : h.pages) text += " " + p;
    text += "; wires of the page with points:";
    for (const int32_t n : h.wirePoints) text += " " + std::to_string(n);
    return text;
}

class ActionWaitsAtClose : public HostInProcess, public ::testing::WithParamInterface<CloseBy> {
protected:
    void Close()
    {
        if (GetParam() == CloseBy::Command)
            Send("PALVANE,EX");
        else
            kill(getpid(), SIGTERM);
    }
    // The design the host wrote, read back.
    Held Written(const std::string& page)
    {
        std::string error;
        EXPECT_TRUE(OpenDesignFile(design, error)) << error;
        const Held held = HeldNow(page);
        DB_DiscardDataBase();
        return held;
    }
};

// A bus drawn on the blinker's page by two clicks, then ended with the
// drawing's option "end": the end drops the wire's moving point and then
// asks the new bus's name. The close comes while the name is asked. The
// bus drawn by the earlier clicks is in the file, as it was before the end:
// with its moving point, not named, and not taken away by the end's own
// clean-up after its question was cancelled.
TEST_P(ActionWaitsAtClose, TheDesignWrittenIsTheOneBeforeTheActionThatWaits)
{
    Held beforeEnd, whileAsked;
    std::string pageBefore;
    bool asked = false;
    std::string stuck;
    // Should the question never come, the host still ends.
    QTimer fallback;
    fallback.setSingleShot(true);
    QObject::connect(&fallback, &QTimer::timeout, [&] {
        stuck = "command " + std::to_string(g_CurCommand);
        Send("PALVANE,EX");
    });
    const int status = Run([&](SCHMAIN& main) {
        ChoosePage(main, "Blinker");
        ChooseMode(main, MODE_WIRES);
        PressFunction(main, 1);
        ClickPage(main, 30, 15);
        ClickPage(main, 40, 15);
        QTest::mouseMove(main.ViewPicture, PixelOf(main, 40 * kStep, 25 * kStep));
        beforeEnd = HeldNow("Blinker");
        pageBefore = g_CurPageName;
        WhenShown([] { return FormInstance<NvoInpBG>().Visible(); },
                  [&] {
                      asked = true;
                      fallback.stop();
                      whileAsked = HeldNow("Blinker");
                      Close();
                  });
        fallback.start(20000);
        // The option that ends the bus where its end stands.
        SetOption(main, 3, true);
    });
    EXPECT_EQ(status, 0) << err;
    EXPECT_NE(out.find("PALVANE\tSHUTDOWN"), std::string::npos) << out;
    EXPECT_EQ(Errors(), "");
    ASSERT_TRUE(asked) << "the bus's name was not asked: " << stuck;
    EXPECT_EQ(pageBefore, "Blinker");
    // The earlier clicks drew a bus of its own: a new bus, one more wire.
    ASSERT_EQ(beforeEnd.buses.size(), 2u) << Describe(beforeEnd);
    // The end changed the design before it asked.
    EXPECT_NE(whileAsked, beforeEnd) << Describe(whileAsked);
    const Held written = Written("Blinker");
    EXPECT_EQ(written, beforeEnd) << "written: " << Describe(written) << "\nbefore the end: " << Describe(beforeEnd);
}

INSTANTIATE_TEST_SUITE_P(Closes, ActionWaitsAtClose, ::testing::Values(CloseBy::Command, CloseBy::Signal),
                         [](const auto& info) { return info.param == CloseBy::Command ? "Exit" : "Sigterm"; });

class CommandsWhileAWindowWaits : public HostInProcess {
protected:
    // "FS": the editor shows the blinker's page.
    std::string ShowBlinker()
    {
        const int32_t page = OM_FindName(DB_PageMap(), "Blinker");
        return "PALVANE,FS,0,0," + std::to_string(DB_CurHier()) + "," + std::to_string(page);
    }
    // Lets the host read what was sent while the window stays.
    static void Meanwhile()
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
};

// The name of a new page is asked; meanwhile the host reads a command that
// shows another page. It runs once the page is made and shown, not while
// the name is asked: the editor ends on the page the command chose.
TEST_F(CommandsWhileAWindowWaits, ACommandReadDuringTheWaitRunsAfterTheAction)
{
    std::string whileAsked, afterAction, atEnd;
    bool asked = false;
    const int status = Run([&](SCHMAIN& main) {
        auto close = OnExit([this] { Send("PALVANE,EX"); });
        ASSERT_EQ(g_CurPageName, "Amplifier");
        WhenShown([] { return FormInstance<NvoInpBG>().Visible(); },
                  [&] {
                      asked = true;
                      Send(ShowBlinker());
                      Meanwhile();
                      whileAsked = g_CurPageName;
                      NvoInpBG& box = FormInstance<NvoInpBG>();
                      box.InpText()->SetText("NOTES");
                      box.InpOK()->click();
                  });
        Trigger(main.M_PageNew);
        afterAction = g_CurPageName;
        EXPECT_TRUE(RunUntil([] { return g_CurPageName == "Blinker"; })) << g_CurPageName;
        atEnd = main.F_Pages->Text();
    });
    EXPECT_EQ(status, 0) << err;
    EXPECT_EQ(Errors(), "");
    ASSERT_TRUE(asked);
    EXPECT_EQ(whileAsked, "Amplifier") << "the command ran inside the question";
    EXPECT_EQ(afterAction, "NOTES");
    EXPECT_EQ(atEnd, "Blinker");
    std::string error;
    ASSERT_TRUE(OpenDesignFile(design, error)) << error;
    const std::vector<std::string> pages = PagesInDatabase();
    EXPECT_NE(std::find(pages.begin(), pages.end(), "NOTES"), pages.end());
    DB_DiscardDataBase();
}

// The library search answers the part or symbol dialog while that dialog
// waits: its lines reach the editor at once, not after the wait. Here its
// line carries a page command, which shows while the name is still asked.
TEST_F(CommandsWhileAWindowWaits, TheLibrarySearchAnswerIsDeliveredWhileTheWindowWaits)
{
    std::string whileAsked;
    bool asked = false;
    const int status = Run([&](SCHMAIN& main) {
        auto close = OnExit([this] { Send("PALVANE,EX"); });
        WhenShown([] { return FormInstance<NvoInpBG>().Visible(); },
                  [&] {
                      asked = true;
                      Send("NVOLIBSC\t" + ShowBlinker());
                      Meanwhile();
                      whileAsked = g_CurPageName;
                      FormInstance<NvoInpBG>().InpCancel()->click();
                  });
        Trigger(main.M_PageNew);
    });
    EXPECT_EQ(status, 0) << err;
    EXPECT_EQ(Errors(), "");
    ASSERT_TRUE(asked);
    EXPECT_EQ(whileAsked, "Blinker");
}

// The same question, and "EX" after the command: the question ends at
// once, unanswered, the host closes and writes the design without the page.
TEST_F(CommandsWhileAWindowWaits, ExClosesAtOnce)
{
    bool asked = false, returned = false;
    std::string whileAsked;
    QElapsedTimer clock;
    int64_t toClose = -1;
    const int status = Run([&](SCHMAIN& main) {
        WhenShown([] { return FormInstance<NvoInpBG>().Visible(); },
                  [&] {
                      asked = true;
                      Send(ShowBlinker());
                      Send("PALVANE,EX");
                      clock.start();
                  });
        Trigger(main.M_PageNew);
        toClose = clock.isValid() ? clock.elapsed() : -1;
        whileAsked = g_CurPageName;
        returned = true;
    });
    EXPECT_EQ(status, 0) << err;
    EXPECT_EQ(Errors(), "");
    EXPECT_NE(out.find("PALVANE\tSHUTDOWN"), std::string::npos) << out;
    ASSERT_TRUE(asked);
    EXPECT_TRUE(returned);
    // Well under the minute a waiting test would give up after.
    EXPECT_GE(toClose, 0);
    EXPECT_LT(toClose, 10000);
    EXPECT_EQ(whileAsked, "Amplifier");
    std::string error;
    ASSERT_TRUE(OpenDesignFile(design, error)) << error;
    const std::vector<std::string> pages = PagesInDatabase();
    EXPECT_EQ(std::find(pages.begin(), pages.end(), "NOTES"), pages.end());
    DB_DiscardDataBase();
}

}  // namespace
}  // namespace palvane_test
