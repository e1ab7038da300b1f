// The net under test stays shown on the page while the net test runs, as a
// user sees it in the running host on the demo design: SPLVCC, whose wires
// lie on the pages Amplifier and Blinker, tested from net mode; the net
// viewer opened with the option "compare with the layout" and closed with
// its Close button, or with a jump to a pin on the other page. Its wires
// keep the highlight colour, after the window has closed and after Redraw,
// and Esc ends the test with the net in its plain colour and nothing of the
// highlight left on the page.
#include "tests/host/host_fixture.h"
#include "tests/host/net_viewer_steps.h"

#include "editor/dialogs/schsnet.h"
#include "editor/interaction/commands.h"
#include "editor/shell/controls.h"
#include "editor/shell/listbox.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "editor/view/canvas.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/raster.h"

#include <QRect>
#include <QTest>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace palvane_test {
namespace {

const char* const kNet = "SPLVCC";
constexpr int32_t kNetTest = 90;

// The net's wire segments of the current page, as canvas pixels.
std::vector<std::pair<QPoint, QPoint>> WireSegments(SCHMAIN& main)
{
    const int32_t net = OM_FindNameMask(DB_NetMap(), kNet, 0, 0);
    std::vector<std::pair<QPoint, QPoint>> segments;
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    while (const int32_t branch = B_SearchNetPage(&cursor, 0, net, 0)) {
        BranchRec rec{};
        if (B_ReadBranch(branch, &rec) == 0) continue;
        for (int32_t i = 1; i < rec.Points; ++i) {
            BranchPointRec a{};
            BranchPointRec b{};
            if (B_ReadRecord(branch, i, &a) == 0 || B_ReadRecord(branch, i + 1, &b) == 0) continue;
            segments.emplace_back(PixelOf(main, a.X, a.Y), PixelOf(main, b.X, b.Y));
        }
    }
    return segments;
}

// Canvas pixels on the net's wires of the current page: a quarter, half and
// three quarters along each segment, away from the node marks at its ends.
std::vector<QPoint> WirePixels(SCHMAIN& main)
{
    std::vector<QPoint> pixels;
    for (const auto& [a, b] : WireSegments(main))
        for (int quarter = 1; quarter <= 3; ++quarter) {
            const QPoint p = a + (b - a) * quarter / 4;
            if (main.ViewPicture->rect().contains(p)) pixels.push_back(p);
        }
    return pixels;
}

// Where the net shows on the canvas: its wires with room for the node marks
// and junction dots at their ends.
QRect NetArea(SCHMAIN& main)
{
    QRect area;
    for (const auto& [a, b] : WireSegments(main)) area |= QRect(a, b).normalized();
    return area.adjusted(-12, -12, 12, 12) & main.ViewPicture->rect();
}

// The one colour the canvas shows on all the net's wires of the page.
QRgb WireColour(SCHMAIN& main, const std::string& when)
{
    const std::vector<QPoint> pixels = WirePixels(main);
    EXPECT_FALSE(pixels.empty()) << when << ": no wire of " << kNet << " in sight";
    if (pixels.empty()) return 0;
    const QImage& image = main.ViewPicture->Image();
    const QRgb colour = PixelAt(image, pixels.front().x(), pixels.front().y());
    for (const QPoint& p : pixels)
        EXPECT_EQ(PixelAt(image, p.x(), p.y()), colour) << when << ", at " << p.x() << "," << p.y();
    return colour;
}

enum class Leave { Close, JumpToPin };

struct Case {
    const char* name;
    Leave leave;
    const char* page;  // the editor's page after the viewer has gone
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

class NetTestHighlight : public HostInProcess, public ::testing::WithParamInterface<Case> {};

TEST_P(NetTestHighlight, WiresStayHighlightedUntilEscDrawsThemPlainly)
{
    const Case& c = GetParam();
    const int status = Run([&](SCHMAIN& main) {
        auto close = OnExit([this] { Send("PALVANE,EX"); });
        ASSERT_EQ(main.F_Pages->Text(), "Amplifier");
        const QRgb plain = WireColour(main, "before the test");
        EXPECT_NE(plain, main.ViewPicture->BackColor().rgb() & 0xFFFFFFu);
        StartNetTest(main, kNet);
        ASSERT_EQ(g_CurCommand, kNetTest);
        const QRgb highlight = WireColour(main, "as the test starts");
        EXPECT_NE(highlight, plain);

        WhenViewerShown([&](SCHSNET& viewer) {
            if (c.leave == Leave::JumpToPin) {
                // The pin V3,1 on the page Blinker, chosen in the report.
                ListBox* list = viewer.F_PageList();
                const QList<QListWidgetItem*> lines = list->findItems("(sch: V3,1)", Qt::MatchExactly);
                ASSERT_EQ(lines.size(), 1);
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(lines[0]).center());
                QTest::mouseClick(viewer.F_Pan(), Qt::LeftButton);
            }
            QTest::mouseClick(viewer.F_Close(), Qt::LeftButton);
        });
        SetOption(main, 2, true);
        ASSERT_FALSE(FormInstance<SCHSNET>().IsLoaded());
        EXPECT_EQ(main.F_Pages->Text(), c.page);
        EXPECT_EQ(g_CurCommand, kNetTest) << "the test still runs";
        EXPECT_EQ(WireColour(main, "after the viewer"), highlight);
        QTest::mouseClick(main.RedrawBtn, Qt::LeftButton);
        EXPECT_EQ(WireColour(main, "after Redraw"), highlight);

        QTest::keyClick(main.ViewPicture, Qt::Key_Escape);
        EXPECT_EQ(g_CurCommand, 0) << "Esc ends the test";
        EXPECT_EQ(WireColour(main, "after Esc"), plain);
        // Nothing of the highlight is left: the net shows as a paint of the
        // page shows it.
        const QRect area = NetArea(main);
        ASSERT_FALSE(area.isEmpty());
        const QImage ended = main.ViewPicture->Image().copy(area);
        main.RefreshCanvas();
        const ImageDiff diff = CompareImages(ended, main.ViewPicture->Image().copy(area));
        EXPECT_TRUE(diff.Same()) << diff.differing << " pixels differ, the first at " << diff.firstAt.x() << ","
                                 << diff.firstAt.y() << " of the net's area";
    });
    EXPECT_EQ(status, 0) << err;
    EXPECT_EQ(Errors(), "");
}

INSTANTIATE_TEST_SUITE_P(ViewerLeft, NetTestHighlight,
                         ::testing::Values(Case{"Closed", Leave::Close, "Amplifier"},
                                           Case{"JumpedToAPinOnAnotherPage", Leave::JumpToPin, "Blinker"}),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace palvane_test
