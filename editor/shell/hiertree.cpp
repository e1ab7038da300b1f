#include "editor/shell/hiertree.h"

#include "editor/shell/platform_calls.h"
#include "editor/shell/textnum.h"

#include <algorithm>

namespace {

constexpr int32_t kHierMark = 512;
constexpr int32_t kHierTextMask = 32;
constexpr int32_t kTextKind = 6;

// The hierarchy attribute text of an item array (`item(index)` gives the
// handle); empty when none.
template <class ItemAt>
std::string AttributeText(int32_t array, ItemAt item)
{
    const int32_t index = IA_SearchMaskLink(array, 1, kHierTextMask, 0);
    if (index < 1) return {};
    ItemRec rec{};
    if (I_ReadItem(item(index), &rec) == 0 || rec.Kind != kTextKind || !rec.Text) return {};
    return rec.Text;
}

std::string LevelName(int32_t level)
{
    const int32_t object = OM_Object(DB_HierarchyMap(), level);
    return object != 0 ? PtrToStr(O_GetName(object)) : std::string();
}

void ClearMark(int32_t level)
{
    const int32_t object = OM_Object(DB_HierarchyMap(), level);
    if (object != 0) O_Mask(object, 0, kHierMark);
}

struct Walk {
    bool includeLeaves;
    bool& recursion;
    std::vector<HierReportEntry>& tree;
    std::vector<int32_t> path;

    void Level(int32_t level)
    {
        if (DB_SetCurHier(level) == 0) return;
        ClearMark(level);
        path.push_back(level);
        const std::string levelName = LevelName(level);
        const int32_t map = DB_SchCompMap();
        int32_t position = OM_GetFirst(map);
        for (;;) {
            // The scan of this level goes on after a visit below.
            DB_SetCurHier(level);
            const int32_t comp = OM_SearchMask(map, &position, 0, 0);
            if (comp < 1) break;
            CompRec rec{};
            if (C_ReadComponent(comp, &rec) == 0) continue;
            const std::string compName = PtrToStr(O_GetName(C_Component(comp)));
            std::string childName;
            const int32_t child = CompChildLevel(comp, childName);
            const int32_t depth = static_cast<int32_t>(path.size());
            if (child == 0) {
                if (includeLeaves) tree.push_back({depth, level, levelName, comp, compName, 0, {}, 0});
                continue;
            }
            if (DB_SetCurHier(child) == 0) continue;
            const bool onPath = std::find(path.begin(), path.end(), child) != path.end();
            tree.push_back({depth, level, levelName, comp, compName, child, childName, onPath ? -1 : 0});
            if (onPath) {
                recursion = true;
                continue;
            }
            Level(child);
        }
        path.pop_back();
    }
};

}  // namespace

int32_t CompChildLevel(int32_t component, std::string& childName)
{
    childName.clear();
    CompRec comp{};
    if (C_ReadComponent(component, &comp) == 0) return 0;
    std::string text =
        AttributeText(C_CompTextArray(component), [&](int32_t i) { return C_CompText(component, i); });
    if (text.empty())
        text = AttributeText(S_SymbolItemArray(comp.Symb), [&](int32_t i) { return S_SymbolItem(comp.Symb, i); });
    CheckedArray<std::string> fields;
    CheckedArray<double> values;
    SplitInto(text, ',', fields, values);
    if (ToLong(values(0)) < 3 || UCase(Trim(fields(1))) != "X" || Trim(fields(3)) != "hierarchy") return 0;
    const std::string name = Trim(fields(2));
    const int32_t level = OM_FindNameMask(DB_HierarchyMap(), name.c_str(), 0, 0);
    if (level != 0) childName = name;
    return level;
}

void BuildHierReportTree(bool includeLeaves, int32_t start, bool& recursion, std::vector<HierReportEntry>& tree)
{
    tree.clear();
    recursion = false;
    const int32_t current = DB_CurHier();
    if (DB_SetCurHier(start) == 0) return;
    tree.push_back({1, start, LevelName(start), 0, "--->", 0, {}, 0});
    Walk walk{includeLeaves, recursion, tree, {}};
    walk.Level(start);
    DB_SetCurHier(current);
}
