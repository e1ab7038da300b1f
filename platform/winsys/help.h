// The help window: topics of a help book shown by number in a text browser.
//
// A help book is a text file of our own (Latin-1):
//
//   # a comment
//   @title Schematic Capture Help
//   @blocks 13301 133 12
//
//   @topic 1 File menu
//   A paragraph: lines up to the next empty line are joined.
//
//   - A list item; a line that starts with two blanks continues it.
//   See [[13302|the Page menu]] or [[13302]] (the topic's own title);
//   **bold text**.
//
// "@blocks" gives the layout of the topic numbers: each topic of the first
// level owns a block of that many numbers (its own first, then its
// children's blocks of the next size), and so on down. A topic without a
// text of its own shows the text of the nearest topic above it that has one.
//
// The book named by a help file path is that file when it exists, else the
// file in the "help" folder beside it whose name, without its extension,
// is the help file's own name without regard to case (".../PALVANE.HLP"
// reads ".../help/palvane.txt").
#pragma once

#include <cstdint>
#include <string>

class QWidget;

namespace winsys {

// Shows topic `topic` of the book of `helpFile` in the help window (made
// and shown when needed). Returns the topic shown: the topic itself or the
// nearest one above it with a text; 0 when the book has none of them or
// cannot be read, and the window then says so.
int32_t ShowHelpTopic(const std::string& helpFile, int32_t topic);
// Shows the book's contents: every topic, by levels, as links.
bool ShowHelpContents(const std::string& helpFile);
// Places the help window; positions and sizes in 1/1024 of the screen.
// `state` 1 normal, 2 minimised, 3 maximised.
void PlaceHelpWindow(int left, int top, int width, int height, int state);
// Closes the help window.
void CloseHelpWindow();

// The help window while it exists, else null; the topic it shows (0 for
// the contents or a message).
QWidget* HelpWindow();
int32_t HelpWindowTopic();

}  // namespace winsys
