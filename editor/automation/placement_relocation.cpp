#include "editor/automation/placement_relocation.h"

#include "editor/automation/placement_settings.h"
#include "editor/objects/comp_state.h"
#include "editor/shell/platform_calls.h"
#include "platform/placement/plc_rules.h"

#include <algorithm>
#include <string_view>

int32_t g_RelocComp = 0, g_RelocAngle = 0, g_RelocMirror = 0;
std::vector<int32_t> g_PatRowLines, g_PatColLines;
int32_t g_RelocOffsetX = 0, g_RelocOffsetY = 0;
int32_t m_RelocPattern = 1;
bool m_PlcOverlayOn = false;
int32_t m_PlcCellShown = 99;

namespace {

constexpr size_t kMaxLines = 1000;

// The line under `v` per the relocation rule, plus `offset`.
int32_t Snap(const std::vector<int32_t>& lines, int32_t v, int32_t offset)
{
    auto it = std::upper_bound(lines.begin(), lines.end(), v);
    const int32_t line = it == lines.begin() ? lines.front() : *(it - 1);
    return static_cast<int32_t>(plc_prefix::AlignRelocated(static_cast<int64_t>(line) + offset, g_PatAlignment));
}

}  // namespace

void LoadComponentPattern()
{
    CompRec c{};
    if (C_ReadComponent(g_CompId, &c) != 1) c = g_Comp;
    g_RelocComp = g_CompId;
    g_RelocAngle = g_Comp.Angle;
    g_RelocMirror = g_Comp.Flags & 2;
    const std::string name = c.Name ? c.Name : "";
    int32_t a[4] = {}, b[4] = {};
    const bool e = C_FrameCompEntries(g_CompId, a) > 0, i = C_FrameCompItems(g_CompId, b) > 0;
    const int32_t left = e && i ? std::min({a[0], a[2], b[0], b[2]}) : e ? std::min(a[0], a[2]) : i ? std::min(b[0], b[2]) : c.X;
    const int32_t bottom = e && i ? std::min({a[1], a[3], b[1], b[3]}) : e ? std::min(a[1], a[3]) : i ? std::min(b[1], b[3]) : c.Y;
    g_RelocOffsetX = c.X - left;
    g_RelocOffsetY = c.Y - bottom;
    const PlcPrefixTable4& table = g_RelocMirror ? g_PatternPrefixes2 : g_PatternPrefixes;
    const int n = plc_prefix::MatchColumn(name.substr(0, name.find('/')), 4, 32,
                                          [&](int col, int row) { return std::string_view(table[col][row]); });
    m_RelocPattern = n == 0 ? 1 : n;
    const int32_t rowLink = g_RelocMirror ? 2 * m_RelocPattern + 7 : 2 * m_RelocPattern - 1;
    const int32_t status = (m_PlcOverlayOn && m_PlcCellShown == m_RelocPattern) ? 2 : 1;
    g_PatRowLines.clear();
    g_PatColLines.clear();
    const int32_t array = S_SymbolItemArray(g_GridSymbol);
    for (int32_t link : {rowLink, rowLink + 1}) {
        std::vector<int32_t>& lines = link == rowLink ? g_PatRowLines : g_PatColLines;
        for (int32_t k = IA_SearchMaskLink(array, 1, status, link); k > 0 && lines.size() < kMaxLines;
             k = IA_SearchMaskLink(array, k + 1, status, link)) {
            ItemRec r{};
            if (I_ReadItem(OA_Object(array, k), &r) == 1) lines.push_back(link == rowLink ? r.Y : r.X);
        }
        std::sort(lines.begin(), lines.end());
    }
}

void ApplyPatternRelocation(int32_t x, int32_t y)
{
    if (g_CompId != g_RelocComp || g_Comp.Angle != g_RelocAngle || (g_Comp.Flags & 2) != g_RelocMirror)
        LoadComponentPattern();
    if (!g_PatRowLines.empty()) g_Comp.Y = Snap(g_PatRowLines, y, g_RelocOffsetY);
    if (!g_PatColLines.empty()) g_Comp.X = Snap(g_PatColLines, x, g_RelocOffsetX);
}
