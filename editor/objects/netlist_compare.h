// The netlist comparison: the nodes of one net, page by page, each with its
// schematic component and pin and, when it has a layout side, its layout
// component and pin; then the nodes that exist only in the layout. The text
// goes into the shared net text (g_NetNodeText, net_text.h); the per-page
// texts and entries go to the net viewer SCHSNET, which is then shown.
#pragma once

#include "editor/shell/checked_array.h"
#include "platform/kernel/nvokernel32_functions.h"
#include "platform/kernel/records.h"

#include <cstdint>
#include <string>

// One listed page: its name and id, then the page record's Hier, ViewX,
// ViewY, ViewMode and ViewSize. The net viewer keeps each page's view
// centre in ViewX and ViewY (Y negated, as the kernel's view takes it).
struct NetViewPageRec {
    std::string Name;
    int32_t Page = 0;
    int32_t Hier = 0;
    int32_t ViewX = 0;
    int32_t ViewY = 0;
    int32_t ViewMode = 0;
    int32_t ViewSize = 0;
};

// One listed node: the page's index (0-based position among the listed
// pages), the schematic component, the page and the node's position.
struct NetViewNodeRec {
    int32_t PageIndex = 0;
    int32_t Comp = 0;
    int32_t Page = 0;
    int32_t X = 0;
    int32_t Y = 0;
};

// The net whose report is held; 0 = none (the net mode sets it to 0 to
// have the report built again).
extern int32_t g_NetViewNet;
// The number of pages listed, and each one's text (elements 1..n).
extern int32_t g_NetViewLineCount;
extern CheckedArray<std::string> g_NetViewLines;
// The page entries (elements 1..n, only pages whose record could be read)
// and the node entries (1..m).
extern CheckedArray<NetViewPageRec> g_NetViewNodes;
inline CheckedArray<NetViewPageRec>& g_NetViewPages = g_NetViewNodes;
extern CheckedArray<NetViewNodeRec> g_NetViewNets;
// Where the editor jumps after the net viewer closed: the view centre (Y
// negated; X = kNoNetViewJump means no jump) and the page (0 = none).
constexpr int32_t kNoNetViewJump = kCoordLimit;
extern int32_t g_NetViewJumpX;
extern int32_t g_NetViewJumpY;
extern int32_t g_NetViewJumpPage;

// The net text stops growing at this many characters; the viewer's page
// texts and the closing "END" line are complete.
constexpr size_t kNetCompareTextCap = 60000;

// Builds the report of `net` (unless it is held for this very net) and
// shows the net viewer when the net lies on at least one page.
void ReportNetlistCompare(int32_t net, const NetRec& netRec);
// The same without showing the viewer.
void BuildNetlistCompare(int32_t net, const NetRec& netRec);
