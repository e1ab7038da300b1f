// Context help: menu and tool handlers name their place (menu, submenu,
// tool, subtool) before they do their work; the topic of that place is
// remembered and, while the help mode is on, shown in the help window.
// Dialogs show the remembered topic on Ctrl+F1. And the F10 test with which
// long loops can be stopped.
#pragma once

#include <cstdint>
#include <string>

// The topic last computed by CheckHelpMode.
extern int32_t g_HelpTopic;

// Checks the numbers (a message names those out of their limits, and
// nothing more happens), remembers the topic in g_HelpTopic and, while the
// kernel's help mode is on, shows it and places the help window. True when
// the topic was shown. The handler goes on with its work either way.
bool CheckHelpMode(int32_t menu, int32_t submenu, int32_t tool, int32_t subtool);
// True when menu is at most 11, submenu 100, tool and subtool 11; otherwise
// shows which are not and is false.
bool CheckHelpNumbers(int32_t menu, int32_t submenu, int32_t tool, int32_t subtool);
// The topic number of a place: each menu owns 13,301 topics, each submenu
// 133, each tool 12; 0 when the numbers name no topic.
int32_t CalcHelpTopic(int32_t menu, int32_t submenu, int32_t tool, int32_t subtool);
// Shows g_HelpTopic, whatever the help mode (a dialog's Ctrl+F1).
void ShowFormHelp();
// Opens the help file g_HelpFile at its contents (Help > Contents).
void OpenHelpContents();
// Places the help window of `helpFile` at the right of the screen. `window`
// is the window asking (the help window stands on its own).
void PositionHelpWindow(int32_t window, const std::string& helpFile);
// Closes the help window (the main window's unload).
void CloseHelp(int32_t window, const std::string& helpFile);
// True when F10 is down or was pressed since the last ask; only the key
// events waiting in the queue are taken in.
bool CancelKeyDown();
