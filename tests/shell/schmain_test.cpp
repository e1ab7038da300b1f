// The main window's frame: every control in place, the menu bar, the
// layout for the display switches, the question popup, a failing event
// procedure, and screenshots of the window and its menus.
#include "editor/interaction/commands.h"
#include "editor/shell/clspalvane.h"
#include "editor/shell/controls.h"
#include "editor/shell/forms.h"
#include "editor/shell/menus.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "platform/winsys/devices.h"
#include "tests/support/editor_fixture.h"
#include "tests/support/raster.h"
#include "tests/support/screenshot.h"

#include <QAction>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>

#include <string>
#include <vector>

namespace {

using MainWindow = palvane_test::EditorTest;

TEST_F(MainWindow, HasEveryControlOfEverySubsystem)
{
    SCHMAIN& main = Main();
    // Single controls, by name.
    const char* singles[] = {
        "Label1", "Label2", "Label3", "Label4", "Label5", "Label6",
        "ViewPicture", "F_PICView", "ViewHScroll", "ViewVScroll", "F_MenuPan", "ZoomCombo", "RedrawBtn",
        "ZoomMode", "GridCheck3D", "F_Tsizes", "F_Tsize", "F_Pages", "F_Xpos", "F_Ypos", "F_FSIPan", "F_OSTPan",
        "F_FrmCmd", "F_Bitm", "F_Short", "M_Color", "M_Style", "M_Short", "M_Tbar", "M_Sbars", "M_Tpan",
        "M_ViewPort", "M_InstName", "M_SRatsnest", "M_NRatsnest", "M_Coords", "M_HierStack", "M_HierStructure",
        "M_Nodes", "M_Ratsnest", "M_Pnotes", "M_Dnotes", "M_Bitmaps", "M_Entry", "M_Mono", "M_Unit", "M_Inches",
        "M_Mm", "M_Help",
        "F_MsgLine", "F_Busy", "P_FSI", "M_Edit",
        "M_Conf", "M_Query", "M_Yes", "M_No",
        "M_Auto", "M_Apack", "M_Aplace", "M_AutPlcGrdPrefix", "M_AutPlcOrntPrefix", "M_AutPlcGlbPara",
        "M_AutPlcExecute", "M_Aroute", "M_APlcPtrns", "M_PlcCellOff",
        "M_File", "M_Tsave", "M_Tload", "M_SaveDnotes", "M_LoadDnotes", "M_SavePnotes", "M_LoadPnotes", "M_Scopy",
        "M_Exit", "M_Page", "M_PageNew", "M_PageClean", "M_PageRen", "M_PageDel", "M_Print", "M_Psetup",
        "M_PrintSchd", "M_PageO", "F_Psetup", "F_ComDlg",
    };
    for (const char* name : singles) EXPECT_NE(main.FindControl(name), nullptr) << name;

    // Control arrays, by their index ranges.
    const struct {
        const char* name;
        std::vector<int> indexes;
        size_t count;
    } arrays[] = {
        {"F_FSI", {0, 10}, 11}, {"F_OST", {0, 10}, 11},     {"cmdMagnify", {0, 1}, 2},
        {"F_GridSnap", {0, 2}, 3}, {"M_FSI", {1, 10}, 10},  {"M_Imap", {1, 6}, 6},
        {"M_Scolor", {0, 31}, 32}, {"M_Ccolor", {32, 32}, 1}, {"M_DrawStyle", {0, 4}, 5},
        {"M_XYMeasure", {0, 2}, 3}, {"M_TcModeSLN", {1, 2}, 2}, {"M_PlcCell", {1, 4}, 4},
        {"P_OST", {1, 11}, 11},
    };
    for (const auto& a : arrays) {
        size_t count = 0;
        for (const Form::ControlEntry& c : main.Controls())
            if (c.name == a.name) ++count;
        EXPECT_EQ(count, a.count) << a.name;
        EXPECT_NE(main.FindControl(a.name, a.indexes.front()), nullptr) << a.name;
        EXPECT_NE(main.FindControl(a.name, a.indexes.back()), nullptr) << a.name;
    }
    EXPECT_EQ(main.F_FSI.Count(), 11u);
    EXPECT_EQ(main.F_OST.UBound(), 10);
    EXPECT_EQ(main.M_FSI(2)->Caption(), "&Wires&&Buses");
    EXPECT_EQ(ControlTag(main.M_Yes), "991426");
    EXPECT_EQ(ControlTag(main.M_No), "99938");
    EXPECT_EQ(ControlTag(main.M_Aroute), "1328");
    EXPECT_EQ(main.ZoomMode->ListCount(), 4);
    EXPECT_EQ(main.ZoomMode->List(3), "Component");
    EXPECT_EQ(main.F_GridSnap(1)->toolTip().toStdString(), "Snap step");
    // The hidden command fields and the popup stay out of sight.
    EXPECT_FALSE(main.F_FrmCmd->isVisible());
    EXPECT_FALSE(main.F_Short->isVisible());
    EXPECT_FALSE(main.F_PICView->isVisible());
}

TEST_F(MainWindow, MenuBarInHelpOrder)
{
    auto* window = qobject_cast<QMainWindow*>(Main().Window());
    ASSERT_NE(window, nullptr);
    std::vector<std::string> titles;
    for (QAction* a : window->menuBar()->actions()) titles.push_back(a->text().toStdString());
    EXPECT_EQ(titles, (std::vector<std::string>{"&File", "&Page", "&Colour", "&Style", "&Mode", "&Options", "&Auto",
                                                "&Database", "&View", "&Unit", "&Help"}));
    // The question popup is no menu of the bar.
    EXPECT_EQ(Main().M_Conf->Menu()->parentWidget(), window);
    for (QAction* a : window->menuBar()->actions()) EXPECT_NE(a->menu(), Main().M_Conf->Menu());
}

TEST_F(MainWindow, StartsWithItsSwitchesAndCheckMarks)
{
    SCHMAIN& main = Main();
    EXPECT_EQ(main.m_ShowToolbar, 1);
    EXPECT_EQ(main.m_ShowSettingsPanel, 1);
    EXPECT_EQ(main.m_ShowScrollBars, 1);
    EXPECT_TRUE(main.M_Tbar->Checked());
    EXPECT_TRUE(main.M_Tpan->Checked());
    EXPECT_TRUE(main.M_Sbars->Checked());
    EXPECT_EQ(main.m_ToolHelpOn, -1);
    EXPECT_TRUE(main.KeyPreview);
    EXPECT_EQ(main.m_MinWidth, 1024 * 15);
    // The function buttons form one radio group.
    main.F_FSI(3)->SetValue(true);
    main.F_FSI(5)->SetValue(true);
    EXPECT_FALSE(main.F_FSI(3)->Value());
    EXPECT_TRUE(main.F_FSI(5)->Value());
}

// The layout for each combination of the three display switches: settings
// panel across the top, toolbar and option panel on the left, canvas, scroll
// bars, and the status row spanning exactly the canvas's width.
TEST_F(MainWindow, LayoutFollowsTheDisplaySwitches)
{
    SCHMAIN& main = Main();
    QWidget* client = main.ClientWidget();
    const int gap = 3;
    for (int s : {0, 1})
        for (int tb : {0, 1})
            for (int sp : {0, 1}) {
                main.m_ShowScrollBars = s;
                main.m_ShowToolbar = tb;
                main.m_ShowSettingsPanel = sp;
                main.Window()->resize(1100 + 4 * s + 2 * tb + sp, 760);  // every pass lays out anew
                const std::string where = "S=" + std::to_string(s) + " TB=" + std::to_string(tb) +
                                          " SP=" + std::to_string(sp);
                const int W0 = client->width(), H0 = client->height();
                const int hM = main.F_MenuPan->height();
                const int wF = main.F_FSIPan->width(), wO = main.F_OSTPan->width();
                EXPECT_EQ(main.F_MenuPan->isVisible(), sp == 1) << where;
                EXPECT_EQ(main.F_FSIPan->isVisible(), tb == 1) << where;
                EXPECT_TRUE(main.F_OSTPan->isVisible()) << where;
                EXPECT_EQ(main.F_OSTPan->x(), 1 + wF * tb) << where;
                EXPECT_EQ(main.F_OSTPan->y(), hM * sp) << where;
                const QRect canvas = main.ViewPicture->geometry();
                EXPECT_EQ(canvas.left(), wF * tb + wO + 1) << where;
                EXPECT_EQ(canvas.width(), W0 - (wF * tb + gap + wO + 17 * s) - gap * (1 - s)) << where;
                EXPECT_EQ(main.ViewHScroll->isVisible(), s == 1) << where;
                EXPECT_EQ(main.ViewVScroll->isVisible(), s == 1) << where;
                if (s) {
                    EXPECT_EQ(main.ViewVScroll->geometry().right(), W0 - 1) << where;
                    EXPECT_EQ(main.ViewHScroll->geometry().left(), canvas.left()) << where;
                    EXPECT_EQ(main.ViewHScroll->width(), canvas.width()) << where;
                    EXPECT_LE(canvas.bottom(), main.ViewHScroll->y()) << where;
                }
                // The status row ends at the client's bottom and spans the canvas.
                EXPECT_EQ(main.F_MsgLine->geometry().bottom(), H0 - 1) << where;
                EXPECT_EQ(main.F_Xpos->x(), canvas.left()) << where;
                EXPECT_EQ(main.F_MsgLine->geometry().right(), canvas.right()) << where;
                // The canvas image follows its size.
                EXPECT_EQ(main.ViewPicture->Image().size(), canvas.size()) << where;
            }
}

TEST_F(MainWindow, SettingsPanelScalesWithTheWindow)
{
    SCHMAIN& main = Main();
    main.Window()->resize(1024, 720);
    const QRect zoomBefore = main.ZoomCombo->geometry();
    const QRect pagesBefore = main.F_Pages->geometry();
    const int magnifierWidth = main.cmdMagnify(0)->width();
    const int panelBefore = main.F_MenuPan->width();
    main.Window()->resize(1536, 720);
    const double r = static_cast<double>(main.F_MenuPan->width()) / panelBefore;
    EXPECT_NEAR(main.ZoomCombo->width(), zoomBefore.width() * r, 1.5);
    EXPECT_NEAR(main.F_Pages->x(), pagesBefore.x() * r, 1.5);
    EXPECT_EQ(main.ZoomCombo->height(), zoomBefore.height());
    EXPECT_EQ(main.cmdMagnify(0)->width(), magnifierWidth);
    EXPECT_EQ(main.cmdMagnify(0)->x(), main.cmdMagnify(1)->x());
    EXPECT_LT(main.cmdMagnify(0)->geometry().right(), main.RedrawBtn->x());
    EXPECT_GT(main.cmdMagnify(0)->x(), main.ZoomCombo->geometry().right());
}

// An event procedure of the main window that fails is reported; the window
// stays loaded, enabled and working.
TEST_F(MainWindow, FailingMenuProcedureLeavesTheWindowUsable)
{
    SCHMAIN& main = Main();
    std::vector<int> reported;
    SetEventErrorReporter([&](int number, const std::string&) { reported.push_back(number); });
    main.M_Help->Click.Connect([] { RaiseError(errnum::SubscriptOutOfRange); });
    int cells = 0;
    main.M_PlcCell(2)->Click.Connect([&] { ++cells; });

    main.M_Help->Action()->trigger();
    EXPECT_EQ(reported, (std::vector<int>{9}));
    EXPECT_TRUE(main.IsLoaded());
    EXPECT_TRUE(main.Window()->isVisible());
    EXPECT_TRUE(main.Window()->isEnabled());
    // In the pattern mode the cells menu procedure leaves the menu alone.
    g_CurMode = MODE_PLACEMENT_PATTERNS;
    main.M_PlcCell(2)->Action()->trigger();
    main.M_Help->Action()->trigger();
    EXPECT_EQ(cells, 1);
    EXPECT_EQ(reported.size(), 2u);
    // The check mark stays the procedures' business.
    EXPECT_FALSE(main.M_PlcCell(2)->Checked());
    EXPECT_FALSE(main.M_PlcCell(2)->Action()->isChecked());
    SetEventErrorReporter(nullptr);
}

TEST_F(MainWindow, QuestionPopupAnswersThroughItsItems)
{
    SCHMAIN& main = Main();
    std::vector<std::string> answers;
    main.M_Yes->Click.Connect([&] { answers.push_back("yes"); });
    main.M_No->Click.Connect([&] { answers.push_back("no"); });
    main.M_Query->SetCaption("Delete net N$12?");
    ui.ExpectPopupMenu("No", "Delete net N$12?");
    ui.ExpectPopupMenu("Yes", "Delete net");
    winsys::Ui().PopupMenu(main.M_Conf->Menu(), main.ViewPicture->mapToGlobal(QPoint(40, 30)));
    winsys::Ui().PopupMenu(main.M_Conf->Menu(), main.ViewPicture->mapToGlobal(QPoint(40, 30)));
    EXPECT_EQ(answers, (std::vector<std::string>{"no", "yes"}));
}

TEST_F(MainWindow, HiddenCommandFieldRaisesChangeOncePerWrite)
{
    SCHMAIN& main = Main();
    std::vector<std::string> seen;
    main.F_FrmCmd->Change.Connect([&] { seen.push_back(main.F_FrmCmd->Text()); });
    // Writers empty the field first so that the same command is heard twice.
    for (const char* text : {"", "C19", "C19", "", "C19", "C6"}) main.F_FrmCmd->SetText(text);
    EXPECT_EQ(seen, (std::vector<std::string>{"C19", "", "C19", "C6"}));
}

// Drags the window system carries over the tool panels: the mode's prompt
// over a panel, an option's help over its button, the selected function's
// help on a drop there; a panel takes no drop.
TEST_F(MainWindow, DragsOverTheToolPanelsShowTheirHelp)
{
    SCHMAIN& main = Main();
    main.ConnectPanelDrags();
    const auto filters = main.F_OST(3)->children().size();
    main.ConnectPanelDrags();  // a second call changes nothing
    EXPECT_EQ(main.F_OST(3)->children().size(), filters);
    const int32_t mode = g_CurMode;
    g_CurMode = MODE_WIRES;
    ModeToolsRec& tools = ModeTools(MODE_WIRES);
    const ModeToolsRec saved = tools;
    tools.ModeHelp = "the mode";
    tools.Funcs.at(tools.SelFunc).Help = "the function";
    tools.Funcs.at(tools.SelFunc).Opts.at(3).Help = "option three";
    // A button the mode offers: a disabled one hands its drags to its panel.
    main.F_OST(3)->setEnabled(true);
    main.F_OST(3)->show();
    QMimeData mime;
    mime.setText("dragged");
    auto message = [&main] { return main.F_MsgLine->Caption(); };

    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(main.F_FSIPan, &enter);
    EXPECT_EQ(message(), " the mode");
    EXPECT_TRUE(enter.isAccepted());
    main.ShowMessage("");
    // The window system moves and drops only onto a control the drag has
    // entered.
    QDragEnterEvent enterPanel(QPoint(3, 3), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(main.F_OSTPan, &enterPanel);
    QDragMoveEvent overPanel(QPoint(3, 3), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(main.F_OSTPan, &overPanel);
    EXPECT_EQ(message(), " the mode");
    QDragEnterEvent enterOption(QPoint(3, 3), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(main.F_OST(3), &enterOption);
    QDragMoveEvent overOption(QPoint(3, 3), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(main.F_OST(3), &overOption);
    EXPECT_EQ(message(), " option three");
    QDropEvent drop(QPointF(3, 3), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(main.F_OST(3), &drop);
    EXPECT_EQ(message(), " the function");
    EXPECT_TRUE(drop.isAccepted());
    main.ShowMessage("");
    QDragEnterEvent enterPanelAgain(QPoint(3, 3), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(main.F_OSTPan, &enterPanelAgain);
    main.ShowMessage("");
    QDropEvent onPanel(QPointF(3, 3), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(main.F_OSTPan, &onPanel);
    EXPECT_FALSE(onPanel.isAccepted());
    EXPECT_EQ(message(), " ");

    tools = saved;
    g_CurMode = mode;
}

TEST_F(MainWindow, CanvasesAreDevicesOfTheirOwn)
{
    SCHMAIN& main = Main();
    const winsys::Device* canvas = winsys::FindDevice(main.ViewPicture->DeviceHandle());
    const winsys::Device* viewport = winsys::FindDevice(main.F_PICView->DeviceHandle());
    ASSERT_NE(canvas, nullptr);
    ASSERT_NE(viewport, nullptr);
    EXPECT_NE(main.ViewPicture->DeviceHandle(), main.F_PICView->DeviceHandle());
    EXPECT_EQ(canvas->image, &main.ViewPicture->Image());
    EXPECT_EQ(viewport->image, &main.F_PICView->Image());
}

// Screenshots of the frame, the viewport shown, and every menu of the bar
// and the popup; each picture is looked at for what must be there.
TEST_F(MainWindow, Screenshots)
{
    SCHMAIN& main = Main();
    auto* window = qobject_cast<QMainWindow*>(main.Window());
    window->resize(1200, 760);
    QApplication::processEvents();
    const std::string frame = palvane_test::SaveScreenshot(window, "main-window");
    ASSERT_FALSE(frame.empty());
    const QImage picture(QString::fromStdString(frame));
    ASSERT_FALSE(picture.isNull());
    // The canvas shows its back colour across most of its area.
    const QPoint canvasAt = main.ViewPicture->mapTo(window, QPoint(0, 0));
    const QImage canvasPart = picture.copy(QRect(canvasAt, main.ViewPicture->size()));
    EXPECT_GT(palvane_test::CountPixels(canvasPart, main.ViewPicture->BackColor().rgb()),
              canvasPart.width() * canvasPart.height() * 9 / 10);

    main.F_PICView->show();
    EXPECT_FALSE(palvane_test::SaveScreenshot(window, "main-window-viewport").empty());
    main.F_PICView->hide();

    for (QAction* a : window->menuBar()->actions()) {
        std::string name = a->text().toStdString();
        std::erase(name, '&');
        const std::string path = palvane_test::SaveMenuScreenshot(a->menu(), "menu-" + name);
        EXPECT_FALSE(path.empty()) << name;
        EXPECT_GT(QFileInfo(QString::fromStdString(path)).size(), 0) << name;
    }
    EXPECT_FALSE(palvane_test::SaveMenuScreenshot(main.M_Aplace->Menu(), "menu-Auto-Autoplace").empty());
    EXPECT_FALSE(palvane_test::SaveMenuScreenshot(main.M_ScolorMenu->Menu(), "menu-Colour-Palette").empty());
    main.M_Query->SetCaption("Delete net N$12?");
    EXPECT_FALSE(palvane_test::SaveMenuScreenshot(main.M_Conf->Menu(), "menu-question").empty());
}

}  // namespace
