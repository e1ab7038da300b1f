// The editor loaded with a small page of resistors and its placement
// symbols set up: the fixture of the placement front end's tests.
#pragma once

#include "editor/automation/placement_symbols.h"
#include "editor/shell/schmain.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <QApplication>

#include <map>
#include <string>

namespace placement_test {

inline std::string ChainDesign(int count)
{
    std::string text = "include discrete.nls\nunit 1mil\ndesign D\nlevel MAIN\npage P frame 10in 8in\n";
    for (int i = 1; i <= count; ++i)
        text += "  component R" + std::to_string(i) + " R at " + std::to_string(-4000 + 300 * i) + " 3000\n";
    for (int i = 1; i < count; ++i)
        text += "  net N" + std::to_string(i) + " R" + std::to_string(i) + ".2 R" + std::to_string(i + 1) + ".1\n";
    return text + "end\n";
}

class PlacementTest : public palvane_test::EditorTest {
protected:
    void Load(int count)
    {
        ASSERT_TRUE(palvane_test::BuildDesign(ChainDesign(count)));
        Main().LoadSettings();
        RefreshPlacementSymbols(Main());
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }

    // Position and angle of every component by name.
    std::map<std::string, std::array<int32_t, 3>> Positions() const
    {
        std::map<std::string, std::array<int32_t, 3>> out;
        const int32_t map = DB_SchCompMap();
        int32_t cursor = OM_GetFirst(map);
        while (int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
            CompRec r{};
            C_ReadComponent(id, &r);
            out[r.Name] = {r.X, r.Y, r.Angle};
        }
        return out;
    }
};

}  // namespace placement_test
