// SCHMAIN's window: the controls, how they are built and how their events
// reach the window's event procedures.
#include "editor/shell/schmain.h"

#include "editor/shell/common_dialog.h"
#include "editor/shell/controls.h"
#include "editor/shell/menus.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain_design.h"
#include "editor/shell/scope_guard.h"
#include "editor/view/canvas.h"
#include "platform/winsys/nested_runs.h"

#include <QMainWindow>
#include <QRect>
#include <QVariant>

using namespace schmain_design;

namespace {

// Places a settings-panel control at its design position and keeps that
// position for the layout's scaling.
void Design(QWidget* control, int x, int width, int top = kFieldTop, int height = kFieldHeight)
{
    const QRect geometry(x, top, width, height);
    control->setGeometry(geometry);
    control->setProperty(kDesignGeometry, geometry);
}

constexpr QFrame::Shape kStatusShape = QFrame::Panel;

}  // namespace

std::unique_ptr<QWidget> SCHMAIN::CreateWindow()
{
    auto window = std::make_unique<QMainWindow>();
    mainWindow_ = window.get();
    window->resize(kWindowWidth, kWindowHeight);
    window->setMinimumSize(kWindowWidth / 2, kWindowHeight / 2);

    CreateMenus(window.get());

    clientArea_ = new QWidget(window.get());
    clientArea_->setObjectName("ClientArea");
    window->setCentralWidget(clientArea_);

    CreateSettingsPanel(clientArea_);
    CreateToolPanels(clientArea_);
    CreateCanvasAndStatus(clientArea_);
    CreateHiddenFields(clientArea_);

    F_Psetup = new CommonDialog(window.get());
    AddControl(F_Psetup, "F_Psetup");
    F_ComDlg = new CommonDialog(window.get());
    AddControl(F_ComDlg, "F_ComDlg");

    P_FSI = new PictureClip(window.get());
    AddControl(P_FSI, "P_FSI");
    for (int mode = 1; mode <= 11; ++mode) {
        auto* clip = new PictureClip(window.get());
        P_OST.Add(mode, clip);
        AddControl(clip, "P_OST", mode);
    }
    return window;
}

void SCHMAIN::CreateSettingsPanel(QWidget* client)
{
    F_MenuPan = new Panel(client);
    AddControl(F_MenuPan, "F_MenuPan");
    F_MenuPan->setGeometry(1, 0, kMenuPanWidth, kMenuPanHeight);
    F_MenuPan->MouseDown.Connect([this](int b, int s, double x, double y) { F_MenuPan_MouseDown(b, s, x, y); });

    auto label = [&](Label*& field, const char* name, const char* caption, int x, int width) {
        field = new Label(caption, F_MenuPan);
        field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        AddControl(field, name);
        Design(field, x, width);
    };
    auto combo = [&](const char* name, int index, int x, int width, bool editable) {
        auto* box = new ComboBox(F_MenuPan);
        box->setEditable(editable);
        box->setInsertPolicy(QComboBox::NoInsert);
        AddControl(box, name, index);
        Design(box, x, width);
        return box;
    };

    label(Label1, "Label1", "Zoom:", 4, 40);
    ZoomCombo = combo("ZoomCombo", -1, 46, 88, true);
    ZoomCombo->setToolTip("Zoom: display units per pixel");
    ZoomCombo->Click.Connect([this] { ZoomCombo_Click(); });
    ZoomCombo->KeyPress.Connect([this](int& k) { ZoomCombo_KeyPress(k); });
    ZoomCombo->LostFocus.Connect([this] { ZoomCombo_LostFocus(); });

    // The two magnifier buttons stand one above the other.
    const char* magnify[2][2] = {{"+", "Zoom in"}, {"-", "Zoom out"}};
    for (int i = 0; i < 2; ++i) {
        auto* button = new CommandButton(magnify[i][0], F_MenuPan);
        button->setToolTip(magnify[i][1]);
        button->setFocusPolicy(Qt::NoFocus);
        button->setStyleSheet("QPushButton { padding: 0px; font-weight: bold; }");
        cmdMagnify.Add(i, button);
        AddControl(button, "cmdMagnify", i);
        Design(button, 138, 24, kFieldTop + i * (kFieldHeight / 2), kFieldHeight / 2);
        button->MouseDown.Connect(
            [this, i](int b, int s, double x, double y) { cmdMagnify_MouseDown(i, b, s, x, y); });
    }

    RedrawBtn = new CommandButton("Redraw", F_MenuPan);
    RedrawBtn->setFocusPolicy(Qt::NoFocus);
    AddControl(RedrawBtn, "RedrawBtn");
    Design(RedrawBtn, 166, 58);
    RedrawBtn->Click.Connect([this] { RedrawBtn_Click(); });

    ZoomMode = combo("ZoomMode", -1, 228, 96, false);
    for (const char* item : {"Current", "Center", "Page", "Component"}) ZoomMode->AddItem(item);
    ZoomMode->setToolTip("Zoom mode");
    ZoomMode->Click.Connect([this] { ZoomMode_Click(); });
    ZoomMode->KeyPress.Connect([this](int& k) { ZoomMode_KeyPress(k); });
    ZoomMode->LostFocus.Connect([this] { ZoomMode_LostFocus(); });

    GridCheck3D = new CheckBox("Grid:", F_MenuPan);
    GridCheck3D->setLayoutDirection(Qt::RightToLeft);
    AddControl(GridCheck3D, "GridCheck3D");
    Design(GridCheck3D, 330, 50);
    GridCheck3D->Click.Connect([this] { GridCheck3D_Click(); });

    const int gridX[3] = {382, 498, 618};
    const char* gridTips[3] = {"Grid step", "Snap step", "Angle step"};
    for (int i = 0; i < 3; ++i) {
        if (i == 1) label(Label2, "Label2", "Snap:", 456, 40);
        if (i == 2) label(Label3, "Label3", "Angle:", 572, 44);
        ComboBox* box = combo("F_GridSnap", i, gridX[i], i == 2 ? 56 : 70, true);
        box->setToolTip(gridTips[i]);
        F_GridSnap.Add(i, box);
        box->Click.Connect([this, i] { F_GridSnap_Click(i); });
        box->KeyPress.Connect([this, i](int& k) { F_GridSnap_KeyPress(i, k); });
        box->LostFocus.Connect([this, i] { F_GridSnap_LostFocus(i); });
    }

    label(Label4, "Label4", "Line:", 678, 32);
    F_Tsizes = combo("F_Tsizes", -1, 712, 70, true);
    F_Tsizes->setToolTip("Line width of new items");
    F_Tsizes->Click.Connect([this] { F_Tsizes_Click(); });
    F_Tsizes->KeyPress.Connect([this](int& k) { F_Tsizes_KeyPress(k); });
    F_Tsizes->LostFocus.Connect([this] { F_Tsizes_LostFocus(); });

    label(Label5, "Label5", "Text:", 786, 32);
    F_Tsize = combo("F_Tsize", -1, 820, 76, true);
    F_Tsize->setToolTip("Text size of new texts");
    F_Tsize->Click.Connect([this] { F_Tsize_Click(); });
    F_Tsize->KeyPress.Connect([this](int& k) { F_Tsize_KeyPress(k); });
    F_Tsize->LostFocus.Connect([this] { F_Tsize_LostFocus(); });

    label(Label6, "Label6", "Page:", 900, 36);
    F_Pages = combo("F_Pages", -1, 938, 82, true);
    F_Pages->setToolTip("Current page");
    F_Pages->Click.Connect([this] { F_Pages_Click(); });
    F_Pages->KeyPress.Connect([this](int& k) { F_Pages_KeyPress(k); });
    F_Pages->LostFocus.Connect([this] { F_Pages_LostFocus(); });
}

void SCHMAIN::CreateToolPanels(QWidget* client)
{
    auto panel = [&](Panel*& field, const char* name) {
        field = new Panel(client);
        AddControl(field, name);
        field->resize(kButtonSize + kPanelPad, 11 * kButtonStep + 2 * kButtonTop);
    };
    auto buttons = [&](Panel* in, ControlArray<RibbonButton>& array, const char* name) {
        for (int i = 0; i <= 10; ++i) {
            auto* button = new RibbonButton(in);
            button->setGeometry(1, kButtonTop + i * kButtonStep, kButtonSize, kButtonSize);
            button->setIconSize(QSize(kButtonSize - 6, kButtonSize - 6));
            array.Add(i, button);
            AddControl(button, name, i);
        }
    };

    panel(F_FSIPan, "F_FSIPan");
    buttons(F_FSIPan, F_FSI, "F_FSI");
    for (const auto& [index, button] : F_FSI) {
        const int i = static_cast<int>(index);
        // One function of a mode is selected at a time.
        button->SetGroupNumber(1);
        button->Click.Connect([this, i](bool value) { F_FSI_Click(i, value); });
        button->MouseMove.Connect([this, i](int b, int s, double x, double y) { F_FSI_MouseMove(i, b, s, x, y); });
        button->MouseUp.Connect([this, i](int b, int s, double x, double y) { F_FSI_MouseUp(i, b, s, x, y); });
    }
    F_Busy = new Label("Busy", F_FSIPan);
    F_Busy->setAlignment(Qt::AlignCenter);
    F_Busy->setStyleSheet("QLabel { color: #a00000; font-weight: bold; }");
    F_Busy->resize(kButtonSize, 18);
    F_Busy->hide();
    AddControl(F_Busy, "F_Busy");

    panel(F_OSTPan, "F_OSTPan");
    buttons(F_OSTPan, F_OST, "F_OST");
    for (const auto& [index, button] : F_OST) {
        const int i = static_cast<int>(index);
        button->Click.Connect([this, i](bool value) { F_OST_Click(i, value); });
        button->MouseMove.Connect([this, i](int b, int s, double x, double y) { F_OST_MouseMove(i, b, s, x, y); });
        button->MouseUp.Connect([this, i](int b, int s, double x, double y) { F_OST_MouseUp(i, b, s, x, y); });
    }
    ConnectPanelDrags();
}

void SCHMAIN::CreateCanvasAndStatus(QWidget* client)
{
    ViewPicture = new Canvas(client);
    AddControl(ViewPicture, "ViewPicture");
    ViewPicture->setFocusPolicy(Qt::StrongFocus);
    ViewPicture->SetBackColor(QColor(0xFF, 0xFF, 0xF8));
    // A paint the canvas scheduled before the window closed may still come:
    // the window's controls are gone then, so it draws nothing. A paint
    // polls the keyboard, which runs waiting events: it counts as a nested
    // run, so a close from the host waits for the drawing to end.
    ViewPicture->Paint.Connect([this] {
        if (!IsLoaded()) return;
        RestoreOnExit painting(m_CanvasPaints, m_CanvasPaints + 1);
        winsys::NestedRun run;
        ViewPicture_Paint();
    });
    ViewPicture->MouseDown.Connect([this](int b, int s, double x, double y) { ViewPicture_MouseDown(b, s, x, y); });
    ViewPicture->MouseMove.Connect([this](int b, int s, double x, double y) { ViewPicture_MouseMove(b, s, x, y); });
    ViewPicture->MouseUp.Connect([this](int b, int s, double x, double y) { ViewPicture_MouseUp(b, s, x, y); });

    ViewHScroll = new ScrollBar(Qt::Horizontal, client);
    ViewVScroll = new ScrollBar(Qt::Vertical, client);
    for (ScrollBar* bar : {ViewHScroll, ViewVScroll}) {
        bar->SetRange(-32000, 32000);
        bar->SetSmallChange(100);
        bar->SetLargeChange(1000);
    }
    AddControl(ViewHScroll, "ViewHScroll");
    AddControl(ViewVScroll, "ViewVScroll");
    ViewHScroll->Change.Connect([this] { ViewHScroll_Change(); });
    ViewVScroll->Change.Connect([this] { ViewVScroll_Change(); });

    // The viewport window floats over the top right corner of the client
    // area, with a frame of its own; it is shown from its menu item.
    F_PICView = new Canvas(client);
    AddControl(F_PICView, "F_PICView");
    F_PICView->setFrameStyle(QFrame::Panel | QFrame::Raised);
    F_PICView->setLineWidth(2);
    F_PICView->SetBackColor(QColor(0xFF, 0xFF, 0xF8));
    F_PICView->resize(kViewportWidth, kViewportHeight);
    F_PICView->hide();
    F_PICView->Paint.Connect([this] {
        if (!IsLoaded()) return;
        RestoreOnExit painting(m_CanvasPaints, m_CanvasPaints + 1);
        winsys::NestedRun run;
        F_PICView_Paint();
    });
    F_PICView->MouseMove.Connect([this](int b, int s, double x, double y) { F_PICView_MouseMove(b, s, x, y); });
    F_PICView->MouseUp.Connect([this](int b, int s, double x, double y) { F_PICView_MouseUp(b, s, x, y); });
    F_PICView->Resize.Connect([this] { F_PICView_Resize(); });

    auto status = [&](Label*& field, const char* name, const char* caption) {
        field = new Label(caption, client);
        field->setFrameStyle(kStatusShape | QFrame::Sunken);
        field->setIndent(4);
        field->resize(kPosWidth, kStatusHeight);
        AddControl(field, name);
    };
    status(F_Xpos, "F_Xpos", "X=");
    status(F_Ypos, "F_Ypos", "Y=");
    status(F_MsgLine, "F_MsgLine", "");
}

void SCHMAIN::CreateHiddenFields(QWidget* client)
{
    auto field = [&](TextBox*& box, const char* name, void (SCHMAIN::*change)()) {
        box = new TextBox(client);
        box->hide();
        AddControl(box, name);
        box->Change.Connect([this, change] { (this->*change)(); });
    };
    field(F_FrmCmd, "F_FrmCmd", &SCHMAIN::F_FrmCmd_Change);
    field(F_Bitm, "F_Bitm", &SCHMAIN::F_Bitm_Change);
    field(F_Short, "F_Short", &SCHMAIN::F_Short_Change);
}

void SCHMAIN::ForgetControls()
{
    static_cast<SchmainShellControls&>(*this) = {};
    static_cast<SchmainViewControls&>(*this) = {};
    static_cast<SchmainInteractionControls&>(*this) = {};
    static_cast<SchmainEditingControls&>(*this) = {};
    static_cast<SchmainAutomationControls&>(*this) = {};
    static_cast<SchmainDocumentControls&>(*this) = {};
    mainWindow_ = nullptr;
    clientArea_ = nullptr;
}

void SCHMAIN::ResetFormState()
{
    static_cast<SchmainShellState&>(*this) = {};
    static_cast<SchmainViewState&>(*this) = {};
    static_cast<SchmainInteractionState&>(*this) = {};
    static_cast<SchmainEditingState&>(*this) = {};
    static_cast<SchmainAutomationState&>(*this) = {};
    static_cast<SchmainDocumentState&>(*this) = {};
}
