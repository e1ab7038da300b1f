#include "editor/objects/netlist_compare.h"

#include "editor/dialogs/schsnet.h"
#include "editor/objects/net_lookups.h"
#include "editor/objects/net_text.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/forms.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/shared_services.h"
#include "editor/shell/textnum.h"

int32_t g_NetViewNet = 0;
int32_t g_NetViewLineCount = 0;
CheckedArray<std::string> g_NetViewLines;
CheckedArray<NetViewPageRec> g_NetViewNodes;
CheckedArray<NetViewNodeRec> g_NetViewNets;
int32_t g_NetViewJumpX = kNoNetViewJump;
int32_t g_NetViewJumpY = 0;
int32_t g_NetViewJumpPage = 0;

namespace {

template <class T>
void Append(CheckedArray<T>& array, T value)
{
    const long n = array.UBound() + 1;
    array.RedimPreserve(n);
    array(n) = std::move(value);
}

void AddCapped(const std::string& text)
{
    if (g_NetNodeText.size() < kNetCompareTextCap) g_NetNodeText += text;
}

std::string LayoutPart(const NodeInfoRec& info)
{
    return "(lay: " + Trim(info.LayCompName) + "," + GetGridPinName(1, info.LayComp, info.LayEntry) + ")";
}

}  // namespace

void BuildNetlistCompare(int32_t net, const NetRec& netRec)
{
    N_SetNodeView(0);
    g_NetViewNet = net;
    g_NetViewLines.Redim(0, 0);
    g_NetViewNodes.Redim(0, 0);
    g_NetViewNets.Redim(0, 0);
    g_NetViewLineCount = 0;
    std::string pageText;
    g_NetNodeText.clear();

    if (netRec.Flags & 8) {
        int32_t member = 0;
        const int32_t bus = N_FindBusMember(net, &member);
        g_NetNodeText = GetMsgText("in Bus: ", "99764") + DisplayText(PtrToStr(O_GetName(N_Bus(bus)))) +
                        GetMsgText(" Memb:", "99879") + Str(member) + g_CrLf;
    }

    const int32_t nodeMap = N_NodeMap(net);
    const int32_t pages = DB_PageMap();
    int32_t pageCursor = OM_GetFirst(pages);
    bool pagesDone = false;
    bool layoutHeading = false;
    while (!pagesDone) {
        int32_t page = OM_SearchMask(pages, &pageCursor, 0, 0);
        if (page == 0) pagesDone = true;  // once more with page 0: the layout-only nodes
        bool pageListed = false;
        int32_t cursor = OM_GetFirst(nodeMap);
        while (const int32_t node = OM_SearchMask(nodeMap, &cursor, 0, 0)) {
            NodeRec rec{};
            if (N_ReadNode(net, node, &rec) == 0) continue;
            NodeInfoRec info;
            ReadNodeInfo(net, node, netRec, rec, info);
            if (page != 0) {
                if (info.Comp == 0 || info.Entry == 0 || O_TestPage(C_Component(info.Comp), page) == 0) continue;
                if (!pageListed) {
                    pageListed = true;
                    if (g_NetViewLineCount > 0) Append(g_NetViewLines, pageText);
                    const std::string heading =
                        GetMsgText("Page: ", "991012") + PtrToStr(O_GetName(DB_Page(page))) + g_CrLf;
                    pageText = heading;
                    AddCapped(heading);
                    ++g_NetViewLineCount;
                    PageRec pageRec{};
                    if (DB_ReadPage(page, &pageRec) != 0)
                        Append(g_NetViewNodes, NetViewPageRec{PtrToStr(O_GetName(DB_Page(page))), page, pageRec.Hier,
                                                              pageRec.ViewX, pageRec.ViewY, pageRec.ViewMode,
                                                              pageRec.ViewSize});
                }
                Append(g_NetViewNets, NetViewNodeRec{g_NetViewLineCount - 1, info.Comp, page, rec.X, rec.Y});
                std::string line = "(sch: " + Trim(info.CompName) + "," + Trim(info.EntryName) + ")";
                if (info.LayComp != 0 && info.LayEntry != 0) line += LayoutPart(info);
                line += g_CrLf;
                pageText += line;
                AddCapped(line);
            } else if (info.Comp == 0 && info.Entry == 0 && info.LayComp != 0 && info.LayEntry != 0) {
                if (!layoutHeading) {
                    layoutHeading = true;
                    AddCapped(GetMsgText("Nodes only in Layout: ", "99955") + g_CrLf);
                }
                AddCapped(LayoutPart(info) + g_CrLf);
            }
        }
    }
    if (g_NetViewLineCount > 0) Append(g_NetViewLines, pageText);
    g_NetNodeText += "END" + g_CrLf;
}

void ReportNetlistCompare(int32_t net, const NetRec& netRec)
{
    if (net == 0) return;
    // A report held for another net is not shown for this one: it is built
    // again.
    if (g_NetViewNet != net) {
        SetScreenMousePointer(mousepointer::Hourglass);
        auto pointer = OnExit([] { SetScreenMousePointer(mousepointer::Default); });
        BuildNetlistCompare(net, netRec);
    }
    SetScreenMousePointer(mousepointer::Default);
    if (g_NetViewLineCount > 0) ShowModal(FormInstance<SCHSNET>());
}
