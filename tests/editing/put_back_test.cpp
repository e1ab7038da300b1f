// What the editor shows after an action went back: an action that switches
// the page or the level and then has a step refused leaves the editor on
// the page and level it showed before, with their names, the window
// caption, the page list, the page's frame, the view, the mode and the
// notes it edits as they were, and the message line says why. An action ended by an error goes back as well
// and its error is reported once. Every action starts as a user starts it:
// a choice in the page list, a menu command, a click on the page.
#include "editor/interaction/commands.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/caption.h"
#include "editor/shell/controls.h"
#include "editor/shell/curpos.h"
#include "editor/shell/errors.h"
#include "editor/shell/forms.h"
#include "editor/shell/menus.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/view/canvas.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "tests/editing/editing_fixture.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <climits>
#include <functional>
#include <string>
#include <vector>

namespace palvane_test {
namespace {

// Two pages of different frames on the top level, and a block whose level
// has a page of its own.
const char* const kDesign = R"(
include discrete.nls
include power.nls
unit 0.1in
design D
level MAIN
net SIG
page MAINPAGE frame 100 80
  component R1 R at 0 0
  component H1 symbol BLOCK at 30 0 child BLOCK
end
page SECOND frame 60 40
  component R2 R at 0 0
  component R3 R at 20 0
  wire SIG R2.2 R3.1
end
page BARE
  component R4 R at 0 0
end
level BLOCK
net IN1
net IN2
net OUT1
net OUT2
page F frame 80 60
  wire IN1 (-20 10) (-10 10)
  wire IN2 (-20 0) (-10 0)
  wire OUT1 (10 10) (20 10)
  wire OUT2 (10 0) (20 0)
end
)";

constexpr const char* kRefusedLine = "Not done: the kernel refused a step - the design is as it was";

// Where the design and the editor stand.
struct Shown {
    int32_t designPage = 0, designLevel = 0;
    int32_t page = 0, level = 0;
    std::string pageName, levelName, caption, pages;
    int32_t frameBranch = 0, frame[4] = {};
    bool frameValid = false;
    int32_t pageNotes = 0, designNotes = 0;
    int32_t viewX = 0, viewY = 0;
    int32_t mode = 0, notesEdited = 0;
    bool operator==(const Shown& o) const
    {
        return designPage == o.designPage && designLevel == o.designLevel && page == o.page && level == o.level && pageName == o.pageName && levelName == o.levelName &&
               caption == o.caption && pages == o.pages && frameBranch == o.frameBranch &&
               std::equal(frame, frame + 4, o.frame) && frameValid == o.frameValid && pageNotes == o.pageNotes &&
               designNotes == o.designNotes && viewX == o.viewX && viewY == o.viewY && mode == o.mode &&
               notesEdited == o.notesEdited;
    }
};

std::ostream& operator<<(std::ostream& os, const Shown& s)
{
    return os << "design on page " << s.designPage << " level " << s.designLevel << ", editor on page " << s.page
              << " '" << s.pageName << "' level " << s.level << " '" << s.levelName << "' caption '" << s.caption << "' list [" << s.pages << "] frame " << s.frameBranch << " ("
              << s.frame[0] << "," << s.frame[1] << ")-(" << s.frame[2] << "," << s.frame[3] << ")"
              << (s.frameValid ? "" : " invalid") << " notes " << s.pageNotes << "/" << s.designNotes << " view ("
              << s.viewX << "," << s.viewY << ") mode " << s.mode << " editing symbol " << s.notesEdited;
}

class PutBack : public EditingTest {
public:
    using EditingTest::CompId;
    using EditingTest::Main;
    using EditingTest::Type;
    winsys::ScriptedInteraction& Ui() { return ui; }

protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        // A refused step may make an edit say so in a box of its own.
        ui.unexpected = [](const std::string&) {};
    }
    void TearDown() override
    {
        KT_FailCall("", 0);
        SetEventErrorReporter(nullptr);
        EditingTest::TearDown();
    }

    Shown ShownNow()
    {
        SCHMAIN& m = Main();
        Shown s;
        s.designPage = DB_CurPage();
        s.designLevel = DB_CurHier();
        s.page = g_CurPage;
        s.level = g_CurHier;
        s.pageName = g_CurPageName;
        s.levelName = g_CurHierName;
        s.caption = m.Caption();
        for (int i = 0; i < m.F_Pages->ListCount(); ++i) s.pages += m.F_Pages->List(i) + ";";
        s.pages += " shown " + m.F_Pages->Text();
        s.frameBranch = g_FrameBranch;
        s.frame[0] = g_FrameX1;
        s.frame[1] = g_FrameY1;
        s.frame[2] = g_FrameX2;
        s.frame[3] = g_FrameY2;
        s.frameValid = g_FrameValid;
        s.pageNotes = g_PageNotesSymb;
        s.designNotes = g_DesNotesSymb;
        s.viewX = m.m_ViewOrgX;
        s.viewY = m.m_ViewOrgY;
        s.mode = g_CurMode;
        s.notesEdited = g_CurSymb;
        return s;
    }

    // A fresh copy of the design, shown on MAINPAGE of the top level as
    // the editor shows a design it loads.
    void Fresh()
    {
        ui.Forget();
        ASSERT_TRUE(BuildDesign(kDesign));
        ASSERT_NE(DB_SetCurHier(OM_FindName(DB_HierarchyMap(), "MAIN")), 0);
        ASSERT_NE(DB_SetCurPage(PageId("MAINPAGE")), 0);
        SCHMAIN& m = Main();
        ASSERT_TRUE(m.LoadSettings());
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
        m.RefreshCanvas();
        m.M_FSI(MODE_COMPONENTS)->Action()->trigger();
        // The user has scrolled the page a little.
        m.ViewHScroll->setValue(3);
        m.ViewVScroll->setValue(2);
        g_CurCommand = 0;
        m.F_MsgLine->SetCaption("");
        sent.clear();
    }

public:
    // The user's steps.
    void Trigger(MenuItem* item)
    {
        ASSERT_TRUE(item);
        for (QObject* owner : item->Action()->associatedObjects())
            if (auto* menu = qobject_cast<QMenu*>(owner)) emit menu->aboutToShow();
        item->Action()->trigger();
    }
    void ChoosePage(const std::string& name)
    {
        ComboBox* list = Main().F_Pages;
        for (int i = 0; i < list->ListCount(); ++i)
            if (list->List(i) == name) {
                list->setCurrentIndex(i);
                emit list->activated(i);
                return;
            }
        ADD_FAILURE() << "no page " << name << " in the list";
    }
    void ClickAt(int32_t x, int32_t y)
    {
        SCHMAIN& m = Main();
        m.OpenCanvasDC();
        int32_t p[2] = {x, y};
        G_LPtoDP(p);
        m.CloseCanvasDC();
        const QPoint at(p[0], p[1]);
        QTest::mouseMove(m.ViewPicture, at);
        QTest::mouseClick(m.ViewPicture, Qt::LeftButton, {}, at);
    }

    struct Row {
        const char* name;
        // What comes before, unrefused: the page shown, the tool chosen.
        std::function<void(PutBack&)> prepare;
        // The action, as the user starts it; its answers queued first.
        std::function<void(PutBack&)> act;
        // The kernel call that switches the page or the level.
        const char* switchCall;
    };
};

const PutBack::Row kRows[] = {
    {"page chosen in the page list", nullptr, [](PutBack& t) { t.ChoosePage("SECOND"); }, "DB_SetCurPage"},
    // Editing the page notes, the notes edited are the page's.
    {"page chosen while the page notes are edited",
     [](PutBack& t) { t.Main().M_FSI(MODE_PAGE_NOTES)->Action()->trigger(); },
     [](PutBack& t) { t.ChoosePage("SECOND"); }, "DB_SetCurPage"},
    // A page without a frame offers only the page format mode.
    {"page without a frame chosen", nullptr, [](PutBack& t) { t.ChoosePage("BARE"); }, "DB_SetCurPage"},
    {"new page made from the menu", nullptr,
     [](PutBack& t) {
         t.Type("THIRD");
         t.Trigger(t.Main().M_PageNew);
     },
     "DB_SetCurPage"},
    {"page deleted from the menu", [](PutBack& t) { t.ChoosePage("SECOND"); },
     [](PutBack& t) {
         t.Ui().ExpectMessageBox(winsys::mb::AnswerYes, "Delete Page");
         t.Trigger(t.Main().M_PageDel);
     },
     "DB_SetCurPage"},
    {"down into the block's level",
     [](PutBack& t) {
         t.Main().M_FSI(MODE_COMPONENTS)->Action()->trigger();
         QTest::mouseClick(t.Main().F_FSI(10), Qt::LeftButton);
         for (int i = 0; i <= 10; ++i) t.Main().F_OST(i)->SetValue(i == 0);
     },
     [](PutBack& t) {
         EntryRec pin{};
         ASSERT_NE(C_ReadEntry(PutBack::CompId("H1"), 1, &pin), 0);
         t.ClickAt(pin.X, pin.Y);
     },
     "DB_SetCurHier"},
};

// Each step of the action refused in turn: where the action went back, the
// editor shows what it showed before and says why on the message line;
// where it went whole, what the whole action shows. Some refusal after the
// switch puts the action back.
TEST_F(PutBack, ARefusedStepAfterASwitchShowsThePageAndLevelAsBefore)
{
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        const auto start = [&] {
            Fresh();
            if (row.prepare) row.prepare(*this);
            Main().F_MsgLine->SetCaption("");
        };
        start();
        const uint64_t before = KT_DesignDigest();
        const Shown shownBefore = ShownNow();
        KT_FailCall("+", INT32_MAX);
        row.act(*this);
        const int32_t steps = KT_CallsCounted();
        KT_FailCall("", 0);
        const uint64_t whole = KT_DesignDigest();
        const Shown shownWhole = ShownNow();
        ASSERT_NE(whole, before) << "the action changed nothing";
        ASSERT_NE(shownWhole, shownBefore) << "the action switched nothing";
        EXPECT_EQ(Main().F_MsgLine->Caption().find("Not done"), std::string::npos);

        bool switched = false, putBackAfterSwitch = false;
        for (int32_t n = 1; n <= steps; ++n) {
            start();
            KT_FailCall("+", n);
            row.act(*this);
            const std::string refused = KT_LastRefused();
            KT_FailCall("", 0);
            SCOPED_TRACE("step " + std::to_string(n) + " " + refused);
            const uint64_t after = KT_DesignDigest();
            ASSERT_TRUE(after == before || after == whole) << "half an action";
            if (after == whole) {
                EXPECT_EQ(ShownNow(), shownWhole);
            } else {
                EXPECT_EQ(ShownNow(), shownBefore);
                EXPECT_EQ(Main().F_MsgLine->Caption(), kRefusedLine);
                // The repaint that follows the put-back keeps the notice.
                QCoreApplication::processEvents();
                EXPECT_EQ(Main().F_MsgLine->Caption(), kRefusedLine);
                if (switched) putBackAfterSwitch = true;
            }
            if (refused == row.switchCall) switched = true;
        }
        EXPECT_TRUE(switched) << "the switch is no step of the action";
        EXPECT_TRUE(putBackAfterSwitch) << "no refusal after the switch put the action back";
    }
}

// The same switch, then an error that ends the action: the design, the page
// and everything shown are as before, and the error is reported once,
// without the line of a refused step.
TEST_F(PutBack, AnActionEndedByAnErrorIsPutBackAndReportedOnce)
{
    std::vector<std::pair<int, std::string>> reported;
    SetEventErrorReporter([&](int number, const std::string& text) { reported.emplace_back(number, text); });
    for (const Row& row : kRows) {
        // The page's drawing carries the error: the level's descent draws
        // nothing of its own.
        if (std::string(row.switchCall) != "DB_SetCurPage") continue;
        SCOPED_TRACE(row.name);
        Fresh();
        if (row.prepare) row.prepare(*this);
        Main().F_MsgLine->SetCaption("");
        reported.clear();
        const uint64_t before = KT_DesignDigest();
        const Shown shownBefore = ShownNow();
        // The error comes once the action has switched: at the first kernel
        // call after the switch that makes anything.
        bool raised = false;
        SCHMAIN& m = Main();
        const int32_t page = g_CurPage;
        const int32_t level = DB_CurHier();
        // The canvas repaints between the steps; the error rides on the
        // first drawing of the page after the switch.
        const int hook = m.ViewPicture->Paint.Connect([&] {
            if (raised || (DB_CurPage() == page && DB_CurHier() == level)) return;
            raised = true;
            RaiseError(errnum::InvalidCall);
        });
        row.act(*this);
        m.ViewPicture->Paint.Disconnect(hook);
        ASSERT_TRUE(raised) << "the action drew nothing after its switch";
        EXPECT_EQ(KT_DesignDigest(), before);
        EXPECT_EQ(ShownNow(), shownBefore);
        ASSERT_EQ(reported.size(), 1u);
        EXPECT_EQ(reported[0].first, errnum::InvalidCall);
        EXPECT_EQ(Main().F_MsgLine->Caption().find("Not done"), std::string::npos) << Main().F_MsgLine->Caption();
    }
}

}  // namespace
}  // namespace palvane_test
