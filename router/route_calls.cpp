// The routing exports: each call routes at most one pair of the current
// page, writes a status text into the caller's buffer and tells the caller
// through its state word whether to call again (0), that the run finished
// with the image changed (1) or that there was nothing to do (2).
#include "router/corvex.h"
#include "router/route.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace corvex {

RouteTuning g_Tuning;
int32_t g_RouteCursor = 0;
int32_t g_RoutePairTotal = 0;
int32_t g_RoutePairsDone = 0;
// The joins of the run's scope (every net, or the one net), kept up to date
// pair by pair: what the all-wires and net texts show.
PinJoins g_RunJoins;
int32_t g_RouteBlock[4] = {};
char g_RouteCompName[52] = {};
int32_t g_Clearance = -1;
int32_t g_RouteNet = 0;
int32_t g_ExemptComp[2] = {};
bool g_BuffersAllocated = false;
bool g_ImageComplete = false;

namespace {

constexpr int32_t kBufferBytes = 4 * 56000 + 6 * 12000 + 2 * 4000;

enum class Scope { All, Net, Comp, Block };

bool Connected(int32_t node)
{
    const ScrNodeRec& n = g_Nodes[node];
    return n.partner && g_Nodes[n.partner].group == n.group;
}

bool InBlock(int32_t node)
{
    const ScrNodeRec& n = g_Nodes[node];
    return n.x >= g_RouteBlock[0] && n.x <= g_RouteBlock[2] && n.y >= g_RouteBlock[1] && n.y <= g_RouteBlock[3];
}

bool InScope(Scope scope, int32_t node, int32_t arg)
{
    const ScrNodeRec& n = g_Nodes[node];
    switch (scope) {
    case Scope::All: return true;
    case Scope::Net: return n.net == arg;
    case Scope::Comp: return n.comp == arg || (n.partner && g_Nodes[n.partner].comp == arg);
    case Scope::Block: return InBlock(node) || (n.partner && InBlock(n.partner));
    }
    return false;
}

// The pins of one net on the current page, by group, into `groups`.
PinJoins NetPinJoins(int32_t net, std::vector<int32_t>& groups)
{
    PinJoins joins;
    const ScrNetRec& n = g_Nets[net];
    if (n.flags & kNetBus) return joins;  // its records are member nets, not pins
    groups.clear();
    for (int32_t i = 0; i < n.nodeCount; ++i) {
        const ScrNodeRec& node = g_Nodes[n.firstNode + i];
        if (g_Comps[node.comp].page == g_ScrCurPage) groups.push_back(node.group);
    }
    if (groups.size() < 2) return joins;
    std::sort(groups.begin(), groups.end());
    const auto pieces = std::unique(groups.begin(), groups.end()) - groups.begin();
    joins.needed = static_cast<int64_t>(groups.size()) - 1;
    joins.made = static_cast<int64_t>(groups.size()) - pieces;
    return joins;
}

void StartText(Scope scope, char* msg, int32_t size, int32_t arg)
{
    const double pct = g_RoutePairTotal ? g_RoutePairsDone * 100.0 / g_RoutePairTotal : 0.0;
    switch (scope) {
    case Scope::All:
        PutText(msg, size, " Routing Wires: %d %%. ",
                g_RunJoins.needed ? static_cast<int>(g_RunJoins.made * 100 / g_RunJoins.needed) : 0);
        break;
    case Scope::Net:
        PutText(msg, size, " Routing Net \"%s\": %s %%. ", NetName(arg), JoinsPercent(g_RunJoins).c_str());
        break;
    case Scope::Comp:
        PutText(msg, size, " Routing Component Connections \"%s\": %5.2f %%. ", g_RouteCompName, pct);
        break;
    case Scope::Block: PutText(msg, size, " Routing Connections in Block : %5.2f %%. ", pct); break;
    }
}

void TakeCompName(int32_t comp)
{
    for (int32_t t = g_Comps[comp].firstText; t; t = g_CompTexts[t].next) {
        const ScrCompTextRec& r = g_CompTexts[t];
        const char* s = g_CompTextPool.At(r.text);
        if ((r.kind == 1 || r.kind == 4) && s[0]) {
            std::snprintf(g_RouteCompName, sizeof g_RouteCompName, "%s", s);
            return;
        }
    }
}

bool ImageReady() { return g_Nodes.present && g_Nets.present && g_Pages.present && g_Branches.present; }

// One step of a run over the pairs of the current page that lie in scope.
int32_t RouteStep(Scope scope, int32_t* state, char* msg, int32_t size, int32_t arg)
{
    ClearFailure();
    if (!state || !msg || size <= 0) return Fail(2600, 5);
    if ((scope == Scope::Net || scope == Scope::Comp) && arg == 0) {
        *state = 2;
        return 1;
    }
    if (!ImageReady()) {
        PutText(msg, size, " Error in Routing Process...");
        return Fail(2600, 6);
    }
    if (scope == Scope::Net && (arg < 0 || arg > g_Nets.Count())) {
        PutText(msg, size, " Error In Routing Process...");
        return Fail(2600, 7);
    }
    if (scope == Scope::Comp && (arg < 0 || arg > g_Comps.Count())) {
        PutText(msg, size, " Error In Routing Process...");
        return Fail(2600, 7);
    }
    const int32_t nothing = scope == Scope::All ? 1 : 2;
    if (g_RouteCursor == 0) {
        const int32_t pg = FindPageIndex(g_ScrCurPage);
        if (!pg) {
            *state = nothing;
            return 1;
        }
        g_RouteCursor = g_Pages[pg].firstPair;
        if (!g_RouteCursor) {
            PutText(msg, size, " No Pairs Found for Routing...");
            *state = nothing;
            return 1;
        }
        g_RoutePairTotal = 0;
        g_RoutePairsDone = 0;
        g_RunJoins = PagePinJoins(scope == Scope::Net ? arg : 0);
        if (scope == Scope::Comp) TakeCompName(arg);
        for (int32_t n = g_RouteCursor; n; n = g_Nodes[n].nextPair) {
            if (!InScope(scope, n, arg)) continue;
            ++g_RoutePairTotal;
            if (Connected(n)) ++g_RoutePairsDone;
        }
        if (g_RoutePairTotal == 0) {
            g_RouteCursor = 0;
            *state = 2;
            return 1;
        }
        StartText(scope, msg, size, arg);
        if (g_RoutePairsDone == g_RoutePairTotal) {
            g_RouteCursor = 0;
            *state = 2;
            return 1;
        }
        if (!MR_AllocProjectBuffers()) {
            PutText(msg, size, " Error in Memory Allocation...");
            return 0;
        }
        g_Clearance = -1;
    }
    const int32_t node = g_RouteCursor;
    if (node < 1 || node > g_Nodes.Count()) {
        g_RouteCursor = 0;
        return Fail(2600, 7);
    }
    if (InScope(scope, node, arg)) {
        // A pair changes the pieces of its own net only.
        const int32_t net = g_Nodes[node].net;
        const PinJoins before = PagePinJoins(net);
        int32_t connected = 0;
        if (!MR_RouteOnePair(node, connected)) {
            MR_FreeProjectBuffers();
            PutText(msg, size, scope == Scope::All ? " Error in Routing Process..." : " Error In Routing Process...");
            return 0;
        }
        g_RunJoins.made += PagePinJoins(net).made - before.made;
        if (connected) ++g_RoutePairsDone;
        if (scope == Scope::All)
            PutText(msg, size, " Routing Wires: %s %%.", JoinsPercent(g_RunJoins).c_str());
        else if (connected)
            StartText(scope, msg, size, arg);
    }
    g_RouteCursor = g_Nodes[node].nextPair;
    if (g_RouteCursor) {
        *state = 0;
        return 1;
    }
    MR_FreeProjectBuffers();
    *state = 1;
    AppendText(msg, size, "  Routing completed...");
    return 1;
}

}  // namespace

PinJoins PagePinJoins(int32_t net)
{
    PinJoins total;
    std::vector<int32_t> groups;
    const int32_t first = net ? net : 1, last = net ? net : g_Nets.Count();
    if (first < 1 || last > g_Nets.Count()) return total;
    for (int32_t n = first; n <= last; ++n) {
        const PinJoins joins = NetPinJoins(n, groups);
        total.made += joins.made;
        total.needed += joins.needed;
    }
    return total;
}

std::string JoinsPercent(const PinJoins& joins)
{
    const int64_t hundredths = joins.needed ? joins.made * 10000 / joins.needed : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%2lld.%02lld", static_cast<long long>(hundredths / 100),
                  static_cast<long long>(hundredths % 100));
    return text;
}

void FreeRouterState()
{
    MR_FreeProjectBuffers();
    ClearBlockMarks();
    ForgetClusters();
    g_ImageComplete = false;
}

void ClearFailure()
{
    g_ErrorCode = 0;
    g_ErrorFunc = 0;
}

int32_t MR_AllocProjectBuffers()
{
    if (g_BuffersAllocated) return 1;
    g_BuffersAllocated = true;
    CountMemory(kBufferBytes);
    return 1;
}

void MR_FreeProjectBuffers()
{
    if (!g_BuffersAllocated) return;
    g_BuffersAllocated = false;
    CountMemory(-kBufferBytes);
    FreeGridSearch();
}

void PutText(char* msg, int32_t size, const char* format, ...)
{
    if (!msg || size <= 0) return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(msg, static_cast<size_t>(size), format, args);
    va_end(args);
}

void AppendText(char* msg, int32_t size, const char* text)
{
    if (!msg || size <= 0) return;
    const size_t used = strnlen(msg, static_cast<size_t>(size) - 1);
    std::snprintf(msg + used, static_cast<size_t>(size) - used, "%s", text);
}

const char* NetName(int32_t net)
{
    if (net <= 0 || net > g_Nets.Count()) return "";
    return g_NetNamePool.At(g_Nets[net].name);
}

}  // namespace corvex

using namespace corvex;

void SCR_InitNodeForRoute() noexcept { g_RouteCursor = 0; }

int32_t SCR_RouteAllWiresInPage(int32_t* state, char* msg, int32_t size) noexcept
{
    return Guarded(2600, 0, [&] { return RouteStep(Scope::All, state, msg, size, 0); });
}

int32_t SCR_RouteSingleNetInPage(int32_t* state, char* msg, int32_t size, int32_t net) noexcept
{
    return Guarded(2600, 0, [&] { return RouteStep(Scope::Net, state, msg, size, net); });
}

int32_t SCR_RouteOneComponentPairInPage(int32_t* state, char* msg, int32_t size, int32_t comp) noexcept
{
    return Guarded(2600, 0, [&] { return RouteStep(Scope::Comp, state, msg, size, comp); });
}

int32_t SCR_RouteBlokPairInPage(int32_t* state, char* msg, int32_t size, const int32_t* corner1,
                                const int32_t* corner2) noexcept
{
    return Guarded(2600, 0, [&]() -> int32_t {
        if (!corner1 || !corner2) return Fail(2600, 5);
        if (g_RouteCursor == 0) {
            g_RouteBlock[0] = std::min(corner1[0], corner2[0]);
            g_RouteBlock[1] = std::min(corner1[1], corner2[1]);
            g_RouteBlock[2] = std::max(corner1[0], corner2[0]);
            g_RouteBlock[3] = std::max(corner1[1], corner2[1]);
        }
        return RouteStep(Scope::Block, state, msg, size, 0);
    });
}

int32_t SCR_RouteOnePairInPage(int32_t* state, char* msg, int32_t size, int32_t node) noexcept
{
    return Guarded(2600, 0, [&]() -> int32_t {
        ClearFailure();
        if (!state || !msg || size <= 0) return Fail(2600, 5);
        if (node == 0) return 1;
        if (!ImageReady() || node < 0 || node > g_Nodes.Count() || !g_Nodes[node].partner) {
            PutText(msg, size, " Error In Routing Process...");
            return Fail(2600, 7);
        }
        g_RouteCursor = node;
        if (Connected(node)) {
            *state = 2;
            return 1;
        }
        PutText(msg, size, " Routing Pair: Net \"%s\" ", NetName(g_Nodes[node].net));
        if (!MR_AllocProjectBuffers()) {
            PutText(msg, size, " Error in Memory Allocation...");
            return 0;
        }
        g_Clearance = -1;
        int32_t connected = 0;
        if (!MR_RouteOnePair(node, connected)) {
            MR_FreeProjectBuffers();
            PutText(msg, size, " Error In Routing Process...");
            return 0;
        }
        MR_FreeProjectBuffers();
        *state = 1;
        AppendText(msg, size, "  Routing completed...");
        return 1;
    });
}

void MR_FreeAllProjectBuffers() noexcept { MR_FreeProjectBuffers(); }
