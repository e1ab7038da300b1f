#include "editor/objects/symbols.h"

#include "editor/objects/libraries.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/textnum.h"

namespace {

// Whether `search` (cursor, object) finds a component in the component
// map `map` of the current level.
bool Finds(int32_t (*search)(int32_t*, int32_t), int32_t (*map)(), int32_t object)
{
    int32_t cursor = OM_GetFirst(map());
    return search(&cursor, object) > 0;
}

// Whether `used` answers true in some hierarchy level. Devices and symbols
// belong to the whole design while components belong to a level, so every
// level is asked; the current one first, and it is current again after.
template <class F>
bool UsedInAnyLevel(F used)
{
    if (used()) return true;
    const int32_t current = DB_CurHier();
    auto back = OnExit([current] {
        if (DB_CurHier() != current) DB_SetCurHier(current);
    });
    const int32_t levels = DB_HierarchyMap();
    int32_t cursor = OM_GetFirst(levels);
    for (int32_t level; (level = OM_SearchMask(levels, &cursor, 0, 0)) > 0;) {
        if (level == current || DB_SetCurHier(level) != level) continue;
        if (used()) return true;
    }
    return false;
}

}  // namespace

void DeleteUnusedDevice(int32_t& status, int32_t device)
{
    status = 1;
    const bool used = UsedInAnyLevel([device] {
        return Finds(C_SearchDevice, DB_SchCompMap, device) || Finds(L_SearchDevice, DB_LayCompMap, device);
    });
    if (!used && OM_Delete(DB_DeviceMap(), device) != 0) status = 0;
}

void DeleteUnusedSymb(int32_t& inUse, int32_t kind, int32_t symbol)
{
    inUse = 0;
    const bool schematic = kind != kLaySymbol;
    const bool layout = kind != kSchSymbol;
    const bool used = UsedInAnyLevel([=] {
        return (schematic && Finds(C_SearchSymbol, DB_SchCompMap, symbol)) ||
               (layout && Finds(L_SearchSymbol, DB_LayCompMap, symbol));
    });
    if (used) {
        inUse = 1;
        return;
    }
    OM_Delete(DB_SymbMap(), symbol);
}

void FindSymbEntryByName(int32_t& number, int32_t symbol, const std::string& name, SymbEntryRec& entry)
{
    for (int32_t n = 1; S_ReadEntry(symbol, n, &entry) != 0; ++n) {
        if (PtrToStr(entry.Name) == name) {
            number = n;
            return;
        }
    }
    number = 0;
}

void DrawSymbAt(int32_t symbol, int32_t x, int32_t y, int32_t angle, int32_t mirrored)
{
    S_SetCompLocation(x, y, angle, mirrored);
    S_DrawSymbol(symbol, 1, 1);
}
