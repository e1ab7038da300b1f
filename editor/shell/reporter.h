// The message reporter: a numbered message table turned into a modal
// message box with a localised text and the detail (usually an object's
// name).
#pragma once

#include <cstdint>
#include <string>

// The caption of the editor's message boxes: "Norvo32 - " + title, and
// " (" + prompt + ")" when a mode or command prompt is set (g_Prompt).
std::string MessageCaption();

// Shows the message of `code` with `detail` in a system-modal box with an OK
// button, the row's icon and MessageCaption(); returns when the user has
// closed it. The caller's detail variable receives the text as displayed. A
// code without a row of its own shows "Unknown Error".
void ReportMsg(int32_t code, std::string& detail);
// The same for callers without a detail.
void ReportMsg(int32_t code);

