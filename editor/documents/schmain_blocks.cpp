// The block commands of the main window: a block written to a block file
// (SaveBlock), a block file loaded onto the current page (LoadBlock), and
// the components of a block unpacked or repacked (PackBlockComps).
#include "editor/dialogs/schipack.h"
#include "editor/documents/block_format.h"
#include "editor/documents/block_load.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/comp_picking.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/comp_texts.h"
#include "editor/objects/components.h"
#include "editor/shell/design_change.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/packaging.h"
#include "editor/objects/view_values.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/forms.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/textfiles.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/interaction.h"

#include <set>
#include <string>
#include <vector>

namespace {

using block::IdText;
using block::PlainNumber;

std::string KernelName(int32_t handle)
{
    return handle == 0 ? std::string() : PtrToStr(O_GetName(handle));
}

// A name that cannot be a field of the file: the save is refused before
// anything is written, naming the object.
bool RefuseName(const std::string& what, const std::string& name)
{
    winsys::Ui().MessageBox(GetMsgText("Save of ", "991131") + "Block" + GetMsgText(" failed", "99680") + g_CrLf +
                                "The name of " + what + " \"" + name + "\" holds a comma or a line break.",
                            GetMsgText("Norvo32 - ", "99607") + g_AppTitle, winsys::mb::OkOnly | winsys::mb::Exclamation);
    return false;
}

// The next id of a map walk for status bits `value` under `mask`.
template <class Body>
void WalkMarked(int32_t map, int32_t value, int32_t mask, Body body)
{
    int32_t cursor = OM_GetFirst(map);
    for (int32_t id; (id = OM_SearchMask(map, &cursor, value, mask)) > 0;)
        if (!body(id)) return;
}

}  // namespace

bool SCHMAIN::SaveBlock(int32_t& selection)
{
    selection = 0;
    const int32_t x = m_BaseX;
    const int32_t y = m_BaseY;
    const int32_t radius = m_BoxDiagonal;
    int32_t status = 1;
    SelectCompsAtPoint(status, x, y, radius);
    if (status == 0) selection |= 1;
    status = 1;
    SelectBranchesInRect(status, x, y, radius);
    if (status == 0) selection |= 2;
    status = 1;
    SelectBranchTextsAtPoint(status, x, y, radius);
    if (status == 0) selection |= 4;
    if (selection == 0) return false;

    // The whole file is made first: a name that cannot be written stops the
    // save before the file is touched.
    std::vector<std::string> lines;
    lines.push_back("090," + PlainNumber(m_BoxW) + "," + PlainNumber(m_BoxH));
    bool ok = true;
    std::set<int32_t> comps;
    if ((selection & 1) != 0) {
        WalkMarked(DB_SchCompMap(), 256, 256, [&](int32_t id) {
            std::string name;
            int32_t read = 1;
            ReadComp(read, id, name);
            if (read != 0) return true;
            const int32_t device = g_Comp.Device == 0 ? 0 : D_Device(g_Comp.Device);
            const std::string deviceName = device == 0 ? "none" : KernelName(device);
            const std::string symbolName = KernelName(S_Symbol(g_Comp.Symb));
            if (!block::IsFieldText(name)) return ok = RefuseName("the component", name);
            if (!block::IsFieldText(deviceName)) return ok = RefuseName("the part of " + name, deviceName);
            if (!block::IsFieldText(symbolName)) return ok = RefuseName("the symbol of " + name, symbolName);
            lines.push_back("1600," + IdText(id) + "," + name + "," + deviceName + "," + symbolName + "," +
                            PlainNumber(g_Comp.Flags & 255) + "," + PlainNumber(g_Comp.Angle) + "," +
                            PlainNumber(int64_t{g_Comp.X} - x) + "," + PlainNumber(int64_t{g_Comp.Y} - y));
            comps.insert(id);
            N_MaskCompNodes(id, 0, 256, 256, 256, 256);
            return true;
        });
        if (!ok) return false;
        WalkMarked(DB_NetMap(), 256, 256, [&](int32_t net) {
            NetRec rec{};
            if (N_ReadNet(net, &rec) == 0) return true;
            const std::string name = PtrToStr(rec.Name);
            if (!block::IsFieldText(name)) return ok = RefuseName("the net", name);
            lines.push_back("1300," + IdText(net) + "," + name + "," + PlainNumber(rec.Flags & 255));
            WalkMarked(N_NodeMap(net), 256, 256, [&](int32_t node) {
                NodeRec nodeRec{};
                if (N_ReadNode(net, node, &nodeRec) != 0 && comps.count(nodeRec.Comp) != 0)
                    lines.push_back("1301," + IdText(nodeRec.Comp) + "," + PlainNumber(nodeRec.Entry));
                return true;
            });
            return true;
        });
        if (!ok) return false;
    }
    if ((selection & 2) != 0) {
        WalkMarked(DB_BranchMap(), 512, 512, [&](int32_t branch) {
            BranchRec rec{};
            if (B_ReadBranch(branch, &rec) == 0 || (rec.Flags & 2) == 2 || rec.Net <= 0) return true;
            const std::string netName = KernelName(N_Net(rec.Net));
            if (!block::IsFieldText(netName)) return ok = RefuseName("the net", netName);
            lines.push_back("1700," + IdText(rec.Net) + "," + netName);
            for (int32_t i = 1; i <= rec.Points; ++i) {
                BranchPointRec point{};
                if (B_ReadRecord(branch, i, &point) <= 0) continue;
                const std::string offsets = PlainNumber(int64_t{point.X} - x) + "," + PlainNumber(int64_t{point.Y} - y);
                const int32_t kind = point.Flags & 6;
                if (kind == 2) {
                    NodeRec node{};
                    if (N_ReadNode(rec.Net, point.Ref, &node) == 0) continue;
                    if (comps.count(node.Comp) != 0) {
                        lines.push_back("1701," + PlainNumber(point.Flags & 255) + "," + IdText(node.Comp) + "," +
                                        PlainNumber(node.Entry) + "," + offsets);
                    } else {
                        // A pin of a component outside the block: the wire
                        // keeps its shape through a junction there.
                        lines.push_back("1701," + PlainNumber((point.Flags & 255 & ~6) | 4) + "," + offsets);
                    }
                } else if (kind == 4) {
                    lines.push_back("1701," + PlainNumber(point.Flags & 255) + "," + offsets);
                }
            }
            if ((selection & 4) != 0) {
                const int32_t texts = B_BranchTextArray(branch);
                for (int32_t index = 1; (index = OA_SearchMask(texts, index, 258)) > 0; ++index) {
                    ItemRec item{};
                    if (I_ReadItem(B_BranchText(branch, index), &item) <= 0) continue;
                    std::string text = PtrToStr(item.Text);
                    if (!block::IsFieldText(text) && !text.empty() && text.find(',') == std::string::npos) {
                        OA_MaskAll(texts, 1, 257);
                        return ok = RefuseName("the wire text", text);
                    }
                    lines.push_back("1702," + PlainNumber(item.Flags & 255) + "," + PlainNumber(item.Link) + "," +
                                    PlainNumber(item.Layer) + "," + PlainNumber(item.Style) + "," +
                                    PlainNumber(item.Width) + "," + PlainNumber(item.Gap) + "," +
                                    PlainNumber(item.Angle) + "," + PlainNumber(item.P1) + "," + PlainNumber(item.P2) +
                                    "," + PlainNumber(int64_t{item.X} - x) + "," + PlainNumber(int64_t{item.Y} - y) +
                                    "," + IdText(rec.Net) + "," + text);
                }
                OA_MaskAll(texts, 1, 257);
            }
            return true;
        });
        if (!ok) return false;
    }
    lines.push_back("999");

    const std::string& path = m_BlockFilePath;
    g_CurFileName = path;
    int32_t file = 0;
    OpenTextFileOut(status, file, path);
    if (status != 0) return false;  // reported by the opener
    ShowMessage(GetMsgText("Saving Block", "13187"));
    for (const std::string& line : lines) {
        WriteTextLine(status, file, line);
        if (status != 0) {
            // Reported by the writer; the file at the path stays as it was.
            CloseTextFile(1, file, path);
            return false;
        }
    }
    CommitTextFile(status, file, path);
    if (status != 0) {
        ReportWriteError(path);
        return false;
    }
    ShowMessage(GetMsgText("Block saved O.K", "1333"));
    return true;
}

void SCHMAIN::LoadBlock(int32_t& status, bool& join)
{
    DesignChange change;
    status = 1;
    const std::string path = m_BlockFilePath;
    std::string bytes;
    if (!ReadBlockFileBytes(path, bytes)) return;
    ShowMessage(GetMsgText("Loading Block", "99847"));
    block::File file;
    block::Problem problem;
    if (!block::ParseBlock(bytes, file, problem) ||
        !block::PlaceBlock(file, block::Placement{m_PlaceX, m_PlaceY, m_Rotation}, problem)) {
        ReportBlockProblem(path, problem);
        return;
    }
    if (!MakeBlockObjects(file, join, path) || !change.Finish()) return;
    status = 0;
    ShowMessage(GetMsgText("Block Loaded O.K", "1332"));
}

void SCHMAIN::PackBlockComps()
{
    // The manual packaging window goes when the block's packaging starts.
    if (g_PackDlgOpen) {
        FormInstance<SCHIPACK>().Unload();
        g_PackDlgOpen = false;
    }
    // Every component of the block, or none; the selection marks go back
    // with them.
    DesignChange change;
    int32_t status = 1;
    SelectCompsAtPoint(status, m_BaseX, m_BaseY, m_BoxDiagonal);
    if (status != 0) {
        SetScreenMousePointer(mousepointer::Default);
        return;
    }
    const bool unpack = F_OST(0)->Value();
    const bool repack = !unpack && F_OST(1)->Value();
    if (!unpack && !repack) return;
    if (!AskYesNo(unpack ? GetMsgText("Unpack Components in Block?", "13209")
                         : GetMsgText("Repack Components in Block?", "13173")))
        return;
    SetScreenMousePointer(mousepointer::Hourglass);
    auto pointer = OnExit([] { SetScreenMousePointer(mousepointer::Default); });
    WalkMarked(DB_SchCompMap(), 256, 256, [&](int32_t id) {
        std::string name;
        int32_t read = 1;
        ReadComp(read, id, name);
        if (read != 0 || D_Device(g_Comp.Device) == 0 || g_Comp.LayComp == 0 || g_Comp.Group == 0) return true;
        const CompRec comp = g_Comp;
        DrawCmdObjectInView(1, 2);
        OpenCanvasDC();
        EraseComp(id);
        CloseCanvasDC();
        if (unpack)
            UnpackComp(id, comp);
        else
            RefreshCompTexts(id, comp);
        OpenCanvasDC();
        DrawCompWithWires(id);
        CloseCanvasDC();
        DrawCmdObjectInView(1, g_DrawMode);
        return true;
    });
    OM_MaskAll(DB_SchCompMap(), 0, 256);
}
