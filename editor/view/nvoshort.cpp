#include "editor/view/nvoshort.h"

#include "editor/interaction/commands.h"
#include "editor/shell/controls.h"
#include "editor/shell/help.h"
#include "editor/shell/menus.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/prefs.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/schmain_design.h"
#include "editor/shell/textnum.h"
#include "editor/shell/tooltable.h"
#include "platform/winsys/keyboard.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

// The design size of button 1 and the margin the window adds to the
// buttons' width (100 twips), in pixels.
constexpr int kButtonWidth = schmain_design::kButtonSize;
constexpr int kButtonHeight = schmain_design::kButtonSize;
constexpr int kMargin = 100 / schmain_design::kTwipsPerPixel;
constexpr int kPerRow = 20;

// The tool table's function of a palette entry, or null when the entry
// names none.
ToolFuncRec* EntryFunc(const ShortCutRec& entry)
{
    if (entry.Mode < 0 || entry.Mode >= kModeCount || entry.Func < 0 || entry.Func >= kToolCount) return nullptr;
    return &ModeTools(entry.Mode).Funcs.at(static_cast<size_t>(entry.Func));
}

bool HasEntry(int index)
{
    return index >= 1 && index <= g_ShortCuts.UBound();
}

}  // namespace

NVOSHORT::NVOSHORT() : Form("NVOSHORT") {}

std::unique_ptr<QWidget> NVOSHORT::CreateWindow()
{
    auto window = std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint);
    window->setWindowTitle(" ");
    window->resize(kButtonWidth + kMargin, kButtonHeight + kMargin / 2);
    // Button 1 is part of the window's design; the others come at load.
    auto* first = new RibbonButton(window.get());
    first->setGeometry(0, 0, kButtonWidth, kButtonHeight);
    first->setIconSize(QSize(kButtonWidth - 6, kButtonHeight - 6));
    buttons_.Add(1, first);
    AddControl(first, "F_FSI", 1);
    first->Click.Connect([this](bool value) { F_FSI_Click(1, value); });
    first->MouseMove.Connect([this](int b, int s, double x, double y) { F_FSI_MouseMove(1, b, s, x, y); });
    return window;
}

void NVOSHORT::ForgetControls()
{
    buttons_.Clear();
}

const ControlArray<RibbonButton>& NVOSHORT::F_FSI()
{
    EnsureLoaded();
    return buttons_;
}

void NVOSHORT::LoadPaletteButtons()
{
    QWidget* window = Window();
    RibbonButton* first = buttons_(1);
    const int w = first->width();
    const int h = first->height();
    const int n = static_cast<int>(g_ShortCuts.UBound());
    // An empty list shows no button (button 1 would read a missing entry).
    if (n < 1) {
        first->setVisible(false);
        window->resize(kMargin, h + kMargin / 2);
        return;
    }
    int height = h + kMargin / 2;
    window->resize((n <= kPerRow ? n : kPerRow) * w + kMargin, height);
    PictureClip* clip = g_MainForm ? g_MainForm->P_FSI : nullptr;
    for (int i = 1; i <= n; ++i) {
        RibbonButton* button = first;
        if (i > 1) {
            button = new RibbonButton(window);
            button->resize(w, h);
            button->setIconSize(first->iconSize());
            buttons_.Add(i, button);
            AddControl(button, "F_FSI", i);
            button->Click.Connect([this, i](bool value) { F_FSI_Click(i, value); });
            button->MouseMove.Connect([this, i](int b, int s, double x, double y) { F_FSI_MouseMove(i, b, s, x, y); });
        }
        const int column = (i - 1) % kPerRow;
        const int row = (i - 1) / kPerRow;
        if (i > 1 && column == 0) {
            height += h;
            window->resize(window->width(), height);
        }
        button->move(column * w, row * h);
        button->setVisible(true);
        const ShortCutRec& entry = g_ShortCuts(i);
        if (clip && entry.Mode >= 0 && entry.Mode < kModeCount) {
            const int cell = ModeTools(entry.Mode).PicBase + entry.Func;
            if (cell >= 0 && cell < clip->CellCount()) button->SetPicture(clip->GraphicCell(cell));
        }
    }
}

void NVOSHORT::Form_Load()
{
    LocalizeForm(*this);
    LoadPaletteButtons();
    QWidget* window = Window();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        window->move(area.right() + 1 - window->width(), area.bottom() + 1 - window->height());
    }
    baseCaption_ = GetMsgText("Schematic Capture", "991155");
    KeepOnTop(true);
    SetCaption(baseCaption_);
}

void NVOSHORT::KeepOnTop(bool onTop)
{
    QWidget* window = Window();
    if (!window) return;
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) return;
    const bool shown = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (shown && onTop) window->show();
}

void NVOSHORT::Form_Activate()
{
    KeepOnTop(true);
}

void NVOSHORT::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && Shift == winsys::shiftmask::Ctrl) ShowFormHelp();
}

void NVOSHORT::Form_Unload(int& /*cancel*/)
{
    if (g_MainForm && g_MainForm->M_Short) g_MainForm->M_Short->SetChecked(false);
    KeepOnTop(false);
}

void NVOSHORT::F_FSI_MouseMove(int Index, int, int, double, double)
{
    if (!HasEntry(Index)) return;
    const ToolFuncRec* func = EntryFunc(g_ShortCuts(Index));
    SetCaption((func ? func->Help : std::string()) + " (" + baseCaption_ + ")");
}

void NVOSHORT::F_FSI_Click(int Index, bool Value)
{
    // Releasing a button does nothing.
    if (!Value) return;
    RibbonButton* button = buttons_.Exists(Index) ? buttons_(Index) : nullptr;
    if (g_CurCommand != 0 || g_CmdRunning != 0) {
        if (button) button->SetValue(false);
        return;
    }
    if (!HasEntry(Index) || !g_MainForm) return;
    const ShortCutRec entry = g_ShortCuts(Index);
    ToolFuncRec* func = EntryFunc(entry);
    // A blank shortcut is an empty one: the entry offers nothing.
    if (!func || Trim(func->Shortcut).empty()) return;
    SCHMAIN& main = *g_MainForm;
    if (entry.Mode == g_CurMode) {
        main.F_FSI(entry.Func)->SetValue(true);
        return;
    }
    if (func->AnyMode == 0) return;
    if (!main.M_FSI.Exists(entry.Mode) || !main.M_FSI(entry.Mode)->Enabled()) return;
    ModeToolsRec& tools = ModeTools(entry.Mode);
    for (ToolFuncRec& f : tools.Funcs) f.Pressed = 0;
    tools.SelFunc = entry.Func;
    func->Pressed = -1;
    main.F_Short->SetText(" ");
    main.F_Short->SetText("+" + std::to_string(entry.Mode));
}
