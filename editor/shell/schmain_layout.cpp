// SCHMAIN's layout: the resize procedure places the settings panel across
// the top, the toolbar and the option panel down the left side, the canvas
// with its scroll bars, and the status row at the bottom, for the client
// area's size and the three display switches.
#include "editor/shell/schmain.h"

#include "editor/shell/applink.h"
#include "editor/shell/controls.h"
#include "editor/shell/menus.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/systables.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain_design.h"
#include "editor/view/canvas.h"
#include "editor/view/nvoshort.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QRect>
#include <QVariant>

#include <cmath>

using namespace schmain_design;

namespace {

// Scales a settings-panel control's design geometry horizontally.
void ScaleFromDesign(QWidget* control, double ratio)
{
    const QRect design = control->property(kDesignGeometry).toRect();
    if (design.isNull()) return;
    const int left = static_cast<int>(std::lround(design.left() * ratio));
    const int width = static_cast<int>(std::lround(design.width() * ratio));
    control->setGeometry(left, design.top(), width, design.height());
}

}  // namespace

void SCHMAIN::Form_Resize()
{
    if (!clientArea_) return;
    PublishAppState(-1, -1);
    // One level of the canvas context closes: a context opened for a
    // command's step does not outlive the old canvas size (the device
    // handle stays the same, so this is safe at any time).
    CloseCanvasDC();
    DropOverlay();
    if (WindowState() == winstate::Minimized) {
        // The shortcut palette goes with the window and comes back with it.
        m_RestorePalette = true;
        NVOSHORT& palette = FormInstance<NVOSHORT>();
        if (IsFormShown(palette)) palette.Hide();
        return;
    }
    // Routing mode keeps the palette hidden: a mode switch would leave the
    // router's image behind.
    if (M_Short->Checked() && m_RestorePalette && g_RouteImageActive == 0) FormInstance<NVOSHORT>().Show();
    m_RestorePalette = false;
    // The canvas paints once, when everything is in place.
    g_NoPaint = true;
    auto paintAgain = OnExit([] { g_NoPaint = false; });
    // A window made smaller than its design springs back.
    QWidget* window = Window();
    const int minHeight = static_cast<int>(m_MinHeight / kTwipsPerPixel);
    const int minWidth = static_cast<int>(m_MinWidth / kTwipsPerPixel);
    if (WindowState() == winstate::Normal && window->isVisible()) {
        if (window->height() < minHeight) window->resize(window->width(), minHeight);
        if (window->width() < minWidth) window->resize(minWidth, window->height());
    }
    LayOutControls();
    if (!g_ResizeLock) {
        if (g_FirstResize) {
            // The first complete layout starts the view at the origin with
            // the default view size.
            g_FirstResize = 0;
            int32_t x = 0;
            int32_t y = 0;
            SetScrollBars(x, y);
            m_ViewSize = g_DefaultViewSize;
            ShowZoomValue();
        }
        ViewPicture->Invalidate();
    }
}

void SCHMAIN::LayOutControls()
{
    const int W0 = clientArea_->width();
    const int H0 = clientArea_->height();
    const int S = m_ShowScrollBars ? 1 : 0;
    const int TB = m_ShowToolbar ? 1 : 0;
    const int SP = m_ShowSettingsPanel ? 1 : 0;

    // Settings panel: full width; its controls keep their design proportions,
    // the magnifier buttons their size, centred where the scaling puts them.
    F_MenuPan->setGeometry(1, 0, W0 - 1, kMenuPanHeight);
    const double r = static_cast<double>(W0 - 1) / kMenuPanWidth;
    for (QWidget* control : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2),
                             static_cast<QWidget*>(Label3), static_cast<QWidget*>(Label4),
                             static_cast<QWidget*>(Label5), static_cast<QWidget*>(Label6),
                             static_cast<QWidget*>(ZoomCombo), static_cast<QWidget*>(RedrawBtn),
                             static_cast<QWidget*>(ZoomMode), static_cast<QWidget*>(GridCheck3D),
                             static_cast<QWidget*>(F_Tsizes), static_cast<QWidget*>(F_GridSnap(0)),
                             static_cast<QWidget*>(F_GridSnap(1)), static_cast<QWidget*>(F_GridSnap(2)),
                             static_cast<QWidget*>(F_Tsize), static_cast<QWidget*>(F_Pages)})
        ScaleFromDesign(control, r);
    // The magnifier buttons keep their width; their centre follows.
    const QRect magnifier = cmdMagnify(0)->property(kDesignGeometry).toRect();
    const double centre = magnifier.left() * r + magnifier.width() * r / 2;
    for (const auto& [index, button] : cmdMagnify)
        button->move(static_cast<int>(std::lround(centre - magnifier.width() / 2.0)), button->y());
    // The edit fields show their texts from the start after the scaling.
    for (ComboBox* combo : {ZoomCombo, F_Tsizes, F_GridSnap(0), F_GridSnap(1), F_GridSnap(2), F_Tsize, F_Pages})
        if (QLineEdit* edit = combo->lineEdit()) edit->setCursorPosition(0);
    F_MenuPan->setVisible(SP != 0);
    const int hM = F_MenuPan->height();

    // Side panels.
    const int wF = F_FSI(1)->width() + kPanelPad;
    const int wO = F_OST(1)->width() + kPanelPad;
    F_FSIPan->setGeometry(1, hM * SP, wF, H0 - hM * SP);
    F_FSIPan->setVisible(TB != 0);
    F_OSTPan->setGeometry(1 + wF * TB, hM * SP, wO, H0 - hM * SP);
    F_OSTPan->show();
    F_Busy->move((wF - F_Busy->width()) / 2, F_FSIPan->height() - F_Busy->height() - 2);

    // Viewport at the top right corner.
    m_PicViewLeft = W0 - F_PICView->width();
    F_PICView->move(m_PicViewLeft, 0);
    F_PICView->raise();

    // Canvas and scroll bars.
    const int hH = kScrollExtent;
    const int wV = kScrollExtent;
    const int hMsg = kStatusHeight;
    const int canvasTop = hM * SP + 1 + kGap * (1 - SP);
    const int canvasLeft = wF * TB + wO + 1;
    const int canvasHeight = H0 - (hM * SP + kGap + hH * S + hMsg);
    const int canvasWidth = W0 - (wF * TB + kGap + wO + wV * S) - kGap * (1 - S);
    ViewPicture->setGeometry(canvasLeft, canvasTop, std::max(1, canvasWidth), std::max(1, canvasHeight));
    ViewHScroll->setVisible(S != 0);
    ViewVScroll->setVisible(S != 0);
    if (S) {
        ViewHScroll->setGeometry(canvasLeft, hM * SP + ViewPicture->height() + kGap, ViewPicture->width(), hH);
        ViewVScroll->setGeometry(W0 - wV, ViewPicture->y(), wV, ViewPicture->height());
    }

    // Status row: pointer x, pointer y and the message line span the canvas.
    const int statusTop = H0 - hMsg;
    F_Xpos->setGeometry(canvasLeft, statusTop, F_Xpos->width(), hMsg);
    F_Ypos->setGeometry(canvasLeft + F_Xpos->width(), statusTop, F_Ypos->width(), hMsg);
    F_MsgLine->setGeometry(canvasLeft + F_Xpos->width() + F_Ypos->width(), statusTop,
                           std::max(1, ViewPicture->width() - (F_Xpos->width() + F_Ypos->width())), hMsg);
}
