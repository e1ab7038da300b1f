// The main window over a small design (three resistors, nets A and B, the
// bus member C), entered into routing mode through the menu.
#pragma once

#include "editor/automation/routing_dialogs.h"
#include "editor/automation/routing_state.h"
#include "editor/interaction/commands.h"
#include "editor/shell/controls.h"
#include "editor/shell/menus.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/tooltable.h"
#include "platform/kernel/nvokernel32.h"
#include "router/corvex.h"
#include "platform/winsys/interaction.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <gtest/gtest.h>

namespace routing_test {

constexpr int32_t kU = 254000;  // 0.1 inch

inline const char* kFixture = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P frame 20in 16in
  component R1 R at 0 0
  component R2 R at 10 0
  component R3 R at 20 0
  net A R1.2 R2.1
  net B R2.2 R3.1
  net C R1.1 R3.2
  wire A R1.2 (5 0) R2.1
end
bus BUS C
)";

class RoutingTest : public palvane_test::EditorTest {
protected:
    void Use(const std::string& design = kFixture)
    {
        SCHMAIN& m = Main();
        (void)m;
        ASSERT_TRUE(palvane_test::BuildDesign(design));
        Main().LoadSettings();
    }
    // Enters routing mode, accepting the preload dialog as it shows.
    void Enter()
    {
        ui.ExpectModal("SCHRTLP", [](QWidget*) { FormInstance<SCHRTLP>().ButOk()->Press(); });
        Main().M_Aroute_Click();
    }
    // Selects function `func` of routing mode and presses option `opt`.
    void Choose(int func, int opt)
    {
        SCHMAIN& m = Main();
        m.F_FSI(func)->SetValue(true);
        m.F_FSI_Click(func, true);
        if (opt >= 0) m.F_OST(opt)->SetValue(true);
    }
    void Click(int32_t x, int32_t y) { Main().RoutingModeClick(x, y); }
    // Wires of a net (kind 0) or bus (kind 1) on any page.
    static int32_t WireCount(const char* name, int32_t kind = 0)
    {
        const int32_t owner = OM_FindName(kind == 0 ? DB_NetMap() : DB_BusMap(), name);
        int32_t n = 0;
        int32_t cursor = OM_GetFirst(DB_BranchMap());
        while (B_SearchNetPage(&cursor, kind, owner, -1)) ++n;
        return n;
    }
};

}  // namespace routing_test
