// Exchanging the places of two components, and moving a collected group
// of components by a vector. Locked components are refused.
#include "editor/objects/branch_drawing.h"
#include "editor/objects/comp_picking.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/components.h"
#include "editor/shell/design_change.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textnum.h"
#include "editor/view/marks.h"
#include "platform/winsys/interaction.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace {

constexpr int32_t kLockedFlag = 32;
constexpr int32_t kMarkFlag = 256;

bool Locked(const CompRec& rec)
{
    return (rec.Flags & kLockedFlag) != 0;
}

bool InBounds(int64_t x, int64_t y)
{
    return x >= -kCoordLimit && x <= kCoordLimit && y >= -kCoordLimit && y <= kCoordLimit;
}

}  // namespace

void SCHMAIN::SwapCompPlaces(int32_t& status, int32_t step, int32_t X, int32_t Y)
{
    status = 0;
    if (step == 0) {
        // The entry's Link holds the angle.
        g_CompList.Redim(0, 1);
        g_CompList(1) = PickedCompRec{g_CompId, g_Comp.Flags, g_Comp.Angle, g_Comp.X, g_Comp.Y};
        m_CmdArmed = 1;
        m_CmdStep = 4;
        return;
    }
    if (step != 1) return;
    g_CompEntry = 1;
    int32_t id = 0;
    PickComp(status, X, Y, id, g_CompEntry, g_CompName);
    if (status != 0) return;
    g_CompId = id;
    if (Locked(g_Comp)) {
        ShowMessage(Trim(g_CompName) + GetMsgText(" Locked", "99855"));
        winsys::Ui().Beep();
        status = 1;
        return;
    }
    m_CmdArmed = 0;
    m_CmdStep = 0;
    const PickedCompRec first = g_CompList(1);
    if (g_CompId == first.Comp) return;
    const int32_t second = g_CompId;
    const CompRec secondOld = g_CompOld;

    // Both components move, or neither.
    DesignChange change;
    OpenCanvasDC();
    EraseComp(first.Comp);
    EraseComp(second);
    DrawMaskedBranches(0, 128);
    CompRec moved = g_Comp;
    moved.Flags = first.Flags;
    moved.Angle = first.Link;
    SetCompPlacement(first.Comp, moved);
    CompRec back = g_Comp;
    back.Flags = secondOld.Flags;
    back.Angle = secondOld.Angle;
    back.X = first.X;
    back.Y = first.Y;
    SetCompPlacement(second, back);
    DrawCompWithWires(second);
    DrawCompWithWires(first.Comp);
    CloseCanvasDC();
}

void SCHMAIN::MoveCompsByVector(int32_t& status, int32_t step, int32_t X, int32_t Y)
{
    status = 0;
    switch (step) {
    case 0: {
        g_CompList.Redim(0, 0);
        SelectCompsAtPoint(status, X, Y, m_BoxDiagonal);
        if (status != 0) return;
        const int32_t map = DB_SchCompMap();
        int32_t cursor = OM_GetFirst(map);
        while (const int32_t id = OM_SearchMask(map, &cursor, kMarkFlag, kMarkFlag)) {
            int32_t read = 0;
            std::string name;
            ReadComp(read, id, name);
            if (read != 0 || Locked(g_Comp)) continue;
            const long n = g_CompList.UBound() + 1;
            g_CompList.RedimPreserve(n);
            g_CompList(n) = PickedCompRec{id, 0, 0, g_Comp.X, g_Comp.Y};
            m_CmdStep = 1;
        }
        return;
    }
    case 1: {
        g_CompEntry = 1;
        int32_t id = 0;
        PickComp(status, X, Y, id, g_CompEntry, g_CompName);
        if (status != 0) {
            RedrawView();
            return;
        }
        g_CompId = id;
        if ((g_Comp.Flags & kMarkFlag) != 0) {
            O_Mask(C_Component(id), 0, kMarkFlag);
            // The entry that holds this component goes, found by its id.
            for (long i = 1; i <= g_CompList.UBound(); ++i) {
                if (g_CompList(i).Comp != id) continue;
                for (long k = i; k < g_CompList.UBound(); ++k) g_CompList(k) = g_CompList(k + 1);
                g_CompList.RedimPreserve(g_CompList.UBound() - 1);
                break;
            }
            return;
        }
        if (!Locked(g_Comp)) {
            O_Mask(C_Component(id), kMarkFlag, kMarkFlag);
            const long n = g_CompList.UBound() + 1;
            g_CompList.RedimPreserve(n);
            g_CompList(n) = PickedCompRec{id, 0, 0, g_Comp.X, g_Comp.Y};
            m_CmdStep = 1;
            RedrawView();
            return;
        }
        ShowMessage(Trim(g_CompName) + GetMsgText(" Locked", "99855"));
        winsys::Ui().Beep();
        status = 1;
        return;
    }
    case 2: {
        int32_t id = 0;
        int32_t picked = 1;
        g_CompEntry = 0;
        PickComp(picked, X, Y, id, g_CompEntry, g_CompName);
        if (picked == 0 && g_CompEntry >= 1) {
            m_VecStartX = g_CompAnchorStart.X;
            m_VecStartY = g_CompAnchorStart.Y;
            m_CmdStep = 3;
        }
        RedrawView();
        return;
    }
    case 3: {
        // The whole group moves, or none of it.
        DesignChange change;
        m_CmdArmed = 0;
        m_CmdStep = 0;
        OM_MaskAll(DB_SchCompMap(), 0, kMarkFlag);
        const int64_t dx = int64_t{m_VecEndX} - m_VecStartX;
        const int64_t dy = int64_t{m_VecEndY} - m_VecStartY;
        m_VecStartX = static_cast<int32_t>(std::clamp<int64_t>(dx, INT32_MIN, INT32_MAX));
        m_VecStartY = static_cast<int32_t>(std::clamp<int64_t>(dy, INT32_MIN, INT32_MAX));
        // Every new place is checked before the first component moves: a
        // group is moved whole or not at all.
        std::vector<CompRec> targets;
        for (long i = 1; i <= g_CompList.UBound(); ++i) {
            int32_t read = 0;
            std::string name;
            ReadComp(read, g_CompList(i).Comp, name);
            if (read != 0) continue;
            const int64_t x = int64_t{g_Comp.X} + dx;
            const int64_t y = int64_t{g_Comp.Y} + dy;
            if (!InBounds(x, y)) {
                ShowMessage(Trim(name) + " - out of range");
                winsys::Ui().Beep();
                status = 1;
                RedrawView();
                return;
            }
        }
        for (long i = 1; i <= g_CompList.UBound(); ++i) {
            g_CompId = g_CompList(i).Comp;
            int32_t read = 0;
            ReadComp(read, g_CompId, g_CompName);
            if (read != 0) continue;
            g_Comp.X += static_cast<int32_t>(dx);
            g_Comp.Y += static_cast<int32_t>(dy);
            OpenCanvasDC();
            EraseComp(g_CompId);
            DrawMaskedBranches(0, 128);
            SetCompPlacement(g_CompId, g_Comp);
            DrawCompWithWires(g_CompId);
            CloseCanvasDC();
        }
        RedrawView();
        return;
    }
    default:
        RedrawView();
        return;
    }
}
