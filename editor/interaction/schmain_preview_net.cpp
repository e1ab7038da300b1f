// SCHMAIN's preview of the next-node command: the chain of the pins picked
// so far with a square on each, the guide lines between them when the
// ratsnest is shown, and a rubber line from the last pin to the pointer;
// the net being extended stays highlighted. Option 0 takes the last pin
// back, option 1 finishes the net.
#include "editor/shell/schmain.h"

#include "editor/interaction/input_state.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/ribbon.h"
#include "editor/view/canvas.h"

#include <cmath>

namespace {

int32_t Round(double v)
{
    return ClampToLimit(static_cast<int64_t>(std::nearbyint(v)));
}

// A node counts as on the current page only when its component can be read
// and lies there.
bool OnCurrentPage(const NodeRec& node)
{
    CompRec comp{};
    return C_ReadComponent(node.Comp, &comp) != 0 && comp.Page == g_CurPage;
}

}  // namespace

void SCHMAIN::PreviewNextNode(int& Shift, int32_t& X, int32_t& Y)
{
    (void)Shift;
    if (OptionOn(10)) {
        m_StepRequest = -1;
        ReleaseOption(10);
        return;
    }
    if (OptionOn(0)) {
        ReleaseOption(0);
        if (g_NetNodes.UBound() > 0) {
            g_NetNodes.RedimPreserve(g_NetNodes.UBound() - 1);
            if (g_NetNodes.UBound() == 0) {
                m_StepRequest = -1;
                return;
            }
        }
    } else if (OptionOn(1)) {
        ReleaseOption(1);
        if (g_NetNodes.UBound() > 0)
            m_JunctionRequest = -1;
        else
            m_StepRequest = -1;
        return;
    }

    const double vs = m_ViewSize;
    auto square = [vs](int32_t x, int32_t y) {
        G_Rectangle(Round(x - 4 * vs), Round(y - 4 * vs), Round(8 * vs), Round(8 * vs), 0);
    };
    EraseOverlay();
    G_OpenMF(ViewPicture->DeviceHandle());
    G_SetDrawMode(32);
    N_SetNodeView(0);
    const long last = g_NetNodes.UBound();
    // A net being extended starts at its node (element 0); a new net at its
    // first pin (element 1), which is marked like the pins after it. Before
    // any pin of a new net only the rubber line is drawn.
    int32_t px = 0, py = 0;
    long first = last + 1;
    if (g_CurNet != 0) {
        if (last >= 0) {
            px = g_NetNodes(0).X;
            py = g_NetNodes(0).Y;
            first = 1;
        }
    } else if (last >= 1) {
        const NodeRec& start = g_NetNodes(1);
        px = start.X;
        py = start.Y;
        if (OnCurrentPage(start)) square(px, py);
        first = 2;
    }
    G_SetStyle(0);
    for (long i = first; i <= last; ++i) {
        const NodeRec& node = g_NetNodes(i);
        if (!OnCurrentPage(node)) continue;
        if (g_ShowRatsnest != 0) G_Line(px, py, node.X, node.Y);
        square(node.X, node.Y);
        px = node.X;
        py = node.Y;
    }
    if (last >= 0) {
        const NodeRec& end = g_NetNodes(last);
        G_Line(end.X, end.Y, X, Y);
    }
    square(X, Y);
    m_OverlayMF = G_CloseMF();
    PlayOverlay();

    if (g_CurNet != 0 && m_HighlightMF == 0) {
        int32_t kind = 3;
        HighlightComp(kind);
    } else if (g_CurNet == 0 && m_HighlightMF != 0) {
        EraseHighlight();
        m_WireHighlightOn = 0;
    }
    if (m_HighlightMF != 0 && m_WireHighlightOn != 0) {
        ToggleHighlight();
        m_WireHighlightOn = 0;
    }
    CloseCanvasDC();
    ShowMessage(GetMsgText("Net: ", "99931") + g_CurNetName + GetMsgText("  Point Next Node ", "991055"));
}
