// Function 2 of the notes modes: the item under the pointer copied to a
// place chosen with the pointer, or repeated by a typed offset or about a
// centre given by the point markers; off any item the selection box of the
// copy begins. The typed answers are checked before anything is made. A
// repeat keeps the copies it made when a later one is refused.
#include "editor/shell/schmain.h"

#include "editor/interaction/command_steps.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/controls.h"
#include "editor/shell/design_change.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/geometry.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/settings.h"
#include "editor/shell/textnum.h"
#include "editor/view/marks.h"
#include "platform/winsys/interaction.h"

#include <cmath>
#include <optional>

namespace {

// The most copies one typed repetition makes.
constexpr int32_t kMaxSteps = 1000;

void Refuse(const std::string& text)
{
    winsys::Ui().MessageBox(text, g_AppTitle, winsys::mb::OkOnly | winsys::mb::Exclamation);
}

// Asks with `prompt`; true when the answer has exactly `count` fields
// (g_ArgNum from element 1).
bool AskFields(const std::string& prompt, int count)
{
    const std::string answer = AskText(prompt, "", "");
    if (answer.empty()) return false;
    SplitFields(answer);
    return g_ArgNum(0) == count;
}

// The typed number of steps: a whole number from 1 to kMaxSteps; otherwise
// a message and none.
std::optional<int32_t> Steps(double typed)
{
    if (std::isfinite(typed) && typed == std::floor(typed) && typed >= 1 && typed <= kMaxSteps)
        return static_cast<int32_t>(typed);
    Refuse("Steps: type a whole number from 1 to " + std::to_string(kMaxSteps) + ".");
    return std::nullopt;
}

}  // namespace

void SCHMAIN::ItemCopyClick(int32_t& X, int32_t& Y)
{
    // The copy (or the copies of a repeat, each whole by itself), its marks
    // and the page's view stored by the repaint are one edit.
    DesignChange change;
    if (!HitSymbItem(X, Y)) {
        int32_t unchanged = 0;
        SnapPoint(unchanged, X, Y);
        m_BaseX = X;
        m_BaseY = Y;
        int32_t id = 74;
        BeginCommand(id);
        return;
    }
    if (g_SymbItemType > 20) return;
    const auto& m0 = g_Markers[0];
    const auto& m1 = g_Markers[1];
    const auto& m2 = g_Markers[2];
    if (OptionPressed(*this, 0)) {
        if (!AskFields(GetMsgText("Type: Steps,dX,dY (in ", "991348") + g_UnitLongName(g_UnitIndex) + ")", 3)) return;
        const double dX = g_ArgNum(2), dY = g_ArgNum(3);
        const auto steps = Steps(g_ArgNum(1));
        if (!steps) return;
        RepeatItemByOffset(*steps, dX, dY);
        return;
    }
    if (OptionPressed(*this, 1)) {
        if (m0.Shown && m1.Shown && m2.Shown) {
            const double angle = VectorAngle(double(m0.X) - m2.X, double(m0.Y) - m2.Y) -
                                 VectorAngle(double(m1.X) - m2.X, double(m1.Y) - m2.Y);
            if (!AskFields(GetMsgText("Type: Steps", "991346"), 1)) return;
            const auto steps = Steps(g_ArgNum(1));
            if (!steps) return;
            RepeatItemByAngle(*steps, m2.X, m2.Y, angle);
        } else if (m0.Shown && m1.Shown) {
            if (!AskFields(GetMsgText("Type: Steps,Angle (in deg.)", "991347"), 2)) return;
            const double A = g_ArgNum(2);
            if (A == 0) return;
            const auto steps = Steps(g_ArgNum(1));
            if (!steps) return;
            // The centre of the circle through both markers on which the
            // chord between them subtends A.
            const double c = VectorLength(double(m1.X) - m0.X, double(m1.Y) - m0.Y) / 2;
            const double R = c / std::sin(A / 2 * g_DegToRad);
            const double h = std::sqrt(std::fabs(R * R - c * c));
            const double beta = (VectorAngle(double(m1.X) - m0.X, double(m1.Y) - m0.Y) - 90) * g_DegToRad;
            const double cx = m0.X + (double(m1.X) - m0.X) / 2 + h * std::cos(beta);
            const double cy = m0.Y + (double(m1.Y) - m0.Y) / 2 + h * std::sin(beta);
            // An angle near whole turns puts the centre beyond the drawing.
            if (!std::isfinite(cx) || !std::isfinite(cy) || std::fabs(cx) > kCoordLimit ||
                std::fabs(cy) > kCoordLimit) {
                Refuse("The centre of this rotation lies outside the drawing area.");
                return;
            }
            RepeatItemByAngle(*steps, cx, cy, A);
        } else if (m0.Shown) {
            if (!AskFields(GetMsgText("Type: Steps,Angle (in deg.)", "991347"), 2)) return;
            const double A = g_ArgNum(2);
            const auto steps = Steps(g_ArgNum(1));
            if (!steps) return;
            RepeatItemByAngle(*steps, m0.X, m0.Y, A);
        } else {
            ReportMsg(84);
        }
        return;
    }
    int32_t status = 0, index = 0;
    MakeOwnerItem(status, kOwnerSymbol, g_CurSymb, g_SymbItem,
                  g_SymbItemType == 6 ? g_SymbItemText : std::string(), index);
    if (status != 0 || index == 0) return;
    ClearMarkers(-1);
    g_SymbItemIdx = index;
    int32_t kind = 0;
    ReadSymbItem(status, g_CurSymb, g_SymbItemIdx, g_SymbItemText, kind);
    if (status != 0) return;
    g_SymbItemType = kind;
    O_Mask(S_SymbolItem(g_CurSymb, g_SymbItemIdx), 1, 1);
    PressFunction(*this, 3);
    for (int i = 0; i <= 10; ++i)
        if (F_OST.Exists(i)) F_OST(i)->SetValue(false);
    int32_t id = 73;
    BeginCommand(id);
}
