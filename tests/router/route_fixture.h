// A kernel database with a design built from text and the router's page
// image loaded from it, as the editor loads it in routing mode.
#pragma once

#include "router/corvex.h"
#include "router/route.h"
#include "bench/boards/router_checks.h"
#include "tests/support/kernel_fixture.h"

#include <QImage>

#include <string>

namespace router_test {

class RoutingTest : public palvane_test::KernelTest {
protected:
    void TearDown() override;
    // Builds the design and loads the image of its first page.
    ::testing::AssertionResult Load(const std::string& design, int32_t preloadBits = 5);
    // Calls the all-wires export until the run ends; the number of calls.
    int RouteAll(std::string* text = nullptr);
    // The net record of a kernel net name; 0 when none.
    int32_t NetIndex(const std::string& name);
    // The first pair node of the page.
    int32_t FirstPair();
    // The branches of a net on the current page.
    int BranchCount(int32_t net);
};

// An image registered as a device, with a drawing context open on it that
// shows the whole page frame of 11 x 8.5 inches.
struct Canvas {
    QImage image;
    int32_t handle = 0;
    explicit Canvas(int width = 1100, int height = 850);
    ~Canvas();
    bool Open(int32_t unitsPerPixel = 2540000 / 100);
    void Close();
    int Painted() const;  // pixels that are not the background
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
};

// Two resistors in one net, pins 0.4 in apart on one line.
extern const char* const kStraightPair;
// The same pair 1.4 in apart with a third resistor's body between the pins.
extern const char* const kPairAroundBody;

// The shipped demo design's readable form.
std::string DemoDesign();

}  // namespace router_test
