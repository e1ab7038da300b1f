// SCHMAIN's blinks: the marking of what a running command picked so far
// (gate, pin, item, components, wire, net and node, the parts of a net being
// split), recorded as the overlay so that the next erase of the overlay
// removes it, and the wide highlight of one part of a net being split.
#include "editor/shell/schmain.h"

#include "editor/interaction/commands.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/net_groups.h"
#include "editor/objects/symbol_items.h"
#include "editor/objects/view_values.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/numtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"
#include "editor/view/marks.h"

#include <cmath>
#include <functional>

std::array<MarkerRec, 4> g_Markers{};
int32_t g_MeasureOrigin = 0;
int32_t g_MarkColor = 191;
CheckedArray<PickedCompRec> g_CompList;

namespace {

constexpr int32_t kUnit = 5080;
constexpr int32_t kHalf = 16 * kUnit;    // 81,280
constexpr int32_t kSquare = 32 * kUnit;  // 162,560
constexpr int32_t kDiamond = 64 * kUnit; // 325,120

void Square(int32_t x, int32_t y)
{
    G_Rectangle(x - kHalf, y - kHalf, kSquare, kSquare, 0);
}

}  // namespace

// The frame every blink runs: the old overlay goes, the marking is recorded
// at the canvas origin and shown on the canvas and the viewport, and the
// canvas context is left open at the current view.
static void RecordBlink(SCHMAIN& m, const std::function<void()>& draw)
{
    // The old marking comes off the canvas too when no context is open
    // (a step that ended closed it): otherwise it would stay as a ghost.
    if (m.m_CanvasDCLevel == 0) m.OpenCanvasDC();
    m.EraseOverlay();
    if (m.m_CanvasDCLevel > 0) m.CloseCanvasDC();
    if (m.m_ViewDCLevel > 0) m.CloseViewDC();
    m.OpenCanvasDCAtOrigin();
    G_OpenMF(m.ViewPicture->DeviceHandle());
    {
        // The recording ends however the drawing ends.
        auto close = OnExit([&] { m.m_OverlayMF = G_CloseMF(); });
        draw();
    }
    m.CloseCanvasDC();
    m.OpenCanvasDC();
    m.PlayOverlay();
}

void SCHMAIN::BlinkGate()
{
    RecordBlink(*this, [] {
        if (O_TestPage(C_Component(g_CompId), 0) != 0) {
            G_SetDrawMode(0x20);
            C_DrawComponent(g_CompId);
        }
    });
    if (g_CurCommand == 7)
        ShowMessage(GetMsgText("Point gate to swap with: ", "13164") + g_CompName);
    else if (g_CurCommand == 80)
        ShowMessage(GetMsgText("Packaging:", "99996") + g_CompName);
}

void SCHMAIN::BlinkEntry()
{
    EntryRec entry{};
    bool read = false;
    RecordBlink(*this, [&] {
        G_SetDrawMode(0x20);
        if (C_ReadEntry(g_CompId, g_CompEntry, &entry) != 0) {
            read = true;
            G_SetStyle(0);
            Square(entry.X, entry.Y);
        }
    });
    std::string text = GetMsgText("Select Pin to swap with: ", "991191") + g_CompName + ",#" + Str(g_CompEntry);
    text += "(" + (read ? PtrToStr(entry.Name) : std::string()) + ")" + " slevel=" + Str(read ? entry.SwapLevel : 0);
    ShowMessage(text);
}

void SCHMAIN::BlinkItem()
{
    RecordBlink(*this, [] {
        G_SetDrawMode(1);
        // The notes items are drawn at the symbol's own frame, whatever
        // placement an earlier drawing left.
        S_SetCompLocation(0, 0, 0, 0);
        S_DrawItem(g_CurSymb, g_SymbItemIdx);
        G_Rectangle(g_SymbItem.X - 15240, g_SymbItem.Y - 15240, 30480, 30480, 0);
    });
}

void SCHMAIN::BlinkCompFrame()
{
    RecordBlink(*this, [] {
        G_SetDrawMode(0);
        G_SetStyle(0);
        if (!g_CompList.Empty())
            for (long i = std::max(1L, g_CompList.LBound()); i <= g_CompList.UBound(); ++i)
                Square(g_CompList(i).X, g_CompList(i).Y);
    });
    switch (m_CmdStep) {
    case 1: ShowMessage(GetMsgText("Select Next Component", "991184")); break;
    case 2: ShowMessage(GetMsgText("Point Vector Base Point", "991056")); break;
    case 3: ShowMessage(GetMsgText("Point Vector End Point", "991057")); break;
    case 4: ShowMessage(GetMsgText("Select Component to Swap", "991174")); break;
    default: ShowMessage(""); break;
    }
}

void SCHMAIN::BlinkNet()
{
    const int32_t branch = g_CurBranch;
    BranchRec rec{};
    // A branch that cannot be read shows nothing (not the last one read).
    if (B_ReadBranch(branch, &rec) == 0) return;
    g_CurBranchRec = rec;
    RecordBlink(*this, [&] {
        G_SetDrawMode(0);
        G_SetStyle(0);
        B_DrawRecords(branch, 1, -1);
        B_DrawBranchAllTexts(branch, 15);
        const int32_t d = ToLong(kSquare * std::sqrt(2.0));
        for (int32_t i = 1; i <= rec.Points; ++i) {
            BranchPointRec pt{};
            if (B_ReadRecord(branch, i, &pt) == 0) break;
            if (i == 1) G_Rectangle(pt.X, pt.Y - d, kDiamond, kDiamond, 45000);
            if ((pt.Flags & 4) != 0) Square(pt.X, pt.Y);
        }
        if (g_ShowRatsnest == 0 && rec.Net != 0 && (rec.Flags & 2) == 0) N_DrawNetRatsnest(rec.Net, 1, 0);
    });
    if (rec.Net == 0) return;
    std::string text;
    if ((rec.Flags & 2) != 0) {
        BusRec bus{};
        N_ReadBus(rec.Net, &bus);
        text = GetMsgText("Bus: ", "99272") + PtrToStr(bus.Name);
    } else {
        NetRec net{};
        N_ReadNet(rec.Net, &net);
        text = GetMsgText("Net: ", "99931") + PtrToStr(net.Name);
        int32_t member = 0;
        const int32_t busId = N_FindBusMember(rec.Net, &member);
        if (busId > 0) {
            BusRec bus{};
            N_ReadBus(busId, &bus);
            text += GetMsgText("(in Bus: ", "99102") + PtrToStr(bus.Name) + GetMsgText(" memb:", "99879") + Str(member) + ")";
        }
    }
    ShowMessage(text + "(#B=" + Str(branch) + ")");
}

void SCHMAIN::BlinkNode()
{
    RecordBlink(*this, [this] {
        G_SetDrawMode(0);
        N_SetNodeView(0);
        if (m_NetMaskAll) {
            B_DrawAllBranchMask(0x80, 0x80, 0);
        } else if (!g_MaskedBranchIds.Empty()) {
            for (long i = g_MaskedBranchIds.LBound(); i <= g_MaskedBranchIds.UBound(); ++i) {
                const int32_t id = g_MaskedBranchIds(i);
                if (id > 0 && O_TestPage(B_Branch(id), 0) != 0) B_DrawAllRecords(id, 0x80);
            }
        }
        const int32_t map = DB_NetMap();
        int32_t pos = OM_GetFirst(map);
        for (int32_t net; (net = OM_SearchMask(map, &pos, 0x80, 0x80)) > 0;) N_DrawNetRatsnest(net, 1, g_ShowRatsnest);
    });
    std::string text = GetMsgText("Net: ", "99931") + g_CurNetName;
    if (g_CurNode != 0) {
        text += GetMsgText("  Node: ", "99952");
        if (g_NodeInfo.Comp != 0)
            text += g_NodeInfo.CompName + GetMsgText(" Gate: ", "99717") + Str(g_NodeInfo.Group) +
                    GetMsgText(" Entry: #", "99659") + Str(g_NodeInfo.Entry) + "(" + g_NodeInfo.EntryName + ")";
        else if (g_NodeInfo.Bus != 0)
            text += " " + g_NodeInfo.BusName + "," + Str(g_NodeInfo.BusIndex);
    }
    ShowMessage(text);
}

void SCHMAIN::BlinkBranch()
{
    bool multipage = false;
    RecordBlink(*this, [&] {
        G_SetDrawMode(0);
        N_SetNodeView(0);
        const bool any = !g_NetNodes.Empty();
        const long first = any ? std::max(1L, g_NetNodes.LBound()) : 1, last = any ? g_NetNodes.UBound() : 0;
        if (g_NetGuidelines) {
            G_SetStyle(2);
            for (long i = first; i < last; ++i)
                G_Line(g_NetNodes(i).X, g_NetNodes(i).Y, g_NetNodes(i + 1).X, g_NetNodes(i + 1).Y);
        }
        G_SetWidth(1);
        G_SetStyle(0);
        for (long i = first; i <= last; ++i) {
            const NodeRec& node = g_NetNodes(i);
            CompRec comp{};
            if (C_ReadComponent(node.Comp, &comp) != 0 && comp.Page == g_CurPage) {
                Square(node.X, node.Y);
            } else {
                G_Circle(node.X, node.Y, kHalf);
                multipage = true;
            }
            if (i == 2) G_Circle(node.X, node.Y, kSquare);
        }
    });
    NetRec net{};
    N_ReadNet(g_CurNet, &net);
    std::string text = multipage ? GetMsgText("Multipage ", "99910") : std::string();
    ShowMessage(text + GetMsgText("Net: ", "99931") + PtrToStr(net.Name) + GetMsgText(" Select Branch to Split", "991173"));
}

void SCHMAIN::DrawBranchHighlight(int32_t flag)
{
    const double size = m_DrawingViewport ? m_VPSize : m_ViewSize;
    const int32_t w = std::max<int32_t>(4, ToLong(4.0 * size));
    auto* table = static_cast<int32_t*>(E_SysTable(systable::LineWidth));
    int32_t kept = 0;
    if (table) E_MemCopy(&kept, table, sizeof kept);
    auto setWidth = [&](int32_t value) {
        if (table) E_MemCopy(table, &value, sizeof value);
    };
    // The kernel-wide width and the draw mode are put back on every path.
    auto restore = OnExit([&] {
        G_SetDrawMode(g_DrawMode);
        setWidth(kept);
    });
    auto drawPart = [this] {
        if (g_NetGroupBranches.Empty()) return;
        for (long i = g_NetGroupBranches.LBound(); i <= g_NetGroupBranches.UBound(); ++i) {
            const NetGroupBranchEntry& e = g_NetGroupBranches(i);
            BranchRec rec{};
            if (e.Group == m_SplitBranch && e.Branch > 0 && B_ReadBranch(e.Branch, &rec) != 0)
                B_DrawRecords(e.Branch, 1, rec.Points - 1);
        }
    };
    if (flag != 0) {
        setWidth(w);
        G_SetDrawMode(g_DrawMode | 8);
        G_SetColor(g_MarkColor);
        drawPart();
    } else {
        G_SetDrawMode(g_DrawMode | 2);
        setWidth(w);
        drawPart();
        G_SetDrawMode(g_DrawMode);
        setWidth(kept);
        drawPart();
    }
}
