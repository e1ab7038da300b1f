// Creating and moving many components through a text list: the main
// window writes the list, runs the list editor SCHBTEXT over it and applies
// the entries the editor accepted.
#include "editor/dialogs/schbtext.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/comp_picking.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/components.h"
#include "editor/shell/design_change.h"
#include "editor/objects/libraries.h"
#include "editor/shell/applink.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/entry_change.h"
#include "editor/shell/geometry.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/numtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/settings.h"
#include "editor/shell/textnum.h"
#include "editor/view/marks.h"

namespace {

constexpr int32_t kCompMark = 256;
constexpr size_t kNameLength = 15;

// Shows the list editor over g_TextBuf modally and unloads it. The modal
// depth and the published state are right again however the editor ends.
void RunListEditor(SCHMAIN& main, bool create)
{
    ReadFrameBox();
    g_CompListCreate = create;
    if (create) g_CompListCoordMode = 0;
    main.m_PreviewPending = 0;  // pointer tracking off while the editor is open
    g_TextSizeFixed = false;
    g_TextAccepted = false;
    ++g_ModalDepth;
    auto depth = OnExit([] {
        --g_ModalDepth;
        PublishAppState(-1, -1);
    });
    PublishAppState(-1, -1);
    SCHBTEXT& editor = FormInstance<SCHBTEXT>();
    auto unload = OnExit([&editor] { editor.Unload(); });
    editor.ShowModal();
}

// The origin of coordinate mode `mode` for a component at (x, y), and its
// letter.
void ListOrigin(int32_t mode, int32_t x, int32_t y, double& ox, double& oy, const char*& letter)
{
    ox = 0;
    oy = 0;
    switch (mode) {
    case 1:
        ox = g_FrameX1;
        oy = g_FrameY1;
        letter = "P";
        break;
    case 2:
        ox = g_Markers[kRefPointMarker].X;
        oy = g_Markers[kRefPointMarker].Y;
        letter = "R";
        break;
    case 3:
        ox = x;
        oy = y;
        letter = "V";
        break;
    default:
        letter = "A";
        break;
    }
}

// One relocation line for the component just read into g_Comp.
std::string RelocLine(const std::string& name)
{
    double ox = 0, oy = 0;
    const char* letter = "A";
    ListOrigin(g_CompListCoordMode, g_Comp.X, g_Comp.Y, ox, oy, letter);
    const double factor = g_UnitFactor(g_UnitIndex) / g_DbUnitsPerMm;
    return name + "," + Str((g_Comp.X - ox) * factor) + "," + Str((g_Comp.Y - oy) * factor) + "," +
           Str(g_Comp.Angle / 1000.0) + "," + letter + g_CrLf;
}

// Fills g_CompInfo for the create entry; false (reported) when its part has
// no such group or the group's symbol is not in the design.
bool DescribeNewComp(const CompListEntry& entry)
{
    CompInfoRec info;
    if (entry.Group != 0) {
        info.Device = entry.RefId;
        const std::string deviceName = PtrToStr(O_GetName(D_Device(entry.RefId)));
        info.DeviceName = FixedText(deviceName, kNameLength);
        GroupRec group{};
        if (D_ReadGroup(entry.RefId, entry.Group, &group) < 1) {
            std::string detail = deviceName;
            ReportMsg(14, detail);
            return false;
        }
        std::string symbName = PtrToStr(group.SymbName);
        int32_t status = 1;
        FindSymbByName(status, kSchSymbol, info.Symb, symbName);
        if (status != 0) {
            ReportMsg(6, symbName);
            return false;
        }
        info.SymbName = FixedText(symbName, kNameLength);
    } else {
        info.Device = 0;
        info.Symb = entry.RefId;
        info.SymbName = FixedText(PtrToStr(O_GetName(S_Symbol(entry.RefId))), kNameLength);
    }
    info.Name = FixedText(FirstWord(entry.Name), kNameLength);
    info.Id = 0;
    info.X = entry.X;
    info.Y = entry.Y;
    info.Angle = entry.Angle;
    info.LayComp = 0;
    info.Group = 0;
    info.Flags = 1;
    info.Extra = 1;
    g_CompInfo = info;
    return true;
}

}  // namespace

void SCHMAIN::CreateCompsFromList()
{
    // The parts and symbols the list names are loaded while it is read:
    // they stay on a cancel. Each entry is made whole or skipped: one the
    // kernel refuses (any of its steps) goes back alone, the user is told,
    // and the other entries are made. A line whose part or symbol the
    // kernel refused to load was told of in the reading and is skipped here
    // with the name it would have had. The whole list is one change.
    DesignChange change;
    g_TextBuf = g_CrLf + "@END" + g_CrLf;
    RunListEditor(*this, true);
    if (g_TextBuf.empty() || !g_TextAccepted) return;

    const auto refusedText = [](const std::string& name) {
        return GetMsgText("Can't create Component: ", "99300") + name;
    };
    for (long i = 1; i <= g_CompListEntries.UBound(); ++i) {
        if (g_CompListEntries(i).Skip) {
            ShowMessage(refusedText(FirstWord(g_CompListEntries(i).Name)));
            continue;
        }
        EntryChange entry;
        // Not described or not made: reported where it failed.
        if (!DescribeNewComp(g_CompListEntries(i))) continue;
        const std::string name = FirstWord(g_CompInfo.Name);
        int32_t status = 0;
        CreateComp(status, g_CompInfo, 1);
        if (status == 0) {
            OpenCanvasDC();
            auto close = OnExit([this] { CloseCanvasDC(); });
            C_DrawComponent(g_CompInfo.Id);
        }
        if (status != 0 || !entry.End()) {
            entry.Drop();
            const std::string refused = refusedText(name);
            // CreateComp told the user when the kernel refused the component.
            if (status == 0) {
                std::string detail = name;
                ReportMsg(15, detail);
            }
            ShowMessage(refused);
        }
    }
}

void SCHMAIN::RelocateCompsFromList()
{
    DesignChange change;
    // The lines of mode P are written from the current page's frame, the
    // same frame the editor reads them back with.
    ReadFrameBox();
    g_TextBuf.clear();
    int32_t status = 1;
    SelectCompsAtPoint(status, m_BaseX, m_BaseY, m_BoxDiagonal);
    if (status == 0) {
        const int32_t map = DB_SchCompMap();
        int32_t cursor = OM_GetFirst(map);
        while (const int32_t id = OM_SearchMask(map, &cursor, kCompMark, kCompMark)) {
            std::string name;
            int32_t read = 1;
            ReadComp(read, id, name);
            if (read == 0) g_TextBuf += RelocLine(name);
        }
    }
    g_TextBuf += "@END" + g_CrLf;
    OM_MaskAll(DB_SchCompMap(), 0, kCompMark);

    RunListEditor(*this, false);
    if (g_TextBuf.empty() || !g_TextAccepted) return;

    for (long i = 1; i <= g_CompListEntries.UBound(); ++i) {
        const CompListEntry& entry = g_CompListEntries(i);
        // The entry carries the component the parse found by its whole name.
        std::string name;
        ReadComp(status, entry.CompId, name);
        if (status != 0) continue;
        g_CompId = entry.CompId;
        g_Comp.X = entry.X;
        g_Comp.Y = entry.Y;
        g_Comp.Angle = entry.Angle;
        const bool onPage = g_Comp.Page == g_CurPage;
        OpenCanvasDC();
        auto close = OnExit([this] { CloseCanvasDC(); });
        if (onPage) {
            EraseComp(entry.CompId);
            DrawMaskedBranches(0, 128);
        }
        SetCompPlacement(entry.CompId, g_Comp);
        if (onPage) DrawCompWithWires(entry.CompId);
    }
}
