// While an action waits for a window (the input box shown modally, the part
// dialog the main window waits on, the pause of a print run), the user's
// input on another window of the editor starts nothing: a click on the
// shortcut palette, a menu command, a function button or a key of the main
// window, a click on the page each give one beep and change nothing, and
// moving the pointer over them is no input at all. The window waited for
// works: its Accept ends the wait and the action finishes. Once it has,
// the other windows take input again. Each wait is opened the way a user
// opens it, twice in a row.
#include "tests/dialogs/insertion_fixture.h"

#include "editor/documents/schptsch.h"
#include "editor/interaction/commands.h"
#include "editor/shell/caption.h"
#include "editor/shell/menus.h"
#include "editor/shell/nvoinpbg.h"
#include "editor/shell/prefs.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "editor/view/nvoshort.h"
#include "platform/kernel/testing.h"
#include "platform/winsys/grid.h"
#include "platform/winsys/printer.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <string>

using namespace insertion_test;

namespace {

constexpr int32_t kStep = 254000;

class ActionWaits : public InsertTest {
public:
    using InsertTest::CountComps;
    using InsertTest::Main;
    using InsertTest::TypeRef;
    winsys::ScriptedInteraction& Ui() { return ui; }

protected:
    void SetUp() override
    {
        InsertTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        E_SetString("IniFile", COMPILED_DATA_DIR "/norvo32.ini");
        winsys::Printer::Get().SetOutputFile(dir.filePath("print.pdf").toStdString());
        SCHMAIN& m = Main();
        ASSERT_TRUE(m.LoadSettings());
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
        m.M_FSI(MODE_COMPONENTS)->Action()->trigger();
        ASSERT_EQ(g_CurMode, MODE_COMPONENTS);
        // The palette holds one function of the mode, not the one chosen.
        ModeToolsRec& tools = ModeTools(MODE_COMPONENTS);
        for (int f = 1; f < kToolCount && paletteFunc < 0; ++f)
            if (tools.Funcs.at(f).Avail && f != tools.SelFunc) paletteFunc = f;
        ASSERT_GT(paletteFunc, 0);
        tools.Funcs.at(paletteFunc).Shortcut = "pf";
        g_ShortCuts.Redim(0, 1);
        g_ShortCuts(1) = {MODE_COMPONENTS, paletteFunc};
        m.M_Short->SetEnabled(true);
        Trigger(m.M_Short);
        ASSERT_TRUE(FormInstance<NVOSHORT>().Visible());
    }
    void TearDown() override
    {
        FormInstance<NVOSHORT>().Unload();
        SchptschForm().Unload();
        winsys::Printer::Get().EndDoc();
        winsys::Printer::Get().SetOutputFile("");
        InsertTest::TearDown();
    }

public:
    static void Trigger(MenuItem* item)
    {
        ASSERT_TRUE(item);
        for (QObject* owner : item->Action()->associatedObjects())
            if (auto* menu = qobject_cast<QMenu*>(owner)) emit menu->aboutToShow();
        item->Action()->trigger();
    }
    QPoint Pixel(int32_t x, int32_t y)
    {
        SCHMAIN& m = Main();
        m.OpenCanvasDC();
        int32_t p[2] = {x, y};
        G_LPtoDP(p);
        m.CloseCanvasDC();
        return {p[0], p[1]};
    }
    void ClickPage(double stepsX, double stepsY)
    {
        const QPoint at = Pixel(static_cast<int32_t>(stepsX * kStep), static_cast<int32_t>(stepsY * kStep));
        QTest::mouseMove(Main().ViewPicture, at);
        QTest::mouseClick(Main().ViewPicture, Qt::LeftButton, {}, at);
    }
    RibbonButton* PaletteButton() { return FormInstance<NVOSHORT>().F_FSI()(1); }

protected:
    int Beeps() const
    {
        return static_cast<int>(
            std::count_if(ui.asked().begin(), ui.asked().end(), [](const auto& a) { return a.kind == "Beep"; }));
    }
    int WindowsShown() const
    {
        return static_cast<int>(std::count_if(ui.asked().begin(), ui.asked().end(), [](const auto& a) {
            return a.kind == "ShowModal" || a.kind == "ShowAndWait" || a.kind == "MessageBox";
        }));
    }

    // What input on another window could change.
    struct State {
        uint64_t design = 0;
        int32_t page = 0, mode = 0, function = 0;
        std::string pageShown;
        std::string functionsPressed;
        bool paletteButton = false;
        int windows = 0;
        bool operator==(const State&) const = default;
    };
    State Now()
    {
        SCHMAIN& m = Main();
        State s{KT_DesignDigest(), g_CurPage, g_CurMode, ModeTools(g_CurMode).SelFunc, m.F_Pages->Text(), {},
                PaletteButton()->Value(), WindowsShown()};
        for (int f = 0; f < kToolCount; ++f) s.functionsPressed += m.F_FSI(f)->Value() ? '1' : '0';
        return s;
    }

    // Input on the other windows while the action waits: each click or key
    // one beep, nothing changed; pointer moves no beep.
    void TryOtherWindows()
    {
        SCHMAIN& m = Main();
        struct Input {
            const char* name;
            std::function<void()> give;
            int beeps;
        };
        const int32_t otherFunc = paletteFunc == 2 ? 3 : 2;
        const Input inputs[] = {
            {"a click on the palette", [&] { QTest::mouseClick(PaletteButton(), Qt::LeftButton); }, 1},
            {"a menu command of the main window", [&] { m.M_PageNew->Action()->trigger(); }, 1},
            {"a click on a function button of the main window",
             [&] { QTest::mouseClick(m.F_FSI(otherFunc), Qt::LeftButton); }, 1},
            {"a key on the page list of the main window", [&] { QTest::keyClick(m.F_Pages, Qt::Key_Down); }, 1},
            {"a click on the page", [&] { ClickPage(-30, -20); }, 1},
            {"the pointer moved over the page and the palette",
             [&] {
                 QTest::mouseMove(m.ViewPicture, Pixel(0, 0));
                 QTest::mouseMove(m.ViewPicture, Pixel(5 * kStep, 5 * kStep));
                 QTest::mouseMove(PaletteButton(), QPoint(2, 2));
             },
             0},
        };
        for (const Input& input : inputs) {
            SCOPED_TRACE(input.name);
            const State before = Now();
            const int beeps = Beeps();
            input.give();
            EXPECT_EQ(Beeps() - beeps, input.beeps);
            const State after = Now();
            EXPECT_EQ(after.design, before.design) << "the design changed";
            EXPECT_EQ(after.page, before.page);
            EXPECT_EQ(after.pageShown, before.pageShown) << "the page list shows another page";
            EXPECT_EQ(after.mode, before.mode);
            EXPECT_EQ(after.function, before.function);
            EXPECT_EQ(after.functionsPressed, before.functionsPressed) << "the function buttons changed";
            EXPECT_EQ(after.paletteButton, before.paletteButton) << "the palette's button changed";
            EXPECT_EQ(after.windows, before.windows) << "a window opened";
        }
        ++tried;
    }

public:
    struct Wait {
        const char* name;
        // Opens the window as the user does; `during` runs while the action
        // waits for it, then the window's Accept is used. Returns once the
        // action has finished.
        std::function<void(ActionWaits&, const std::function<void()>& during)> run;
        // What the accepted action made.
        std::function<void(ActionWaits&, int round)> check;
    };

    QTemporaryDir dir;
    int32_t paletteFunc = -1;
    int tried = 0;
    int compsAtStart = 0;
    int printSheets = 0, printPauses = 0;
};

const ActionWaits::Wait kWaits[] = {
    {"the input box of a new page (a modal window)",
     [](ActionWaits& t, const std::function<void()>& during) {
         t.Ui().ExpectModal("NvoInpBG", [during](QWidget*) {
             during();
             NvoInpBG& box = FormInstance<NvoInpBG>();
             box.InpText()->SetText("ADDED");
             QTest::mouseClick(box.InpOK(), Qt::LeftButton);
         });
         ActionWaits::Trigger(t.Main().M_PageNew);
     },
     [](ActionWaits& t, int) {
         EXPECT_NE(OM_FindName(DB_PageMap(), "ADDED"), 0);
         EXPECT_EQ(g_CurPageName, "ADDED");
         // The next round makes it again.
         t.Ui().ExpectMessageBox(winsys::mb::AnswerYes, "Delete Page");
         t.Main().M_PageDel_Click();
         EXPECT_EQ(OM_FindName(DB_PageMap(), "ADDED"), 0);
     }},
    {"the part dialog (the main window waits)",
     [](ActionWaits& t, const std::function<void()>& during) {
         t.Ui().ExpectModeless("SCHICMPD", [during](QWidget*) {
             during();
             SCHICMPD& d = FormInstance<SCHICMPD>();
             ActionWaits::TypeRef(d, "R");
             QTest::mouseClick(d.F_Accept(), Qt::LeftButton);
         });
         QTest::mouseClick(t.Main().F_FSI(0), Qt::LeftButton);
         t.Main().F_OST(0)->SetValue(false);
         t.ClickPage(-30, -20);
     },
     [](ActionWaits& t, int round) {
         EXPECT_EQ(ActionWaits::CountComps(), t.compsAtStart + 1 + round);
         // The part follows the pointer until a click puts it down.
         t.ClickPage(-30 + 10 * round, -20);
         EXPECT_EQ(g_CurCommand, 0);
     }},
    {"the pause of a print run (a wait in the print window)",
     [](ActionWaits& t, const std::function<void()>& during) {
         t.Ui().ExpectModal("SCHPTSCH", [&t, during](QWidget*) {
             SCHPTSCH& form = SchptschForm();
             form.F_PrintPageSetup->SetRow(0);
             form.F_PrintPageSetup->SetCol(0);
             form.F_PrintPageSetup_Click();
             // At full size the page takes several sheets, with a pause
             // after each.
             t.Ui().ExpectPrintScale([](winsys::PrintScaleRequest& r) {
                 r.numerator = 1;
                 r.denominator = 1;
                 return true;
             });
             form.F_Set_Click();
             form.F_Accept_Click();
             t.printSheets = g_PrintPages(1).Sheets;
             form.F_Pause->SetValue(1);
             t.printPauses = 0;
             QTimer poll;
             QObject::connect(&poll, &QTimer::timeout, [&] {
                 if (!form.WaitingForContinue() || !form.F_Restart->isEnabled()) return;
                 if (t.printPauses++ == 0) during();
                 QTest::mouseClick(form.F_Restart, Qt::LeftButton);
             });
             poll.start(5);
             QTest::mouseClick(form.F_Print, Qt::LeftButton);
             poll.stop();
             QTest::mouseClick(form.F_Close, Qt::LeftButton);
         });
         ActionWaits::Trigger(t.Main().M_PrintSchd);
     },
     [](ActionWaits& t, int) {
         // Continue went on with the next sheet each time: one document a
         // sheet.
         EXPECT_GE(t.printSheets, 2);
         EXPECT_EQ(t.printPauses, t.printSheets);
         EXPECT_EQ(winsys::Printer::Get().DocumentsEnded(), t.printSheets);
     }},
};

TEST_F(ActionWaits, InputOnOtherWindowsIsRefusedAndTheWindowWaitedForWorks)
{
    SCHMAIN& m = Main();
    const int32_t pages = OM_GetCount(DB_PageMap());
    compsAtStart = CountComps();
    for (const Wait& wait : kWaits) {
        SCOPED_TRACE(wait.name);
        for (int round = 0; round < 2; ++round) {
            SCOPED_TRACE("round " + std::to_string(round + 1));
            tried = 0;
            wait.run(*this, [this] { TryOtherWindows(); });
            EXPECT_EQ(tried, 1) << "the action did not wait";
            wait.check(*this, round);
            // The refused Page > New Page made none.
            EXPECT_EQ(OM_GetCount(DB_PageMap()), pages);
            // The wait is over: the palette's button presses its function.
            const int beeps = Beeps();
            QTest::mouseClick(PaletteButton(), Qt::LeftButton);
            EXPECT_EQ(Beeps(), beeps);
            EXPECT_TRUE(m.F_FSI(paletteFunc)->Value());
            QTest::mouseClick(PaletteButton(), Qt::LeftButton);
            m.M_FSI(MODE_COMPONENTS)->Action()->trigger();
        }
    }
    EXPECT_EQ(ui.pending(), 0u);
}

}  // namespace
