#include "editor/automation/placement_prefixes.h"

#include "editor/automation/placement_messages.h"
#include "editor/automation/placement_settings.h"
#include "editor/objects/owner_items.h"
#include "editor/shell/platform_calls.h"

#include <vector>

namespace {

bool IsPrefixLink(int32_t link)
{
    return (link >= 21 && link <= 28) || (link >= 31 && link <= 37);
}

// Adds one text item with `link` to the grid symbol.
bool AddPrefixItem(int32_t link, const std::string& text)
{
    ItemRec r{};
    r.Kind = 6;
    r.Flags = 1;
    r.Link = link;
    r.Layer = 191;
    r.Width = 1;
    int32_t status = 0, item = 0;
    MakeOwnerItem(status, 0, g_GridSymbol, r, text, item);
    return status == 0 && item > 0;
}

}  // namespace

bool StorePlacementPrefixes()
{
    const int32_t array = S_SymbolItemArray(g_GridSymbol);
    const int32_t oldCount = array ? OA_GetCount(array) : 0;
    auto undo = [&] {
        for (int32_t k = OA_GetCount(array); k > oldCount; --k) OA_Delete(array, k);
    };
    bool ok = array != 0;
    for (int c = 1; ok && c <= 4; ++c)
        for (int r = 1; ok && r <= 32; ++r) {
            if (!g_PatternPrefixes[c][r].empty()) ok = AddPrefixItem(20 + c, g_PatternPrefixes[c][r]);
            if (ok && !g_PatternPrefixes2[c][r].empty()) ok = AddPrefixItem(24 + c, g_PatternPrefixes2[c][r]);
        }
    if (!ok) {
        if (array) undo();
        ReportPlacementError(12, "");
        return false;
    }
    for (int c = 1; ok && c <= 7; ++c)
        for (int r = 1; ok && r <= 32; ++r)
            if (!g_OrientPrefixes[c][r].empty()) ok = AddPrefixItem(30 + c, g_OrientPrefixes[c][r]);
    if (!ok) {
        undo();
        ReportPlacementError(13, "");
        return false;
    }
    for (int32_t k = oldCount; k >= 1; --k) {
        ItemRec r{};
        if (I_ReadItem(OA_Object(array, k), &r) == 1 && r.Kind == 6 && IsPrefixLink(r.Link)) OA_Delete(array, k);
    }
    return true;
}

void LoadPlacementPrefixes()
{
    for (auto& col : g_PatternPrefixes) col.fill("");
    for (auto& col : g_PatternPrefixes2) col.fill("");
    for (auto& col : g_OrientPrefixes) col.fill("");
    const int32_t array = S_SymbolItemArray(g_GridSymbol);
    if (!array) return;
    std::vector<int> next(38, 1);
    const int32_t count = OA_GetCount(array);
    for (int32_t k = 1; k <= count; ++k) {
        ItemRec r{};
        if (I_ReadItem(OA_Object(array, k), &r) != 1 || r.Kind != 6 || !IsPrefixLink(r.Link)) continue;
        int& slot = next[static_cast<size_t>(r.Link)];
        if (slot > 32) continue;
        const std::string text = r.Text ? r.Text : "";
        if (r.Link <= 24) g_PatternPrefixes[r.Link - 20][slot] = text;
        else if (r.Link <= 28) g_PatternPrefixes2[r.Link - 24][slot] = text;
        else g_OrientPrefixes[r.Link - 30][slot] = text;
        ++slot;
    }
}
