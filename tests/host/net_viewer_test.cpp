// The net viewer opened as a user opens it, in the running host on the
// demo design: the net test on SPLVCC, whose pins lie on the pages
// Amplifier and Blinker, and its option "compare with the layout". Both
// page panes hold the page drawing as soon as the window shows, after the
// window is made larger, and again when the viewer is opened a second time.
#include "tests/host/host_fixture.h"
#include "tests/host/net_viewer_steps.h"

#include "editor/dialogs/schsnet.h"
#include "editor/shell/controls.h"
#include "editor/shell/forms.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "editor/view/canvas.h"
#include "tests/support/raster.h"

#include <QApplication>
#include <QTest>

#include <string>

namespace palvane_test {
namespace {

// The pixels of a pane's image that are not its back colour.
int DrawnPixels(const Canvas& pane)
{
    const QImage& image = pane.Image();
    return image.width() * image.height() - CountPixels(image, pane.BackColor().rgb());
}

// Each of the two panes in use shows its page: its image has the pane's
// size, holds a drawing, and is the picture a fresh paint of the pane
// makes.
void ExpectBothPanesDrawn(SCHSNET& viewer, const std::string& when)
{
    for (int pane = 0; pane < 2; ++pane) {
        Canvas* canvas = viewer.ViewPicture(pane);
        ASSERT_TRUE(canvas->isVisible()) << when << ", pane " << pane;
        EXPECT_EQ(canvas->Image().size(), canvas->ClientSize()) << when << ", pane " << pane;
        EXPECT_GT(DrawnPixels(*canvas), 0) << when << ", pane " << pane << " is blank";
        const QImage shown = canvas->Image().copy();
        canvas->Refresh();
        EXPECT_TRUE(CompareImages(shown, canvas->Image()).Same()) << when << ", pane " << pane;
    }
}

class NetViewerOnTheDemo : public HostInProcess {};

TEST_F(NetViewerOnTheDemo, BothPanesAreDrawnWhenOpenedResizedAndOpenedAgain)
{
    int openings = 0;
    const int status = Run([&](SCHMAIN& main) {
        auto close = OnExit([this] { Send("PALVANE,EX"); });
        StartNetTest(main, "SPLVCC");
        for (int round = 1; round <= 2; ++round) {
            const std::string opening = "opening " + std::to_string(round);
            WhenViewerShown([&](SCHSNET& viewer) {
                ++openings;
                QWidget* window = viewer.Window();
                EXPECT_EQ(viewer.Caption(), "Net : SPLVCC in Schematics. Pages(  2 )");
                EXPECT_EQ(viewer.F_PgNam(0)->Caption(), "Amplifier");
                EXPECT_EQ(viewer.F_PgNam(1)->Caption(), "Blinker");
                EXPECT_FALSE(viewer.ViewPicture(2)->isVisible());
                ExpectBothPanesDrawn(viewer, opening);

                const QSize before = viewer.ViewPicture(0)->ClientSize();
                window->resize(window->width() + 200, window->height() + 160);
                EXPECT_TRUE(RunUntil([&] { return viewer.ViewPicture(0)->ClientSize() != before; }));
                for (int i = 0; i < 5; ++i) QApplication::processEvents();
                EXPECT_GT(viewer.ViewPicture(0)->ClientSize().width(), before.width());
                ExpectBothPanesDrawn(viewer, opening + " resized");

                QTest::mouseClick(viewer.F_Close(), Qt::LeftButton);
            });
            // The option opens the viewer and waits until it has closed.
            SetOption(main, 2, true);
            EXPECT_EQ(openings, round);
            EXPECT_FALSE(FormInstance<SCHSNET>().IsLoaded()) << opening;
            EXPECT_FALSE(main.F_OST(2)->Value()) << opening << ": the option is released";
        }
    });
    EXPECT_EQ(status, 0) << err;
    EXPECT_EQ(openings, 2);
    EXPECT_EQ(Errors(), "");
}

}  // namespace
}  // namespace palvane_test
