// The host hears its input from the start: while a message box of the
// editor's start-up waits, "EX" closes the editor and the host writes the
// design back and exits 0, as it does when the editor is up; any other
// command waits until the start-up has ended. The box here is the page
// frame's: the kernel refuses a step of its rebuild, which leaves the frame
// as it was and says so.
#include "tests/host/host_fixture.h"

#include "editor/shell/caption.h"
#include "editor/shell/schmain.h"
#include "host/design_file.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>

#include <set>
#include <string>
#include <vector>

namespace palvane_test {
namespace {

constexpr const char* kFrameBox = "Can't create Page Format: ";

class StartUpBox : public HostInProcess {
protected:
    void SetUp() override
    {
        HostInProcess::SetUp();
        // The first rebuild of the frame, at the start-up, is refused.
        KT_FailCall("B_InsertRecord", 1);
    }
    void TearDown() override
    {
        KT_FailCall("", 0);
        HostInProcess::TearDown();
    }

    // When the start-up's box shows: its text is kept, the kernel refuses
    // nothing more, and `act` runs while the box waits. Should the box stay
    // (the host deaf to its input), it is closed after a minute, a bound
    // never reached when the host hears, so that the test ends and fails.
    void WhileTheBoxWaits(std::function<void()> act)
    {
        WhenShown([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; },
                  [this, act = std::move(act)] {
                      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                      boxText = box->text().toStdString();
                      KT_FailCall("", 0);
                      QTimer::singleShot(60000, box, [box] {
                          ADD_FAILURE() << "the start-up's box still waits";
                          box->button(QMessageBox::Ok)->click();
                      });
                      act();
                  });
    }

    // Lets the host read what was sent while the box stays.
    static void Meanwhile()
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    std::string boxText;
};

// The current page's frame: a closed outline of four existing corners.
::testing::AssertionResult FrameIsWhole()
{
    const int32_t frame = -100 - DB_CurPage();
    BranchRec branch{};
    if (B_ReadBranch(frame, &branch) == 0) return ::testing::AssertionFailure() << "no frame";
    std::vector<int32_t> refs;
    for (int32_t i = 1; i <= branch.Points; ++i) {
        BranchPointRec point{};
        if (B_ReadRecord(frame, i, &point) == 1) refs.push_back(point.Ref);
    }
    if (refs.size() != 5 || refs.front() != refs.back())
        return ::testing::AssertionFailure() << refs.size() << " points, not closed";
    const std::set<int32_t> corners(refs.begin(), refs.end() - 1);
    if (corners.size() != 4) return ::testing::AssertionFailure() << "a corner taken twice";
    for (const int32_t corner : corners)
        if (J_Junction(corner) == 0) return ::testing::AssertionFailure() << "junction " << corner << " missing";
    return ::testing::AssertionSuccess();
}

TEST_F(StartUpBox, ExClosesTheEditorWhileTheBoxWaits)
{
    WhileTheBoxWaits([this] { Send("PALVANE,EX"); });
    const int status = Run([](SCHMAIN&) {});
    EXPECT_EQ(boxText, kFrameBox);
    EXPECT_EQ(status, 0) << err;
    EXPECT_EQ(Errors(), "");
    EXPECT_NE(out.find("PALVANE\tSHUTDOWN"), std::string::npos) << out;
    // The design was written back, its frame as it was before the refusal.
    std::string error;
    ASSERT_TRUE(OpenDesignFile(design, error)) << error;
    EXPECT_TRUE(FrameIsWhole());
    DB_DiscardDataBase();
}

// A page command read while the box waits runs once the start-up has
// ended, not inside it.
TEST_F(StartUpBox, OtherCommandsWaitUntilTheEditorIsUp)
{
    std::string whileTheBoxWaits, atStart;
    WhileTheBoxWaits([&] {
        const int32_t page = OM_FindName(DB_PageMap(), "Blinker");
        Send("PALVANE,FS,0,0," + std::to_string(DB_CurHier()) + "," + std::to_string(page));
        Meanwhile();
        whileTheBoxWaits = g_CurPageName;
        qobject_cast<QMessageBox*>(QApplication::activeModalWidget())->button(QMessageBox::Ok)->click();
    });
    std::string shown;
    const int status = Run([&](SCHMAIN&) {
        EXPECT_TRUE(RunUntil([] { return g_CurPageName == "Blinker"; })) << g_CurPageName;
        shown = g_CurPageName;
        Send("PALVANE,EX");
    });
    EXPECT_EQ(boxText, kFrameBox);
    EXPECT_EQ(status, 0) << err;
    EXPECT_EQ(Errors(), "");
    EXPECT_EQ(whileTheBoxWaits, "Amplifier") << "the command ran inside the start-up";
    EXPECT_EQ(shown, "Blinker");
}

}  // namespace
}  // namespace palvane_test
