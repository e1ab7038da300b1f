// A symbol drawn at a place: turned and mirrored as a component, and drawn
// off again in erase mode. The picture of a symbol at three angles is
// written to the screenshot folder for a person to look at.
#include "editor/objects/libraries.h"
#include "editor/objects/symbols.h"
#include "tests/objects/objects_fixture.h"
#include "tests/support/raster.h"
#include "tests/support/screenshot.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

using palvane_test::CompareImages;

class DrawSymbol : public objects_test::LibraryTest {};

// The box of the pixels that differ from the background.
QRect Drawn(const QImage& image, QRgb background)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF)) box |= QRect(x, y, 1, 1);
    return box;
}

TEST_F(DrawSymbol, TheSymbolIsDrawnTurnedAtItsPlaceAndErasedAgain)
{
    int32_t status = 1, id = 0;
    std::string libName;
    int32_t index = 0;
    GetSymb(status, 0, "NPN", id, libName, index);
    ASSERT_EQ(status, 0);

    // Three placements side by side, 10,000 units (about 0.004 inch) a
    // pixel, with room round each for its texts at every angle.
    objects_test::Surface s(640, 400);
    const QImage blank = s.image;
    ASSERT_TRUE(s.Open(10000));
    struct Place {
        int32_t x, angle;
    } places[] = {{-2000000, 0}, {0, 90000}, {2000000, 180000}};
    QRect boxes[3];
    QPoint offsets[3];
    for (int i = 0; i < 3; ++i) {
        const QImage before = s.image;
        DrawSymbAt(id, places[i].x, 0, places[i].angle, 0);
        QImage diff = s.image;
        // Where this placement drew: the pixels that changed.
        for (int y = 0; y < diff.height(); ++y)
            for (int x = 0; x < diff.width(); ++x)
                diff.setPixel(x, y, diff.pixel(x, y) == before.pixel(x, y) ? s.Background() : qRgb(0, 0, 0));
        boxes[i] = Drawn(diff, s.Background());
        ASSERT_FALSE(boxes[i].isEmpty()) << i;
        ASSERT_TRUE(QRect(1, 1, 638, 398).contains(boxes[i])) << i << ": the drawing reaches the surface's edge";
        // The placement's origin is 200 pixels from the next one's.
        offsets[i] = boxes[i].center() - QPoint(320 + 200 * (i - 1), 200);
    }
    // The drawing turns about the placement's origin: a quarter turn
    // (counterclockwise; the screen's y runs down) takes the unturned
    // drawing's offset from its origin (x, y) to (y, -x), a half turn to
    // (-x, -y).
    EXPECT_NEAR(offsets[1].x(), offsets[0].y(), 4);
    EXPECT_NEAR(offsets[1].y(), -offsets[0].x(), 4);
    EXPECT_NEAR(offsets[2].x(), -offsets[0].x(), 4);
    EXPECT_NEAR(offsets[2].y(), -offsets[0].y(), 4);
    // A quarter turn swaps the extent of the drawing, a half turn keeps it
    // (within the pixels of the texts' letters).
    EXPECT_NEAR(boxes[1].width(), boxes[0].height(), 3);
    EXPECT_NEAR(boxes[1].height(), boxes[0].width(), 3);
    EXPECT_NEAR(boxes[2].width(), boxes[0].width(), 3);
    EXPECT_NEAR(boxes[2].height(), boxes[0].height(), 3);

    QLabel label;
    label.setPixmap(QPixmap::fromImage(s.image.scaled(s.image.size() * 2)));
    label.resize(label.pixmap().size());
    const std::string path = palvane_test::SaveScreenshot(&label, "symbol_at_three_angles");
    EXPECT_FALSE(path.empty());

    const int32_t mode = G_SetDrawMode(2);
    for (const Place& p : places) DrawSymbAt(id, p.x, 0, p.angle, 0);
    G_SetDrawMode(mode);
    s.Close();
    EXPECT_TRUE(CompareImages(s.image, blank).Same()) << "erasing leaves the background";
}

}  // namespace
