// SCHMAIN's idle click of the design-notes and page-notes modes: by the
// selected function it takes an input point for the markers, makes an item
// or begins a text block, copies or repeats, moves, opens the properties,
// deletes, applies the option states to an item or edits a text. The
// repetitions are in schmain_mode_item_repeat.cpp.
#include "editor/shell/schmain.h"

#include "editor/dialogs/schitext.h"
#include "editor/editing/editing_state.h"
#include "editor/editing/schitmed.h"
#include "editor/interaction/command_steps.h"
#include "editor/interaction/commands.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/objects/text_lines.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/forms.h"
#include "editor/shell/geometry.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/shell/tooltable.h"
#include "editor/view/marks.h"
#include "editor/view/view_state.h"
#include "platform/winsys/interaction.h"

#include <cmath>

namespace {

constexpr int32_t kTextKind = 6;
// Kinds above this are entries of the symbol, not items the mode edits.
constexpr int32_t kLastItemKind = 20;

void ReleaseAllOptions(SCHMAIN& m)
{
    for (int i = 0; i <= 10; ++i)
        if (m.F_OST.Exists(i)) m.F_OST(i)->SetValue(false);
}

// The first pressed of options first..last, counted from 0; -1 for none.
int FirstPressed(SCHMAIN& m, int first, int last)
{
    for (int i = first; i <= last; ++i)
        if (OptionPressed(m, i)) return i - first;
    return -1;
}

// The clicked point snapped as the base point of a selection box command.
void BeginBox(SCHMAIN& m, int32_t& X, int32_t& Y, int32_t id)
{
    int32_t unchanged = 0;
    m.SnapPoint(unchanged, X, Y);
    m.m_BaseX = X;
    m.m_BaseY = Y;
    m.BeginCommand(id);
}

}  // namespace

// The item of g_CurSymb under the point, read into the current item buffers
// with its extent and picked handle; false when none was hit or read.
bool SCHMAIN::HitSymbItem(int32_t& X, int32_t& Y)
{
    int32_t status = 1;
    CoverSymbItem(status, g_CurSymb, X, Y, g_SymbItemIdx);
    if (status != 0) return false;
    ReadSymbItem(status, g_CurSymb, g_SymbItemIdx, g_SymbItemText, g_SymbItemType);
    if (status != 0) return false;
    GetItemExtent(X, Y);
    return true;
}

void SCHMAIN::ItemModeClick(int32_t& X, int32_t& Y)
{
    OA_MaskAll(S_SymbolItemArray(g_CurSymb), 1, 0x101);
    S_SetCompLocation(0, 0, 0, 0);
    const int32_t f = ModeTools(g_CurMode).SelFunc;
    if (m_PointPending && f != 0) {
        InputPointXY(X, Y, m_PointMethod, m_NextMarker);
        m_PointPending = 0;
        if (++m_NextMarker > 2) m_NextMarker = 0;
        return;
    }
    m_PointPending = 0;
    switch (f) {
    case 0: ItemInputPoint(X, Y); return;
    case 1: NewItemClick(X, Y); return;
    case 2: ItemCopyClick(X, Y); return;
    case 3:
        if (!HitSymbItem(X, Y)) {
            ReleaseAllOptions(*this);
            BeginBox(*this, X, Y, 77);
            return;
        }
        if (g_SymbItemType > kLastItemKind) return;
        {
            int32_t id = g_SymbItemType == kTextKind ? 65 : 75;
            BeginCommand(id);
        }
        return;
    case 4: ItemPropertiesClick(X, Y); return;
    case 5: ItemDeleteClick(X, Y); return;
    case 6:
        if (!HitSymbItem(X, Y)) {
            BeginBox(*this, X, Y, 79);
            return;
        }
        if (g_SymbItemType > kLastItemKind) return;
        OpenCanvasDC();
        EraseOwnerItem(kOwnerSymbol, 0, g_CurSymb, g_SymbItemIdx);
        CloseCanvasDC();
        TakeItemOptions();
        if (g_SymbItemType == kTextKind)
            WriteOwnerText(kOwnerSymbol, g_CurSymb, g_SymbItemIdx, g_SymbText);
        else
            WriteSymbItem(g_CurSymb, g_SymbItemIdx, g_SymbItem);
        OpenCanvasDC();
        DrawOwnerItem(kOwnerSymbol, g_CurSymb, g_SymbItemIdx);
        CloseCanvasDC();
        return;
    case 8: EditItemText(X, Y); return;
    default: return;
    }
}

// Function 0: the clicked point into the chosen marker by the chosen method,
// or the markers cleared.
void SCHMAIN::ItemInputPoint(int32_t& X, int32_t& Y)
{
    if (OptionPressed(*this, 3)) {
        ClearMarkers(0);
        return;
    }
    const int marker = FirstPressed(*this, 0, 2);
    if (marker < 0) {
        m_NextMarker = 0;
        if (F_OST.Exists(0)) F_OST(0)->SetValue(true);
    } else {
        m_NextMarker = marker;
    }
    const int method = FirstPressed(*this, 4, 8);
    InputPointXY(X, Y, method < 0 ? 10 : 5 + method, m_NextMarker);
}

// Function 1: a text block from the text dialog, or a new graphic item from
// the option panel and the markers; an item that needs more points begins
// the command that takes them.
void SCHMAIN::NewItemClick(int32_t& X, int32_t& Y)
{
    if (OptionPressed(*this, 5)) {
        g_TextSizeFixed = false;
        ::ShowModal(FormInstance<SCHITEXT>());
        if (g_TextSizeIdx > 0 && F_Tsize) F_Tsize->SetListIndex(g_TextSizeIdx - 1);
        if (g_TextBuf.empty() || !g_TextAccepted) return;
        // A size the table does not hold makes no text.
        if (g_TextSizeIdx < 0 || g_TextSizeIdx > 32 || g_TextSizes.Empty() || g_TextSizeIdx < g_TextSizes.LBound() ||
            g_TextSizeIdx > g_TextSizes.UBound())
            return;
        const TextSizeRec& size = g_TextSizes(g_TextSizeIdx);
        int32_t status = 0;
        MeasureTextLines(status, m_TextBlockW, m_TextBlockH, size.Height, size.Width);
        if (status != 0) return;
        PressFunction(*this, 3);
        ReleaseAllOptions(*this);
        for (int i = 2; i <= 9; ++i)
            if (F_OST.Exists(i)) F_OST(i)->setVisible(false);
        m_TextBlockAngle = 0;
        int32_t id = 64;
        BeginCommand(id);
        return;
    }
    g_SymbItemType = 0;
    int32_t status = 1, link = 0, r = 0;
    MakeGraphicItem(status, X, Y, link, r, g_SymbItemIdx, g_SymbItemType);
    if (status != 0) {
        winsys::Ui().Beep();
        return;
    }
    if (r == 0) {
        OpenCanvasDC();
        DrawOwnerItem(kOwnerSymbol, g_CurSymb, g_SymbItemIdx);
        CloseCanvasDC();
        return;
    }
    int32_t kind = 0;
    ReadSymbItem(status, g_CurSymb, g_SymbItemIdx, g_SymbItemText, kind);
    if (status != 0) return;
    g_SymbItemType = kind;
    GetItemExtent(X, Y);
    int32_t id = 71;
    if (r == 1) {
        PressFunction(*this, 3);
        ReleaseAllOptions(*this);
    } else {
        PressFunction(*this, 4);
        ReleaseAllOptions(*this);
        if (g_SymbItemType == 5 && r == 2 && F_OST.Exists(1)) F_OST(1)->SetValue(true);
        if (g_SymbItemType == 5 && r == 4 && F_OST.Exists(0)) F_OST(0)->SetValue(true);
        id = 72;
    }
    BeginCommand(id);
}

// Function 4: the item's handles, or with option 7 the property editor.
void SCHMAIN::ItemPropertiesClick(int32_t& X, int32_t& Y)
{
    if (!HitSymbItem(X, Y) || g_SymbItemType > kLastItemKind) {
        UnloadItemEditor();
        return;
    }
    int32_t id = 76;
    if (OptionPressed(*this, 7)) {
        g_ItemEditorFresh = 1;
        g_ItemPicked = 1;
        BlinkItem();
        SCHITMED& editor = FormInstance<SCHITMED>();
        // Show activates the editor, which takes the item there.
        editor.Show();
        id = 89;
    } else {
        g_ItemPicked = 0;
        UnloadItemEditor();
        GetItemExtent(X, Y);
    }
    BeginCommand(id);
}

// Function 5: every item after a question, the items of a box, or the
// item under the pointer after a question at the pointer.
void SCHMAIN::ItemDeleteClick(int32_t& X, int32_t& Y)
{
    if (OptionPressed(*this, 0)) {
        if (!AskYesNo("Clear all items")) return;
        bool inRect = false;
        DeleteSelectedItems(inRect);
        return;
    }
    if (!HitSymbItem(X, Y)) {
        BeginBox(*this, X, Y, 79);
        return;
    }
    if (g_SymbItemType > kLastItemKind) return;
    g_YesNoAnswer = false;
    PopupConfirm(GetMsgText("Delete Item?", "99526"), m_MouseX, m_MouseY);
    if (!g_YesNoAnswer) return;
    DrawCmdObjectInView(65, 2);
    OpenCanvasDC();
    EraseOwnerItem(kOwnerSymbol, -1, g_CurSymb, g_SymbItemIdx);
    CloseCanvasDC();
}

// Function 8: the text under the pointer edited in the text dialog and laid
// out again line by line from its place. The new lines are made before the
// old text goes; when they cannot be made the old text stays.
void SCHMAIN::EditItemText(int32_t& X, int32_t& Y)
{
    if (!HitSymbItem(X, Y) || g_SymbItemType != kTextKind) return;
    const int32_t oldIndex = g_SymbItemIdx;
    const ItemRec old = g_SymbText;
    g_TextBuf = g_SymbItemText;
    g_TextSizeFixed = true;
    ::ShowModal(FormInstance<SCHITEXT>());
    if (g_TextBuf.empty() || !g_TextAccepted) return;
    int32_t status = 0;
    MeasureTextLines(status, m_TextBlockW, m_TextBlockH, old.P1, old.P2);
    if (status != 0) return;
    const double d = TextLineStep(status, old.P1, old.P2);
    if (status != 0) return;
    m_TextBlockAngle = old.Angle / 1000.0;
    const double a = m_TextBlockAngle * g_DegToRad;
    // One line further along the text's upward direction: the layout steps
    // down one line before its first line.
    const double x = std::nearbyint(old.X - d * std::sin(a)), y = std::nearbyint(old.Y + d * std::cos(a));
    if (std::fabs(x) > kCoordLimit || std::fabs(y) > kCoordLimit) {
        winsys::Ui().Beep();
        return;
    }
    m_TextBlockX = static_cast<int32_t>(x);
    m_TextBlockY = static_cast<int32_t>(y);
    OpenCanvasDC();
    // Off the canvas first, so that erasing it cannot wipe a new line drawn
    // in its place.
    EraseOwnerItem(kOwnerSymbol, 0, g_CurSymb, oldIndex);
    PlaceTextLines(status, kOwnerSymbol, g_CurSymb, m_TextBlockX, m_TextBlockY, old.P1, old.P2, old.Width, old.Gap,
                   m_TextBlockAngle, old.Layer, old.Link);
    if (status != 0) {
        DrawOwnerItem(kOwnerSymbol, g_CurSymb, oldIndex);
        CloseCanvasDC();
        winsys::Ui().Beep();
        return;
    }
    OA_Delete(S_SymbolItemArray(g_CurSymb), oldIndex);
    CloseCanvasDC();
}
