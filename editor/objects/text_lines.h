// A multi-line text laid out as owner items, one text item per line, the
// lines following the block's rotation. (Measuring such a text is
// MeasureTextLines, editor/shell/geometry.h.)
#pragma once

#include <cstdint>

// Lays out g_TextBuf (lines split at CR LF) from the top of the block
// (x, y): one step before the first line, then one text item per non-empty
// line, each drawn as it is added (DrawOwnerItem), and one step per line,
// empty lines included. The step is the height of a character of this
// size plus g_TextPitch, turned by `angle` (degrees). (x, y) is left at
// the reference point of the line after the last one.
//
// The items share one record: Kind 6, Flags 1, `link`, `layer`, Style 0,
// `textWidth3`, `gap`, the angle in 1/1000 degree brought into 0..359,999,
// `textHeight` and `textWidth`. Every position is worked out and checked
// before the first item is made, and the items are drawn only when all of
// them are in the owner's array: on any error (a coordinate overflow, a
// line the kernel refuses) status is 1 and the owner, (x, y) and the
// canvas are as they were. On success status is left as the caller set it.
void PlaceTextLines(int32_t& status, int32_t ownerKind, int32_t owner, int32_t& x, int32_t& y, int32_t textHeight,
                    int32_t textWidth, int32_t textWidth3, int32_t gap, double angle, uint8_t layer, int32_t link);
