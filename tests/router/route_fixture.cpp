#include "tests/router/route_fixture.h"

#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/devices.h"
#include "tests/support/design_builder.h"

#include <fstream>
#include <sstream>

namespace router_test {

const char* const kStraightPair = R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
page P frame 11in 8.5in
  component R1 R at 0 0
  component R2 R at 10 0
end
)";

const char* const kPairAroundBody = R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
page P frame 11in 8.5in
  component R1 R at 0 0
  component R2 R at 20 0
  component R3 R at 10 0
end
)";

std::string DemoDesign()
{
    std::ifstream in(std::string(PALVANE_SOURCE_DIR "/data/demo/demo.txt"));
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void RoutingTest::TearDown()
{
    SCR_DBaseFree();
    corvex::g_Tuning = corvex::RouteTuning{};
    palvane_test::KernelTest::TearDown();
}

::testing::AssertionResult RoutingTest::Load(const std::string& design, int32_t preloadBits)
{
    auto built = palvane_test::BuildDesign(design);
    if (!built) return built;
    SCR_DBaseFree();
    SCR_SetPreloadBits(preloadBits);
    if (!SCR_LoadComponentsAndSymbols() || !SCR_LoadFields() || !LD_PreLoadBranchesAndBPoints())
        return ::testing::AssertionFailure() << "load failed: " << SCR_ErrorFunc() << "/" << SCR_ErrorCode();
    SCR_SetScale(2540);
    SCR_LoadViewStatus(16 + 8 + 4);
    SCR_SetStepIndex(3);
    int32_t colours[16];
    for (int i = 0; i < 16; ++i) colours[i] = i;
    SCR_SetCatColors(colours);
    return ::testing::AssertionSuccess();
}

int RoutingTest::RouteAll(std::string* text)
{
    SCR_InitNodeForRoute();
    char msg[100] = {};
    int32_t state = 0;
    int calls = 0;
    do {
        ++calls;
        if (!SCR_RouteAllWiresInPage(&state, msg, sizeof msg)) {
            ADD_FAILURE() << "routing failed: " << msg;
            break;
        }
    } while (state == 0 && calls < 100000);
    if (text) *text = msg;
    return calls;
}

int32_t RoutingTest::NetIndex(const std::string& name)
{
    for (int32_t n = 1; n <= corvex::g_Nets.Count(); ++n)
        if (name == corvex::NetName(n)) return n;
    return 0;
}

int32_t RoutingTest::FirstPair()
{
    const int32_t pg = corvex::FindPageIndex(corvex::g_ScrCurPage);
    return pg ? corvex::g_Pages[pg].firstPair : 0;
}

int RoutingTest::BranchCount(int32_t net)
{
    int n = 0;
    for (int32_t b = corvex::g_Nets[net].firstBranch; b; b = corvex::g_Branches[b].next)
        if (corvex::g_Branches[b].page == corvex::g_ScrCurPage) ++n;
    return n;
}

Canvas::Canvas(int width, int height) : image(width, height, QImage::Format_RGB32)
{
    image.fill(Qt::white);
    winsys::Device device;
    device.kind = winsys::DeviceKind::Image;
    device.surface = &image;
    device.image = &image;
    handle = winsys::RegisterDevice(device);
}

Canvas::~Canvas() { winsys::UnregisterDevice(handle); }

bool Canvas::Open(int32_t unitsPerPixel)
{
    ViewDCRec view{unitsPerPixel, image.width(), image.height(), 0, 0, 0};
    return PG_OpenDC(handle, &view) != 0;
}

void Canvas::Close() { PG_CloseDC(); }

int Canvas::Painted() const
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) ++n;
    return n;
}

}  // namespace router_test
