#include "editor/documents/block_load.h"

#include "editor/objects/branches.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/components.h"
#include "editor/objects/libraries.h"
#include "editor/objects/net_lookups.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/pin_nodes.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/paths.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/interaction.h"

#include <fstream>
#include <functional>
#include <map>
#include <vector>

namespace {

constexpr int32_t kNetWire = 1;
constexpr int32_t kJunctionType = 3;
constexpr int32_t kFreeJunctionRecord = 5;

class BlockMaker {
public:
    BlockMaker(bool join, std::string path) : join_(join), path_(std::move(path)) {}

    bool Make(const block::File& file)
    {
        if (!Resolve(file)) return Fail();
        for (const block::Comp& comp : file.comps)
            if (!MakeComp(comp)) return Fail();
        for (const block::Net& net : file.nets)
            if (!MakeNet(net)) return Fail();
        for (const block::Branch& branch : file.branches)
            if (!MakeBranch(branch)) return Fail();
        return true;
    }

private:
    bool Fail()
    {
        for (auto undo = undo_.rbegin(); undo != undo_.rend(); ++undo) (*undo)();
        undo_.clear();
        return false;
    }
    bool Problem(int line, const std::string& reason)
    {
        ReportBlockProblem(path_, block::Problem{line, reason});
        return false;
    }
    static bool Report(int32_t code, std::string detail)
    {
        ReportMsg(code, detail);
        return false;
    }

    // Parts and symbols: from the design, else from the libraries; those
    // loaded for this block go again when the load fails.
    bool Resolve(const block::File& file)
    {
        for (const block::Comp& comp : file.comps) {
            if (comp.device != "none" && devices_.count(comp.device) == 0) {
                int32_t status = 0, id = 0, index = 0;
                std::string lib;
                GetDevice(status, comp.device, id, lib, index);
                if (status != 0) return Report(1, comp.device);
                if (id == -1) {
                    id = OM_ChangeId(DB_DeviceMap(), -1, 0);
                    if (id == 0) OM_Delete(DB_DeviceMap(), -1);
                    if (id != 0) undo_.push_back([id] { OM_Delete(DB_DeviceMap(), id); });
                }
                if (id == 0) return Report(13, comp.device);
                devices_[comp.device] = id;
            }
            if (symbols_.count(comp.symbol) == 0) {
                int32_t status = 0, id = 0, index = 0;
                std::string lib;
                GetSymb(status, 0, comp.symbol, id, lib, index);
                if (status != 0) return Report(6, comp.symbol);
                if (id == -2) {
                    id = OM_ChangeId(DB_SymbMap(), -2, 0);
                    if (id == 0) OM_Delete(DB_SymbMap(), -2);
                    if (id != 0) undo_.push_back([id] { OM_Delete(DB_SymbMap(), id); });
                }
                if (id == 0) return Report(12, comp.symbol);
                symbols_[comp.symbol] = id;
            }
        }
        return true;
    }

    bool FreeName(int32_t map, const std::string& prefix, std::string& name, int32_t code)
    {
        int32_t ok = 1;
        FindFreeName(ok, map, prefix, name);
        if (ok != 0) return Report(code, prefix);
        return true;
    }

    bool MakeComp(const block::Comp& comp)
    {
        std::string name;
        if (!FreeName(DB_SchCompMap(), "Unpck", name, 22)) return false;
        CompInfoRec rec;
        rec.Name = FixedText(name, 15);
        rec.Flags = comp.flags | 256;
        rec.Angle = comp.angle;
        rec.Extra = 1;
        rec.X = comp.x;
        rec.Y = comp.y;
        if (comp.device != "none") {
            rec.Device = devices_.at(comp.device);
            rec.DeviceName = FixedText(comp.device, 15);
        } else {
            rec.Device = 0;
            rec.DeviceName = FixedText("", 15);
        }
        rec.Symb = symbols_.at(comp.symbol);
        rec.SymbName = FixedText(comp.symbol, 15);
        int32_t status = 0;
        CreateComp(status, rec, 0);
        if (status != 0 || rec.Id == 0) return false;  // CreateComp has reported
        const int32_t id = rec.Id;
        undo_.push_back([id] { DeleteComp(id); });
        comps_[comp.id] = id;
        return true;
    }

    bool CreateNet(int32_t flags, const std::string& name, int32_t& net)
    {
        net = N_CreateNet(0, flags, name.c_str());
        if (net == 0) return Report(35, name);
        const int32_t made = net;
        undo_.push_back([made] { OM_Delete(DB_NetMap(), made); });
        return true;
    }

    bool MakeNet(const block::Net& net)
    {
        int32_t status = 1, found = 0, id = 0;
        FindNetByName(status, found, net.name);
        if (status != 0) {
            if (!CreateNet(net.flags, net.name, id)) return false;
        } else if (join_) {
            id = found;
        } else {
            std::string name;
            if (!FreeName(DB_NetMap(), "UN", name, 28) || !CreateNet(257, name, id)) return false;
        }
        nets_[net.id] = id;
        for (const block::Node& node : net.nodes) {
            int32_t made = 0;
            status = 0;
            CreatePinNode(status, comps_.at(node.comp), node.entry, id, made);
            if (status != 0 || made == 0)
                return Problem(node.line, "the node of " + block::IdText(node.comp) + " pin " +
                                              std::to_string(node.entry) + " cannot be made");
            undo_.push_back([id, made] { OM_Delete(N_NodeMap(id), made); });
        }
        return true;
    }

    // Sets `bits` in the object's status, remembering what they were.
    void MarkObject(int32_t handle, int32_t bits)
    {
        const int32_t old = O_GetStatus(handle) & bits;
        if (old == bits) return;
        O_Mask(handle, bits, bits);
        undo_.push_back([handle, old, bits] { O_Mask(handle, old, bits); });
    }

    bool MakeJunction(int32_t x, int32_t y, int32_t& junction)
    {
        junction = J_CreateJunction(GetFreeJunctionId(), kJunctionType, x, y);
        if (junction == 0) return Report(51, "");
        const int32_t made = junction;
        undo_.push_back([made] { AddJunctionToHeap(made); });
        return true;
    }

    bool MakeBranch(const block::Branch& branch)
    {
        int32_t net = 0;
        if (const auto known = nets_.find(branch.net); known != nets_.end()) {
            net = known->second;
        } else {
            int32_t status = 1;
            FindNetByName(status, net, branch.netName);
            if (status != 0) {
                std::string name;
                if (!FreeName(DB_NetMap(), "UN", name, 28) || !CreateNet(kNetWire, name, net)) return false;
            }
            // Later wires of the same net join the net found or made here.
            nets_[branch.net] = net;
        }
        const int32_t id = B_CreateBranch(0, kNetWire, net);
        if (id == 0) return Report(50, "");
        undo_.push_back([id] { OM_Delete(DB_BranchMap(), id); });
        MarkObject(N_Net(net), 1);

        for (const block::Point& point : branch.points) {
            int32_t flags = point.flags;
            int32_t ref = 0;
            if (point.AtPin()) {
                N_SetNodeView(0);
                int32_t nodeNet = net;
                const int32_t node = N_FindCompEntry(comps_.at(point.comp), point.entry, &nodeNet);
                if (node != 0 && nodeNet == net) {
                    MarkObject(N_Node(net, node), 2);
                    ref = node;
                } else {
                    // The pin is not in the wire's net: the wire keeps its
                    // shape through a junction.
                    if (!MakeJunction(point.x, point.y, ref)) return false;
                    flags = kFreeJunctionRecord;
                }
            } else if (!MakeJunction(point.x, point.y, ref)) {
                return false;
            }
            if (B_InsertRecord(id, -1, flags, ref) == 0) return Report(51, "");
        }

        const std::string text = PtrToStr(O_GetName(N_Net(net)));
        for (const block::Text& t : branch.texts) {
            ItemRec item{};
            item.Kind = 6;
            item.Flags = t.attribute;
            item.Link = t.link;
            item.Layer = static_cast<uint8_t>(t.byte1);
            item.Style = static_cast<uint8_t>(t.byte2);
            item.Width = t.value;
            item.Gap = t.gap;
            item.Angle = t.angle;
            item.P1 = t.height;
            item.P2 = t.width;
            item.X = t.x;
            item.Y = t.y;
            int32_t status = 0, index = 0;
            MakeOwnerItem(status, 4, id, item, text, index);
            if (status != 0) return Problem(t.line, "the wire text cannot be made");
        }
        return true;
    }

    bool join_;
    std::string path_;
    std::vector<std::function<void()>> undo_;
    std::map<std::string, int32_t> devices_;
    std::map<std::string, int32_t> symbols_;
    std::map<int32_t, int32_t> comps_;  // file id -> component
    std::map<int32_t, int32_t> nets_;   // file id -> net
};

}  // namespace

bool ReadBlockFileBytes(const std::string& path, std::string& bytes)
{
    std::ifstream in(NativePath(path), std::ios::binary);
    if (!in) return false;
    bytes.clear();
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<size_t>(in.gcount()));
        // Anything beyond the largest block is refused by the parser.
        if (bytes.size() > block::kMaxFile) break;
    }
    return !in.bad();
}

void ReportBlockProblem(const std::string& path, const block::Problem& problem)
{
    std::string text = GetMsgText("Can't read file: ", "99365") + path + g_CrLf;
    if (problem.line > 0) text += "Line " + std::to_string(problem.line) + ": ";
    text += problem.reason;
    winsys::Ui().MessageBox(text, GetMsgText("Norvo32 - ", "99607") + g_AppTitle,
                            winsys::mb::OkOnly | winsys::mb::Exclamation);
}

bool MakeBlockObjects(const block::File& file, bool join, const std::string& path)
{
    BlockMaker maker(join, path);
    return maker.Make(file);
}
