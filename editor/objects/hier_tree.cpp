#include "editor/objects/hier_tree.h"

#include "editor/objects/hierarchy.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/textnum.h"

#include <algorithm>

namespace {

// What the walk is asked to do: either list the tree (tree not null), or
// stop at the first recursion with (hier, comp) given `newSub`.
struct WalkRequest {
    bool includeLeaves = false;
    std::vector<HierTreeEntry>* tree = nullptr;
    int32_t hier = 0;
    int32_t comp = 0;
    int32_t newSub = 0;
    bool overrides = false;
};

void ClearUnvisited(int32_t level)
{
    O_Mask(OM_Object(DB_HierarchyMap(), level), 0, kHierUnvisited);
}

// The explicit depth-first walk with one stack entry per depth (level, its
// component map, the position in it). Returns -1 on a recursion.
int16_t Walk(int32_t start, const WalkRequest& request)
{
    int16_t recursion = 0;
    const int32_t remembered = DB_CurHier();
    // No start level (no root named by the stack): nothing to walk.
    if (!HierLevelExists(start)) return 0;
    auto restore = OnExit([&] { DB_SetCurHier(remembered); });
    if (DB_SetCurHier(start) == 0) return 0;
    if (request.tree)
        request.tree->push_back({1, start, HierLevelName(start), 0, "--->", 0, std::string(), 0});

    struct Frame {
        int32_t level;
        int32_t map;
        int32_t position;
    };
    std::vector<Frame> stack{{start, DB_SchCompMap(), 0}};
    stack.back().position = OM_GetFirst(stack.back().map);
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (DB_SetCurHier(top.level) == 0) {
            stack.pop_back();
            continue;
        }
        ClearUnvisited(top.level);
        const int32_t comp = OM_SearchMask(top.map, &top.position, 0, 0);
        if (comp == 0) {
            stack.pop_back();
            continue;
        }
        CompRec rec{};
        if (C_ReadComponent(comp, &rec) == 0) continue;
        const std::string compName = PtrToStr(O_GetName(C_Component(comp)));
        int32_t sub = 0;
        std::string subName;
        if (request.overrides && top.level == request.hier && comp == request.comp) {
            sub = request.newSub;
            subName = HierLevelName(sub);
        } else {
            int32_t own = 0;
            GetCompSubHier(sub, subName, own, comp, rec.Symb);
        }
        const int32_t depth = static_cast<int32_t>(stack.size());
        const int32_t level = top.level;
        if (sub == 0) {
            if (request.tree && request.includeLeaves)
                request.tree->push_back({depth, level, HierLevelName(level), comp, compName, 0, std::string(), 0});
            continue;
        }
        if (DB_SetCurHier(sub) == 0) continue;
        const bool onPath =
            std::any_of(stack.begin(), stack.end(), [sub](const Frame& f) { return f.level == sub; });
        if (request.tree)
            request.tree->push_back(
                {depth, level, HierLevelName(level), comp, compName, sub, HierLevelName(sub), int16_t(onPath ? -1 : 0)});
        if (onPath) {
            recursion = -1;
            if (!request.tree) return -1;
            continue;
        }
        stack.push_back({sub, DB_SchCompMap(), 0});
        stack.back().position = OM_GetFirst(stack.back().map);
        ClearUnvisited(sub);
    }
    return recursion;
}

}  // namespace

void BuildHierTree(bool includeLeaves, int32_t start, int32_t& recursionFound, std::vector<HierTreeEntry>& tree)
{
    tree.clear();
    WalkRequest request;
    request.includeLeaves = includeLeaves;
    request.tree = &tree;
    recursionFound = Walk(start, request);
}

int16_t CheckHierRecursion(int32_t start, int32_t hier, int32_t comp, int32_t newSub)
{
    WalkRequest request;
    request.hier = hier;
    request.comp = comp;
    request.newSub = newSub;
    request.overrides = true;
    return Walk(start, request);
}
