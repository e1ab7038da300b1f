// The step of the text block (64), whose lines are made by its step. The
// added component text (10) is among the component steps, the wire name
// text (37) among the wire steps.
#include "editor/interaction/command_steps.h"
#include "editor/interaction/commands.h"

#include "editor/objects/branch_drawing.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/components.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/objects/text_lines.h"
#include "editor/objects/view_values.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/geometry.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "platform/winsys/interaction.h"

namespace {

// 64: one notes text per line of the accepted text, from the block's corner
// at its angle with the current text size. A size index outside the table
// or lines the kernel refuses make nothing (a beep).
bool PlaceTextBlock(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    g_CurCommand = 0;
    PressFunction(m, 1);
    if (!m.m_StepRequest) {
        if (g_TextSizeIdx < g_TextSizes.LBound() || g_TextSizeIdx > g_TextSizes.UBound()) {
            winsys::Ui().Beep();
        } else {
            const TextSizeRec size = g_TextSizes(g_TextSizeIdx);
            m.OpenCanvasDC();
            S_SetCompLocation(0, 0, 0, 0);
            int32_t status = 0;
            PlaceTextLines(status, kOwnerSymbol, g_CurSymb, m.m_TextBlockX, m.m_TextBlockY, size.Height, size.Width,
                           size.Width3, 0, m.m_TextBlockAngle, static_cast<uint8_t>(g_ColorMode), 0);
            m.CloseCanvasDC();
            if (status != 0) winsys::Ui().Beep();
        }
    }
    g_TextAccepted = false;
    return false;
}

}  // namespace

CommandStep FindTextStep(int32_t id)
{
    switch (id) {
    case 64: return PlaceTextBlock;
    default: return nullptr;
    }
}
