// The repeated wire: one whole wire through the points of a pattern, each
// point joined to the pin under it, and the first point also to the net or
// bus wire under it, so that every click connects one more net.
#include "editor/editing/editing_state.h"
#include "editor/editing/wire_helpers.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/branch_hits.h"
#include "editor/objects/branches.h"
#include "editor/objects/comp_picking.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/net_drawing.h"
#include "editor/objects/net_lookups.h"
#include "editor/objects/net_removal.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/design_change.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textnum.h"

#include <vector>

using namespace wire_edit;

namespace {

// What a point of the repeated wire joins; the kinds of a wire's start.
enum class Joins { Nothing, FreePin, NetPin, NetJunction, NetSegment, BusJunction, BusSegment };

struct RepeatPoint {
    Joins joins = Joins::Nothing;
    int32_t x = 0, y = 0;
    int32_t comp = 0, entry = 0;
    // The wire under the first point.
    int32_t cover = 0, coverPos = 0;
    BranchRec coverRec{};
};

// Classifies point `k` of the pattern. A pin is taken when it is the first
// point, when it is unconnected, or when its net is the wire's net `net`
// (set by the first point); only the first point joins a junction or a
// segment of a net or bus wire. The first point's net goes into `net`.
RepeatPoint Classify(const NodeRec& p, bool first, int32_t& net)
{
    RepeatPoint r;
    r.x = p.X;
    r.y = p.Y;
    int32_t status = 1;
    std::string compName;
    PickComp(status, p.X, p.Y, r.comp, r.entry, compName);
    if (status == 0 && r.entry >= 1) {
        int32_t res = 1, pinNet = 0, node = 0;
        std::string pinNetName;
        FindPinNet(res, 0, r.comp, r.entry, pinNet, pinNetName, node);
        if (res != 0) {
            r.joins = Joins::FreePin;
        } else if (first || (net != 0 && pinNet == net)) {
            r.joins = Joins::NetPin;
            if (first) net = pinNet;
        }
        if (r.joins != Joins::Nothing) return r;
    }
    r.x = SnapCoord(p.X);
    r.y = SnapCoord(p.Y);
    if (!first) return r;
    int32_t x = p.X, y = p.Y;
    r.coverPos = 1;
    int32_t hit = 0;
    CoverJunctionAtPoint(status, x, y, r.cover, r.coverRec, r.coverPos, -1);
    if (status == 0) {
        hit = 1;
    } else {
        SnapToBranch(status, x, y, r.cover, r.coverRec, r.coverPos, -1);
        if (status == 0) hit = 2;
    }
    // The page frame is no wire to join.
    if (hit == 0 || r.cover < 0) return r;
    r.x = x;
    r.y = y;
    if ((r.coverRec.Flags & kBusWire) != 0) {
        r.joins = hit == 1 ? Joins::BusJunction : Joins::BusSegment;
    } else {
        r.joins = hit == 1 ? Joins::NetJunction : Joins::NetSegment;
        net = r.coverRec.Net;
    }
    return r;
}

}  // namespace

// Builds the wire of the repeating-wire command through the points listed in
// g_NetNodes (their positions). The net is that of the first point's pin or
// wire, else a new one made before any join, so that a bus membership is
// asked for an existing net. Every point is appended first with a junction
// of its own; then the later points join their pins, and the first point its
// pin, junction or segment last, so that nothing another wire or a bus owns
// changes before the rest has succeeded. One change group: a refused step,
// or a join given up, puts back the wire, its nodes and a net made for it.
void SCHMAIN::BuildRepeatWire()
{
    const long count = g_NetNodes.UBound();
    if (count < 2) return;
    DesignChange change;
    int32_t net = 0;
    std::vector<RepeatPoint> points;
    points.reserve(static_cast<size_t>(count));
    for (long k = 1; k <= count; ++k) points.push_back(Classify(g_NetNodes(k), k == 1, net));

    const int32_t givenNet = g_CurNet;
    auto undo = [&] {
        change.Undo();
        g_CurBranch = 0;
        g_CurNet = givenNet;
    };
    bool madeNet = false;
    if (net == 0 && !NetForNewWire(*this, net, madeNet)) {
        undo();
        return;
    }
    g_CurNet = net;
    g_CurBranch = B_CreateBranch(0, 1, net);
    if (g_CurBranch == 0) {
        ReportMsg(50);
        undo();
        return;
    }
    for (const RepeatPoint& p : points) {
        const int32_t junction = J_CreateJunction(GetFreeJunctionId(), 3, p.x, p.y);
        if (junction == 0 || B_InsertRecord(g_CurBranch, -1, kJunctionRef | 1, junction) == 0) {
            ReportMsg(51);
            undo();
            return;
        }
    }
    auto join = [&](long k) {
        const RepeatPoint& p = points[static_cast<size_t>(k - 1)];
        if (p.joins == Joins::Nothing) return true;
        g_CurBranchPos = static_cast<int32_t>(k);
        if (B_ReadRecord(g_CurBranch, g_CurBranchPos, &g_CurBranchPoint) == 0 ||
            B_ReadBranch(g_CurBranch, &g_CurBranchRec) == 0)
            return false;
        g_CompId = p.comp;
        g_CompEntry = p.entry;
        g_CoverBranch = p.cover;
        g_CoverBranchRec = p.coverRec;
        g_CoverBranchPos = p.coverPos;
        int32_t fail = 1;
        bool merged = false;
        switch (p.joins) {
        case Joins::FreePin: JoinFreePin(fail); break;
        case Joins::NetPin: JoinConnectedPin(fail, merged); break;
        case Joins::NetJunction: JoinNetAtJunction(fail, merged); break;
        case Joins::NetSegment: JoinNetAtSegment(fail, merged); break;
        case Joins::BusJunction: JoinBusAtJunction(fail, merged); break;
        case Joins::BusSegment: JoinBusAtSegment(fail, merged); break;
        case Joins::Nothing: fail = 0; break;
        }
        return fail == 0;
    };
    for (long k = 2; k <= count; ++k) {
        if (!join(k)) {
            undo();
            return;
        }
    }
    if (!join(1)) {
        undo();
        return;
    }
    BranchRec rec{};
    B_ReadBranch(g_CurBranch, &rec);
    g_CurBranchRec = rec;
    g_CurNet = rec.Net;
    OM_MaskAll(N_NodeMap(rec.Net), 0, 0x200);
    OpenCanvasDC();
    RedrawBranch(0, g_CurBranch, -1);
    DrawNetNodes(rec.Net, 0);
    CloseCanvasDC();
    if (!change.Finish()) {
        g_CurBranch = 0;
        g_CurNet = givenNet;
    }
}
