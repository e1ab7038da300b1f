#include "editor/automation/routing_state.h"

#include "editor/shell/binding.h"
#include "editor/shell/forms.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"

#include <algorithm>
#include <array>
#include <cstring>

std::string g_RouteMsg;
RoutePoint g_RoutePt;
RoutePoint g_RouteBlokPt;
int32_t g_RouteScale = 0;
int32_t g_RouteStepMode = 0;

namespace {

constexpr int32_t kCantCreateDatabase = 2000;
constexpr int32_t kCantCreateFields = 2001;
constexpr int32_t kCantLoadWires = 2002;
constexpr int32_t kViewRatsnest = 16;
constexpr int32_t kStartStepIndex = 3;
constexpr int32_t kCategoryCount = 16;

}  // namespace

RouteText::RouteText()
{
    std::memset(buffer_, 0, sizeof buffer_);
    std::memcpy(buffer_, g_RouteMsg.data(), std::min(g_RouteMsg.size(), kRouteMsgLength));
}

void RouteText::Store() const
{
    // The router always ends its text with a zero; the last byte is one in
    // any case, so the text is never read past the buffer.
    const size_t length = strnlen(buffer_, sizeof buffer_ - 1);
    g_RouteMsg.assign(buffer_, std::min(length, kRouteMsgLength));
}

std::string RouterFailureText()
{
    return "routine " + std::to_string(SCR_ErrorFunc()) + ", cause " + std::to_string(SCR_ErrorCode());
}

void LoadPageToRouter(int32_t& failed)
{
    failed = 0;
    SetScreenMousePointer(mousepointer::Hourglass);
    auto pointer = OnExit([] { SetScreenMousePointer(mousepointer::Default); });
    int32_t code = 0;
    try {
        SCR_DBaseFree();
        if (SCR_LoadComponentsAndSymbols() == 0) code = kCantCreateDatabase;
        else if (SCR_LoadFields() == 0) code = kCantCreateFields;
        else if (LD_PreLoadBranchesAndBPoints() == 0) code = kCantLoadWires;
        if (code == 0) {
            g_RouteScale = g_UnitIndex == 0 ? 2540 : 10000;
            SCR_SetScale(g_RouteScale);
            SCR_LoadViewStatus(kViewRatsnest);
            SCR_SetStepIndex(kStartStepIndex);
            std::array<int32_t, kCategoryCount> colors{};
            for (int32_t i = 0; i < kCategoryCount; ++i) colors[static_cast<size_t>(i)] = g_CatColorTable(i).PaletteIndex;
            SCR_SetCatColors(colors.data());
        }
    } catch (const binding::BindError& error) {
        // The router library or one of its functions is missing: the entry
        // is refused with the reason instead of an error in mid-load.
        std::string detail = std::string(": ") + error.what();
        failed = 1;
        ReportMsg(kCantCreateDatabase, detail);
        return;
    }
    if (code != 0) {
        failed = 1;
        ReportMsg(code);
    }
}
