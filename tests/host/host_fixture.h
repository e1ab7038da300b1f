// The host run in the test's own process, on a copy of the shipped demo
// design, with the window system's real dialogs: the test works in the
// editor's window as a user would (menus, tool buttons, clicks on the page)
// while the host's event loop runs, and sends command lines through a pipe
// that stands for the host's standard input.
#pragma once

#include "host/host_run.h"

#include <QMessageBox>
#include <QPoint>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class MenuItem;
class SCHMAIN;

namespace palvane_test {

class HostInProcess : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the host on the design file until it exits; `started` runs once
    // the editor is up. Returns the host's exit status; what it wrote on
    // standard output and standard error is in `out` and `err`.
    int Run(const std::function<void(SCHMAIN&)>& started);

    // Sends one command line to the host's input.
    void Send(const std::string& line);
    // Standard error without the notes of the offscreen window system
    // ("This plugin does not support raise()").
    std::string Errors() const;

    QTemporaryDir dir;
    std::string design;
    std::string out;
    std::string err;

private:
    int input_[2] = {-1, -1};
};

// Runs the event loop, as the host's does, until `done` holds (false after
// a minute: a generous bound for a loaded machine, never reached when the
// editor works).
bool RunUntil(const std::function<bool()>& done);

// What a user does in the main window.
// Chooses a menu item: its menu opens first, which sets its items up.
void Trigger(MenuItem* item);
void ChooseMode(SCHMAIN& main, int mode);
void PressFunction(SCHMAIN& main, int function);
void SetOption(SCHMAIN& main, int option, bool on);
// The canvas pixel of a database point.
QPoint PixelOf(SCHMAIN& main, int32_t x, int32_t y);
// A left click on the page at a database point (0.1 inch steps).
void ClickPage(SCHMAIN& main, double stepsX, double stepsY);
// Chooses `page` in the page list.
void ChoosePage(SCHMAIN& main, const std::string& page);

// For a window that the user's next steps open and wait in: does `act` at
// the first turn of the event loop at which `shown` holds (a failure after
// a minute without it).
void WhenShown(std::function<bool()> shown, std::function<void()> act);
// Answers the next message box or question with `button`; its text and
// caption go to `seen` when given.
struct BoxSeen {
    std::string text;
    std::string caption;
};
void Answer(QMessageBox::StandardButton button, BoxSeen* seen = nullptr);
// Types `text` into the next input box and presses its OK.
void Type(const std::string& text);
// Clicks `item` in the next popup menu.
void ChoosePopupItem(MenuItem* item);

// The names of the current level's pages: in the database (by id) and in
// the window's page list.
std::vector<std::string> PagesInDatabase();
std::vector<std::string> PageList(SCHMAIN& main);

}  // namespace palvane_test
