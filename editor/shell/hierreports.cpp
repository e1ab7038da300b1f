#include "editor/shell/hierreports.h"

#include "editor/objects/hier_tree.h"
#include "editor/objects/hierarchy.h"
#include "editor/shell/curpos.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/textfiles.h"
#include "editor/shell/textnum.h"

namespace {

constexpr const char* kRule = "--------------------";

// Makes the level remembered now current again when the scope ends.
auto RestoreLevelOnExit()
{
    const int32_t level = g_CurHier;
    return OnExit([level] {
        g_CurHier = level;
        DB_SetCurHier(level);
    });
}

void AppendTree(std::string& text, const std::vector<HierTreeEntry>& tree, bool noteRecursion)
{
    for (const HierTreeEntry& entry : tree) {
        text += std::string(entry.Level > 1 ? entry.Level - 1 : 0, '\t');
        text += entry.HierName + ":" + entry.CompName;
        if (entry.SubHierId != 0) text += "-->" + entry.SubHierName;
        if (noteRecursion && entry.Recursive != 0) text += " " + GetMsgText("Recursive Hierarchy!", "991470");
        text += g_CrLf;
    }
}

}  // namespace

void ReportHierStack(std::string& text)
{
    auto restore = RestoreLevelOnExit();
    text = GetMsgText("*** Hierarchy Stack: ***", "99123") + g_CrLf;
    const long top = g_HierStack.UBound();
    if (top >= 1) {
        for (long i = top; i >= 1; --i) {
            text += i == top ? GetMsgText("From hierarchy: ", "99709") : GetMsgText("   through: ", "991339");
            const HierStackRec record = g_HierStack(i);
            const std::string name = Trim(record.Name);
            const int32_t level = OM_FindNameMask(DB_HierarchyMap(), name.c_str(), 0, 0);
            if (level != 0 && DB_SetCurHier(level) != 0) {
                const int32_t component = C_Component(record.Id);
                const std::string compName = component != 0 ? PtrToStr(O_GetName(component)) : std::string();
                text += name + ":" + compName + g_CrLf;
            }
        }
        text += GetMsgText("to", "991319");
    }
    text += GetMsgText("Current hierarchy: ", "3483") + g_HierStack(0).Name + g_CrLf;
}

void ReportHierStructure(std::string& text)
{
    auto restore = RestoreLevelOnExit();
    const int32_t map = DB_HierarchyMap();
    OM_MaskAll(map, kHierUnvisited, kHierUnvisited);
    const long bottom = g_HierStack.UBound();
    const std::string rootName = Trim(g_HierStack(bottom >= 1 ? bottom : 0).Name);
    const int32_t root = OM_FindNameMask(map, rootName.c_str(), 0, 0);
    int32_t recursion = 0;
    std::vector<HierTreeEntry> tree;
    BuildHierTree(true, root, recursion, tree);
    // The current stack's heading shares its message id with the stack
    // report's, so a translation gives both reports one heading.
    text = GetMsgText("*** Hierarchy Structure Current Stack: ***", "99123") + g_CrLf + g_CrLf;
    AppendTree(text, tree, true);
    text += std::string(kRule) + g_CrLf + g_CrLf;
    bool first = true;
    for (;;) {
        int32_t position = OM_GetFirst(map);
        const int32_t level = OM_SearchMask(map, &position, kHierUnvisited, kHierUnvisited);
        if (level < 1) break;
        // A level the kernel will not make current would be found again.
        O_Mask(OM_Object(map, level), 0, kHierUnvisited);
        BuildHierTree(true, level, recursion, tree);
        if (first) text += GetMsgText("*** Hierarchy Structure Other Stacks: ***", "991471") + g_CrLf + g_CrLf;
        first = false;
        AppendTree(text, tree, false);
        text += std::string(kRule) + g_CrLf;
    }
}
