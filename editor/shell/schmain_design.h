// The main window's design: the sizes its controls are built with, in
// pixels. The layout (schmain_layout.cpp) places them for the window's
// size; the settings panel's controls keep their design proportions.
#pragma once

namespace schmain_design {

// One twip is 1/1440 inch; the window system counts 15 twips to a pixel.
// The window's smallest size is kept in twips.
constexpr int kTwipsPerPixel = 15;
// The window's outer size as designed; it is never made smaller.
constexpr int kWindowWidth = 1024;
constexpr int kWindowHeight = 720;
// The settings panel's width as designed, which its controls' positions
// and widths are given for.
constexpr int kMenuPanWidth = 1023;
constexpr int kMenuPanHeight = 32;
constexpr int kFieldHeight = 24;
constexpr int kFieldTop = 4;
// Tool buttons and their panels.
constexpr int kButtonSize = 30;
constexpr int kButtonStep = 32;
constexpr int kButtonTop = 3;
constexpr int kPanelPad = 4;  // panel width = button width + this
// The status row and the scroll bars.
constexpr int kStatusHeight = 22;
constexpr int kPosWidth = 120;
constexpr int kScrollExtent = 17;
// The gap the layout leaves around the canvas (40 twips).
constexpr int kGap = 3;
// The viewport window's smallest size (3048 x 2083 twips).
constexpr int kViewportWidth = 204;
constexpr int kViewportHeight = 139;
// The name of the dynamic property that holds a settings-panel control's
// design geometry.
constexpr const char* kDesignGeometry = "designGeometry";

}  // namespace schmain_design
