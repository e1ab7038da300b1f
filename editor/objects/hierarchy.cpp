#include "editor/objects/hierarchy.h"

#include "editor/objects/branches.h"
#include "editor/objects/hier_files.h"
#include "editor/objects/net_removal.h"
#include "editor/objects/owner_items.h"
#include "editor/view/display_menus.h"
#include "editor/shell/curpos.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/systables.h"
#include "editor/shell/textfiles.h"
#include "editor/shell/textnum.h"

#include <cmath>

namespace {

// Half an inch: the length of a port's stub wire.
constexpr int32_t kStubLength = 1270000;
constexpr int32_t kPortLabelSize = 25400;

void SetLevel(int32_t hier)
{
    g_CurHier = hier;
    DB_SetCurHier(hier);
}

// The fields of an attribute text item, split at commas. False when the
// item is missing or no text.
bool ReadAttrFields(int32_t handle, CheckedArray<std::string>& fields)
{
    ItemRec item{};
    if (handle == 0 || I_ReadItem(handle, &item) == 0 || item.Kind != 6) return false;
    CheckedArray<double> values;
    SplitInto(PtrToStr(item.Text), ',', fields, values);
    return true;
}

int32_t FieldCount(const CheckedArray<std::string>& fields)
{
    return static_cast<int32_t>(fields.UBound());
}

// Takes the attribute's fields 1..4 as far as present.
void TakeFields(const CheckedArray<std::string>& fields, HierAttrRec& attr)
{
    const int32_t n = FieldCount(fields);
    if (n >= 1) attr.Kind = fields(1);
    if (n >= 2) attr.HierName = fields(2);
    if (n >= 3) attr.Tag = fields(3);
    if (n >= 4) attr.Extra = fields(4);
}

// The attribute of a component, else of its symbol: true when one was read.
bool ReadAnyHierAttr(int32_t comp, int32_t symbol, HierAttrRec& attr)
{
    int32_t status = 1;
    ReadCompHierAttr(status, comp, attr);
    if (status != 0) ReadSymbHierAttr(status, symbol, attr);
    return status == 0;
}

// To the nearest whole database unit, halves to the even one.
int32_t RoundHalfEven(double value)
{
    return ToLong(value);
}

// One port of the child sheet: a net of the entry's name, a stub wire from
// the entry outwards and a port label. Everything made is taken away again
// when a later step fails. Returns the net, 0 on failure.
int32_t MakePort(const EntryRec& entry, int32_t middle)
{
    const std::string name = PtrToStr(entry.Name);
    const int32_t net = N_CreateNet(0, 5, name.c_str());
    if (net == 0) return 0;
    int32_t dummy = 0;
    auto dropNet = [&] { DeleteNetIfEmpty(net, dummy); };
    const int32_t branch = B_CreateBranch(0, kHierStubFlags, net);
    if (branch == 0) {
        dropNet();
        return 0;
    }
    auto dropAll = [&] {
        DeleteBranch(branch);
        dropNet();
    };
    const int32_t x2 = entry.X > middle ? entry.X + kStubLength : entry.X - kStubLength;
    const int32_t outer = J_CreateJunction(GetFreeJunctionId(), 11, x2, entry.Y);
    if (outer == 0 || B_InsertRecord(branch, -1, 5, outer) == 0) {
        if (outer != 0) AddJunctionToHeap(outer);
        dropAll();
        return 0;
    }
    const int32_t inner = J_CreateJunction(GetFreeJunctionId(), 3, entry.X, entry.Y);
    if (inner == 0 || B_InsertRecord(branch, -1, 5, inner) == 0) {
        if (inner != 0) AddJunctionToHeap(inner);
        dropAll();
        return 0;
    }
    ItemRec label{};
    label.Kind = 6;
    label.Flags = 3;
    label.Link = 1;
    label.X = x2 + g_SnapStep;
    label.Y = OffsetCoord(entry.Y, entry.TextY);
    label.Layer = 44;
    label.Style = 0;
    label.P1 = kPortLabelSize;
    label.P2 = kPortLabelSize;
    int32_t status = 0;
    int32_t item = 0;
    MakeOwnerItem(status, kOwnerBranch, branch, label, ">>> " + name, item);
    if (status != 0) {
        dropAll();
        return 0;
    }
    return net;
}

// True when the level's name can stand in an attribute text and a
// description record and names this level only.
bool UsableLevelName(int32_t hier, const std::string& name)
{
    if (Trim(name).empty() || name.size() > 15) return false;
    const int32_t map = DB_HierarchyMap();
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t other = OM_SearchName(map, &cursor, name.c_str()))
        if (other != hier) return false;
    return true;
}

}  // namespace

std::string HierLevelName(int32_t hier)
{
    return PtrToStr(O_GetName(OM_Object(DB_HierarchyMap(), hier)));
}

bool HierLevelExists(int32_t hier)
{
    return hier > 0 && OM_Object(DB_HierarchyMap(), hier) != 0;
}

void RebuildHeaps()
{
    MakeHeap(3, 0);
    MakeHeap(2, 0);
    MakeHeap(1, 0);
}

std::string HierAttrText(const HierAttrRec& attr)
{
    std::string text = Trim(attr.Kind);
    if (!Trim(attr.HierName).empty()) text += "," + Trim(attr.HierName);
    if (!Trim(attr.Tag).empty()) {
        text += "," + Trim(attr.Tag);
        if (!Trim(attr.Extra).empty()) text += "," + Trim(attr.Extra);
    }
    return text;
}

void CreateSubHier(int32_t& status, int32_t /*unused*/, int32_t comp, int32_t hier)
{
    status = 1;
    const int32_t parent = g_CurHier;
    CompRec compRec{};
    SymbRec symbRec{};
    if (C_ReadComponent(comp, &compRec) == 0 || S_ReadSymbol(compRec.Symb, &symbRec) == 0) return;
    const int32_t symbol = compRec.Symb;
    const std::string hierName = HierLevelName(hier);
    if (!UsableLevelName(hier, hierName)) return;

    HierAttrRec attr;
    std::vector<HierPortRec> ports;
    {
        // The child is current from here until the scope ends, on every path.
        auto restore = OnExit([&] {
            SetLevel(parent);
            RebuildHeaps();
        });
        g_CurHier = hier;
        if (DB_SetCurHier(hier) <= 0) return;
        RebuildHeaps();

        attr.Kind = "X";
        attr.HierName = hierName;
        attr.Tag = "hierarchy";
        attr.HierId = hier;
        const int32_t n = OA_GetCount(S_SymbolEntryArray(symbol));
        ports.assign(static_cast<size_t>(std::max(n, 0)), HierPortRec{});

        int32_t readStatus = 1;
        SubHierDescRec desc;
        ReadSubHierDesc(readStatus, desc);
        desc.HierName = attr.HierName;
        attr.Description = Trim(desc.Description);
        std::vector<SubHierNetRec> nets;
        ReadSubHierNets(readStatus, nets);
        status = 0;

        S_SetCompLocation(0, 0, 0, 0);
        int32_t frame[4] = {0, 0, 0, 0};
        if (S_FrameSymbolEntries(symbol, -1, frame) == 0) frame[0] = frame[1] = frame[2] = frame[3] = 0;
        // The horizontal middle of the entries' box (x1, y1, x2, y2).
        const int32_t middle = RoundHalfEven(frame[0] + (static_cast<double>(frame[2]) - frame[0]) / 2.0);

        for (int32_t i = 1; i <= n && status == 0; ++i) {
            EntryRec entry{};
            if (S_ReadEntry(symbol, i, &entry) == 0) continue;
            const std::string entryName = PtrToStr(entry.Name);
            std::string label = PtrToStr(entry.Label);
            if (Trim(label).empty()) label = entryName;
            ports[static_cast<size_t>(i - 1)].EntryNo = i;
            ports[static_cast<size_t>(i - 1)].EntryName = entryName;
            if (nets.size() < static_cast<size_t>(i)) {
                nets.resize(static_cast<size_t>(i));
                nets[static_cast<size_t>(i - 1)].Label = label;
                nets[static_cast<size_t>(i - 1)].NetName = entryName;
            }
            SubHierNetRec& rec = nets[static_cast<size_t>(i - 1)];
            int32_t net = OM_FindName(DB_NetMap(), Trim(rec.NetName).c_str());
            if (net == 0) {
                net = MakePort(entry, middle);
                if (net == 0) status = 1;
            }
            if (status == 0) rec.NetId = net;
        }
        if (status == 0) {
            WriteSubHierDesc(status, desc);
            if (status == 0) WriteSubHierNets(status, nets);
        }
    }
    if (status != 0) return;
    DeleteTempFileObjects(comp, g_CurHier);
    MakeHierLabels(status, 1, comp, attr, ports);
    DeleteOwnerItems(kOwnerSymbol, symbol, kHierTextMask);
}

void ReadCompHierAttr(int32_t& status, int32_t comp, HierAttrRec& attr)
{
    status = 1;
    HierAttrRec read = attr;
    CompRec compRec{};
    if (C_ReadComponent(comp, &compRec) == 0) return;
    const int32_t array = C_CompTextArray(comp);
    const int32_t index = IA_SearchMaskLink(array, 1, kHierTextMask, 0);
    if (index <= 0) return;
    CheckedArray<std::string> fields;
    if (!ReadAttrFields(C_CompText(comp, index), fields)) return;
    if (FieldCount(fields) < 3 || UCase(Trim(fields(1))) != "X") return;
    read.Kind = fields(1);
    read.HierName = fields(2);
    read.Tag = fields(3);
    if (FieldCount(fields) >= 4) read.Extra = fields(4);
    attr = read;
    status = 0;
}

void ReadSymbHierAttr(int32_t& status, int32_t symbol, HierAttrRec& attr)
{
    status = 1;
    SymbRec symbRec{};
    if (S_ReadSymbol(symbol, &symbRec) == 0) return;
    const int32_t array = S_SymbolItemArray(symbol);
    const int32_t index = IA_SearchMaskLink(array, 1, kHierTextMask, 0);
    if (index <= 0) return;
    CheckedArray<std::string> fields;
    if (!ReadAttrFields(S_SymbolItem(symbol, index), fields)) return;
    if (FieldCount(fields) < 1) return;
    TakeFields(fields, attr);
    status = 0;
}

void GetCompSubHier(int32_t& subHier, std::string& subHierName, int32_t& own, int32_t comp, int32_t symbol)
{
    subHier = 0;
    subHierName.clear();
    own = 1;
    HierAttrRec attr;
    int32_t status = 1;
    ReadCompHierAttr(status, comp, attr);
    if (status != 0) {
        own = 0;
        ReadSymbHierAttr(status, symbol, attr);
    }
    if (status != 0 || Trim(attr.Kind) != "X" || Trim(attr.Tag) != "hierarchy") return;
    const std::string name = Trim(attr.HierName);
    subHier = OM_FindNameMask(DB_HierarchyMap(), name.c_str(), 0, 0);
    if (subHier != 0) subHierName = name;
}

bool VisitEveryLevel(const std::function<bool(int32_t level)>& visit)
{
    const int32_t remembered = DB_CurHier();
    auto restore = OnExit([&] { DB_SetCurHier(remembered); });
    const int32_t levels = DB_HierarchyMap();
    int32_t position = OM_GetFirst(levels);
    while (const int32_t level = OM_SearchMask(levels, &position, 0, 0)) {
        if (DB_SetCurHier(level) == 0) continue;
        if (visit(level)) return true;
    }
    return false;
}

bool VisitEveryComponent(const std::function<bool(int32_t comp, int32_t symbol)>& visit)
{
    return VisitEveryLevel([&](int32_t) {
        const int32_t comps = DB_SchCompMap();
        int32_t cursor = OM_GetFirst(comps);
        while (const int32_t comp = OM_SearchMask(comps, &cursor, 0, 0)) {
            CompRec rec{};
            if (C_ReadComponent(comp, &rec) == 0) continue;
            if (visit(comp, rec.Symb)) return true;
        }
        return false;
    });
}

int32_t FindHierSymbol(int32_t hier)
{
    const std::string name = HierLevelName(hier);
    int32_t found = 0;
    VisitEveryComponent([&](int32_t comp, int32_t symbol) {
        HierAttrRec attr;
        if (!ReadAnyHierAttr(comp, symbol, attr)) return false;
        if (attr.Kind != "X" || Trim(attr.Tag) != "hierarchy" || attr.HierName != name) return false;
        found = symbol;
        return true;
    });
    return found;
}

void LoadSubHierPorts(int32_t& status, HierAttrRec& attr, std::vector<HierPortRec>& ports)
{
    status = 1;
    const int32_t remembered = g_CurHier;
    const int32_t hier = OM_FindNameMask(DB_HierarchyMap(), attr.HierName.c_str(), 0, 0);
    if (hier == 0) return;
    auto restore = OnExit([&] { SetLevel(remembered); });
    g_CurHier = hier;
    if (DB_SetCurHier(hier) == 0) return;
    status = 2;
    int32_t readStatus = 1;
    std::vector<SubHierNetRec> nets;
    ReadSubHierNets(readStatus, nets);
    if (readStatus != 0 || nets.empty()) return;
    SubHierDescRec desc;
    ReadSubHierDesc(readStatus, desc);
    if (Trim(desc.HierName).empty()) return;
    attr.Kind = "X";
    attr.Tag = "hierarchy";
    attr.Extra.clear();
    attr.Description = Trim(desc.Description);
    attr.HierId = hier;
    attr.Reserved2 = 0;
    ports.assign(nets.size(), HierPortRec{});
    for (size_t i = 0; i < nets.size(); ++i) ports[i].EntryName = Trim(nets[i].Label);
    status = 0;
}

void MakeHierLabels(int32_t& status, int32_t ownerKind, int32_t owner, const HierAttrRec& attr,
                    const std::vector<HierPortRec>& ports)
{
    status = 1;
    DeleteOwnerItems(ownerKind, owner, kHierTextMask);
    const int32_t array = ownerKind == kOwnerSymbol ? S_SymbolItemArray(owner)
                          : ownerKind == kOwnerComp ? C_CompTextArray(owner)
                                                    : 0;
    if (array == 0) return;
    auto addText = [&](const std::string& text, int32_t link) {
        const int32_t item = I_MakeText(0, 0, 0, 0, 0, text.c_str(), kHierTextMask, g_ColorMode, 0);
        if (item == 0) return false;
        I_ChangeItemLink(item, link);
        if (OA_Add(array, item) == 0) {
            O_Discard(item);
            return false;
        }
        return true;
    };
    if (!addText(HierAttrText(attr), 0)) return;
    for (size_t p = 0; p < ports.size(); ++p)
        if (!addText(CStr(static_cast<int32_t>(p + 1)), ports[p].EntryNo)) return;
    if (ownerKind == kOwnerSymbol) O_Mask(S_Symbol(owner), kHierTextMask, kHierTextMask);
    status = 0;
}

void RefreshHierLabels()
{
    const int32_t remembered = g_CurHier;
    auto restore = OnExit([&] { SetLevel(remembered); });
    const int32_t symbols = DB_SymbMap();
    int32_t position = OM_GetFirst(symbols);
    while (const int32_t symbol = OM_SearchMask(symbols, &position, 1, 3)) {
        HierAttrRec attr;
        int32_t status = 1;
        ReadSymbHierAttr(status, symbol, attr);
        if (status != 0 || Trim(attr.Tag) != "hierarchy") continue;
        // A hierarchical symbol refers to the level that bears its name.
        attr.HierName = PtrToStr(O_GetName(S_Symbol(symbol)));
        std::vector<HierPortRec> ports;
        LoadSubHierPorts(status, attr, ports);
        if (status != 0) continue;

        SymbRec symbRec{};
        S_ReadSymbol(symbol, &symbRec);
        const int32_t items = S_SymbolItemArray(symbol);
        for (int32_t index = 1;; ++index) {
            index = OA_SearchMask(items, index, kHierTextMask);
            if (index <= 0) break;
            ItemRec item{};
            if (I_ReadItem(S_SymbolItem(symbol, index), &item) == 0 || item.Kind != 6 || item.Link == 0) continue;
            const double p = ReadNumber(PtrToStr(item.Text));
            if (p >= 1 && p <= static_cast<double>(ports.size()) && item.Link <= symbRec.Entries)
                ports[static_cast<size_t>(p) - 1].EntryNo = item.Link;
        }

        const int32_t levels = DB_HierarchyMap();
        int32_t levelPos = OM_GetFirst(levels);
        while (const int32_t level = OM_SearchMask(levels, &levelPos, 0, 0)) {
            if (DB_SetCurHier(level) == 0) continue;
            g_CurHier = level;
            const int32_t comps = DB_SchCompMap();
            int32_t cursor = OM_GetFirst(comps);
            while (const int32_t comp = C_SearchSymbol(&cursor, symbol)) {
                if (comp <= 0) break;
                DeleteTempFileObjects(comp, level);
                MakeHierLabels(status, kOwnerComp, comp, attr, ports);
            }
        }
        SetLevel(remembered);
        DeleteOwnerItems(kOwnerSymbol, symbol, kHierTextMask);
    }
}
