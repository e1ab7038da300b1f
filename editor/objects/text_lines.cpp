#include "editor/objects/text_lines.h"

#include "editor/objects/owner_items.h"
#include "editor/shell/errors.h"
#include "editor/shell/geometry.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/textnum.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

// Degrees to radians, as g_DegToRad holds it once the units are set up.
const double kDegToRad = 4.0 * std::atan(1.0) / 180.0;

struct PlacedLine {
    std::string text;
    int32_t x = 0;
    int32_t y = 0;
};

bool InRange(int32_t v)
{
    return v >= -kCoordLimit && v <= kCoordLimit;
}

}  // namespace

void PlaceTextLines(int32_t& status, int32_t ownerKind, int32_t owner, int32_t& x, int32_t& y, int32_t textHeight,
                    int32_t textWidth, int32_t textWidth3, int32_t gap, double angle, uint8_t layer, int32_t link)
{
    try {
        const double radians = angle * kDegToRad;
        ItemRec record{};
        record.Kind = 6;
        record.Flags = 1;
        record.Link = link;
        record.Layer = layer;
        record.Style = 0;
        record.Width = textWidth3;
        record.Gap = gap;
        record.Angle = G_AngleAdj(ToLong(angle * 1000.0));
        record.P1 = textHeight;
        record.P2 = textWidth;

        int32_t failed = 0;
        const int32_t step = TextLineStep(failed, textHeight, textWidth);
        if (failed != 0) {
            status = 1;
            return;
        }
        int32_t atX = x;
        int32_t atY = y;
        const auto stepOnce = [&] {
            atY = ToLong(atY - step * std::cos(radians));
            atX = ToLong(atX + step * std::sin(radians));
        };

        // Where every line goes, before anything is made.
        std::vector<PlacedLine> placed;
        stepOnce();
        for (std::string& line : TextBufLines()) {
            if (!line.empty()) {
                if (!InRange(atX) || !InRange(atY)) {
                    status = 1;
                    return;
                }
                placed.push_back({std::move(line), atX, atY});
            }
            stepOnce();
        }

        // The items, all or none.
        const int32_t array = OwnerItemArray(ownerKind, owner);
        std::vector<int32_t> made;
        for (const PlacedLine& line : placed) {
            record.X = line.x;
            record.Y = line.y;
            int32_t item = 0;
            const int32_t index = MakeOwnerItem(failed, ownerKind, owner, record, line.text, item);
            if (failed != 0) {
                for (auto it = made.rbegin(); it != made.rend(); ++it) OA_Delete(array, *it);
                status = 1;
                return;
            }
            made.push_back(index);
        }
        for (int32_t index : made) DrawOwnerItem(ownerKind, owner, index);
        x = atX;
        y = atY;
    } catch (const RuntimeError&) {
        status = 1;
    }
}
