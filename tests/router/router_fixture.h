// Shared set-up of the router's tests: a design built from its readable
// form, loaded into the page image the way the editor loads it.
#pragma once

#include "router/corvex.h"
#include "router/image.h"
#include "tests/support/design_builder.h"
#include "tests/support/net_pieces.h"
#include "tests/support/kernel_fixture.h"

#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace router_test {

class RouterTest : public palvane_test::KernelTest {
protected:
    void SetUp() override
    {
        palvane_test::KernelTest::SetUp();
        SCR_SetPreloadBits(5);
        SCR_SetStepIndex(1);
    }
    void TearDown() override
    {
        SCR_DBaseFree();
        palvane_test::KernelTest::TearDown();
    }
    // Frees the image, loads it and sets up the field grid; with `preload`
    // the existing wires are read too. The result of the last step taken.
    static int32_t LoadImage(bool preload = true)
    {
        SCR_DBaseFree();
        if (!SCR_LoadComponentsAndSymbols()) return 0;
        if (!SCR_LoadFields()) return 0;
        return preload ? LD_PreLoadBranchesAndBPoints() : 1;
    }
};

// One unit of the designs below: 0.1 inch in database units.
constexpr int32_t kU = 254000;

// The points of an image branch as (x, y, flags).
std::vector<std::tuple<int32_t, int32_t, int32_t>> Points(int32_t branch);
// The image branches of a net's chain.
std::vector<int32_t> Chain(int32_t net);
// The image net whose kernel net (or bus) has this name; 0 when none.
int32_t ImageNet(const std::string& name);

// The kernel's wires as drawn: for every wire, its net (or bus) name, page
// and each unit segment it covers, so two designs compare equal when their
// wires cover the same stretches whatever their point records.
std::set<std::tuple<std::string, int32_t, int32_t, int32_t, int32_t, int32_t>> KernelWireCover();

// The name of a kernel net or bus.
std::string NetName(int32_t net, bool bus);

// The pieces of the nets' pins in the kernel (tests/support/net_pieces.h).
using palvane_test::Joins;
using palvane_test::KernelNetPieces;
using palvane_test::NetPieces;
using palvane_test::NetPiecesMap;
// The pieces of the nets' pins as the router's image counts them: pins by
// group (bus records, which hold no pins, left out); by net name and page.
NetPiecesMap ImageNetPieces();

}  // namespace router_test
