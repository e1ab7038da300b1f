// Plane geometry shared by the editing commands: the direction and length
// of a vector, the foot of a perpendicular on a segment, and the measure of
// a multi-line text laid out as one text item per line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The gap added between the lines of a multi-line text is g_TextPitch
// (settings.h).
// The multi-line text the text dialogs leave (lines separated by CR LF).
extern std::string g_TextBuf;
// True when the last text dialog was closed with Accept after a successful
// parse; the caller applies g_TextBuf only then.
extern bool g_TextAccepted;
// Set while the text input line keeps its text size; the list editor's
// callers clear it.
extern bool g_TextSizeFixed;

// The direction of (dx, dy) in degrees, 0 up to 360: 0 along +x, counted
// counter-clockwise; 90 for the null vector.
double VectorAngle(double dx, double dy);
double VectorLength(double dx, double dy);

// Moves (px, py) onto the foot of its perpendicular on the segment from
// (x1, y1) to (x2, y2) when the foot lies on the segment (ends included);
// leaves it otherwise, and for a segment of no length.
void FootOnSegment(int32_t& px, int32_t& py, int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// The lines of g_TextBuf (split at CR LF; the last line is what follows the
// last separator).
std::vector<std::string> TextBufLines();

// The distance from one line of a multi-line text to the next: the height
// of a character of that size plus g_TextPitch. Status 1 when the kernel
// cannot size the text.
int32_t TextLineStep(int32_t& status, int32_t textHeight, int32_t textWidth);

// The size of g_TextBuf laid out one line under the other: width of its
// longest line, height minus the number of lines times the line step
// (measured downwards in the y-up plane). Status 1 on any error; otherwise
// left as the caller set it.
void MeasureTextLines(int32_t& status, double& width, double& height, int32_t textHeight, int32_t textWidth);
