// Offscreen screenshots: a widget or an open menu grabbed to a PNG file, so
// that a person can look at what a test built.
#pragma once

#include <string>

class QMenu;
class QWidget;

namespace palvane_test {

// The folder screenshots go to: $PALVANE_SCREENSHOT_DIR when set, else
// "screenshots" in the working directory. Created when missing.
std::string ScreenshotDir();

// Grabs the widget (with its children, as it would show) to
// <dir>/<name>.png; returns the file's path, empty when it failed.
std::string SaveScreenshot(QWidget* widget, const std::string& name);

// Grabs the whole screen, with the window manager's frames and captions
// where one runs (under a virtual X display), to <dir>/<name>.png.
std::string SaveScreenScreenshot(const std::string& name);

// Opens the menu at the top left of the screen, grabs it to
// <dir>/<name>.png and closes it again; returns the path or empty.
std::string SaveMenuScreenshot(QMenu* menu, const std::string& name);

}  // namespace palvane_test
