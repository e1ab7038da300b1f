// The Apply step of the assignment dialog SCHAHIER: the instances to be
// handled, the checks (one level serves one symbol, no level may contain
// itself), building the new child sheets and clearing old child levels that
// nothing uses any more.
#include "editor/objects/branches.h"
#include "editor/shell/design_change.h"
#include "editor/objects/hier_files.h"
#include "editor/objects/hier_tree.h"
#include "editor/objects/hierarchy.h"
#include "editor/objects/net_removal.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/schahier.h"
#include "editor/shell/controls.h"
#include "editor/shell/curpos.h"
#include "editor/shell/listbox.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/textfiles.h"
#include "editor/shell/textnum.h"

#include <algorithm>
#include <map>

namespace {

void SetLevel(int32_t hier)
{
    g_CurHier = hier;
    DB_SetCurHier(hier);
}

// The child level of every component of the design, by level.
std::map<int32_t, int32_t> CountChildLevels()
{
    std::map<int32_t, int32_t> counts;
    VisitEveryComponent([&](int32_t comp, int32_t symbol) {
        int32_t sub = 0;
        int32_t own = 0;
        std::string name;
        GetCompSubHier(sub, name, own, comp, symbol);
        if (sub != 0) ++counts[sub];
        return false;
    });
    return counts;
}

}  // namespace

void SCHAHIER::CollectSymbolInstances(int32_t symbol)
{
    SharedSubCount = 0;
    InstHier.clear();
    InstComp.clear();
    InstSubHier.clear();
    InstShared.clear();
    VisitEveryLevel([&](int32_t level) {
        int32_t cursor = OM_GetFirst(DB_SchCompMap());
        while (const int32_t comp = C_SearchSymbol(&cursor, symbol)) {
            if (comp <= 0) break;
            int32_t sub = 0;
            int32_t own = 0;
            std::string name;
            GetCompSubHier(sub, name, own, comp, symbol);
            InstHier.push_back(level);
            InstComp.push_back(comp);
            InstSubHier.push_back(sub);
            if (sub != 0 && sub == CompSubHier) ++SharedSubCount;
        }
        return false;
    });
    if (!F_AllInstances()->Value()) {
        InstHier.assign(1, DB_CurHier());
        InstComp.assign(1, g_HierCompId);
        InstSubHier.assign(1, CompSubHier);
    }
    // Every instance's own old level is counted over the whole design, not
    // only the selected component's.
    const std::map<int32_t, int32_t> counts = CountChildLevels();
    for (const int32_t sub : InstSubHier) {
        const auto found = counts.find(sub);
        InstShared.push_back(sub != 0 && found != counts.end() ? found->second : 0);
    }
}

std::vector<int32_t> SCHAHIER::LevelsToClear(int32_t newLevel) const
{
    std::vector<int32_t> levels;
    for (size_t i = 0; i < InstSubHier.size(); ++i) {
        const int32_t old = InstSubHier[i];
        if (old == 0 || old == newLevel) continue;
        if (std::find(levels.begin(), levels.end(), old) != levels.end()) continue;
        const auto handled = std::count(InstSubHier.begin(), InstSubHier.end(), old);
        if (InstShared[i] <= handled) levels.push_back(old);
    }
    return levels;
}

void SCHAHIER::ClearSubHierLevel(int32_t hier)
{
    if (DB_SetCurHier(hier) == 0) return;
    g_CurHier = hier;
    DeleteSubHierObjects(hier);
    RebuildHeaps();
    const int32_t branches = DB_BranchMap();
    int32_t cursor = OM_GetFirst(branches);
    while (const int32_t branch = OM_SearchMask(branches, &cursor, kHierStubMask, kHierStubMask)) {
        BranchRec rec{};
        if (B_ReadBranch(branch, &rec) == 0) continue;
        DeleteBranch(branch);
        int32_t deleted = 0;
        DeleteNetIfEmpty(rec.Net, deleted);
    }
}

void SCHAHIER::F_Apply_Click()
{
    if (F_List()->ListIndex() < 0) return;
    DesignChange change;
    const std::string name = F_List()->Text();
    CompRec rec{};
    C_ReadComponent(g_HierCompId, &rec);
    const int32_t symbol = rec.Symb;
    CollectSymbolInstances(symbol);
    if (Trim(name) == "(none)") {
        ApplyNone(symbol);
        return;
    }
    const int32_t target = OM_FindName(DB_HierarchyMap(), name.c_str());
    if (target == 0) return;
    std::string detail = name;
    const int32_t served = FindHierSymbol(target);
    if (served != 0 && served != symbol) {
        ReportMsg(501, detail);
        return;
    }

    LoadHierStack();
    const int32_t parent = g_CurHier;
    const int32_t levels = DB_HierarchyMap();
    const int32_t root = OM_FindNameMask(levels, Trim(g_HierStack(g_HierStack.UBound()).Name).c_str(), 0, 0);
    bool recursive = false;
    for (size_t i = 0; i < InstHier.size() && !recursive; ++i) {
        if (DB_SetCurHier(InstHier[i]) == 0) continue;
        OM_MaskAll(levels, kHierUnvisited, kHierUnvisited);
        if (CheckHierRecursion(root, InstHier[i], InstComp[i], target) == -1) {
            recursive = true;
            break;
        }
        // Every level not reached from the root is a start of its own. Each
        // check clears the mark of the levels it enters; the mark of the
        // start is cleared here too, so a level the check cannot enter is
        // not taken again and the search ends.
        int32_t position = OM_GetFirst(levels);
        while (const int32_t start = OM_SearchMask(levels, &position, kHierUnvisited, kHierUnvisited)) {
            if (CheckHierRecursion(start, InstHier[i], InstComp[i], target) == -1) {
                recursive = true;
                break;
            }
            O_Mask(OM_Object(levels, start), 0, kHierUnvisited);
            position = OM_GetFirst(levels);
        }
    }
    OM_MaskAll(levels, 0, kHierUnvisited);
    SetLevel(parent);
    if (recursive) {
        ReportMsg(500, detail);
        return;
    }

    // Every instance is built first; old levels are cleared only when all
    // of them are.
    const int32_t remembered = g_CurHier;
    int32_t status = 1;
    for (size_t i = 0; i < InstHier.size(); ++i) {
        if (DB_SetCurHier(InstHier[i]) == 0) continue;
        g_CurHier = InstHier[i];
        CreateSubHier(status, 1, InstComp[i], target);
        if (status != 0) {
            ReportMsg(502, detail);
            break;
        }
    }
    if (status == 0)
        for (const int32_t old : LevelsToClear(target)) ClearSubHierLevel(old);
    SetLevel(remembered);
    RebuildHeaps();
    if (status == 0) {
        g_HierApplied = target;
        Hide();
    }
}

void SCHAHIER::ApplyNone(int32_t symbol)
{
    const int32_t remembered = g_CurHier;
    for (size_t i = 0; i < InstHier.size(); ++i) {
        if (DB_SetCurHier(InstHier[i]) == 0) continue;
        DeleteOwnerItems(kOwnerComp, InstComp[i], kHierTextMask);
    }
    for (const int32_t old : LevelsToClear(0)) ClearSubHierLevel(old);
    DeleteOwnerItems(kOwnerSymbol, symbol, kHierTextMask);
    SetLevel(remembered);
    RebuildHeaps();
    g_HierApplied = 0;
    Hide();
}
