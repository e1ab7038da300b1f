// A net as text, one line per pin: the text the net dialog SCHINET shows and
// the user edits, written from a net, parsed back into a list of pins, and
// the opening of the dialog.
//
// The format: per node with a component and a pin, the component name as a
// field of 15 characters (cut or padded with blanks), ",", the pin name
// without surrounding blanks, CR LF; the last line is "END" and CR LF.
#pragma once

#include "platform/kernel/records.h"

#include <cstdint>
#include <string>

// The net text.
extern std::string g_NetNodeText;
// What the dialog is opened for: 0 rename a net, 1 edit a net, 2 name the
// part split off a net.
extern int32_t g_NetEditMode;
// The selection (0-based start, length) the dialog shows when it opens.
extern int32_t g_NetTextSelStart;
extern int32_t g_NetTextSelLen;
// The dialog's answer: 0 cancelled; else 1, plus 2 power/ground, plus 4
// named.
extern int32_t g_NetEditFlags;

// Writes the net's text into g_NetNodeText; `node` is the walk's cursor.
void MakeNetNodeText(int32_t net, int32_t& node, const NetRec& netRec);

// Parses g_NetNodeText into g_NetNodes (flags 1, component, entry; ids 0).
// The first faulty line is reported (codes 30 syntax, 31 pin already on a
// net, 32 no such component, 33 no such pin) and the dialog opened on it in
// edit mode; an accepted text is parsed again. status 0 parsed, 1 the user
// cancelled (g_NetNodes then empty). Only a line "END" ends the text; a text
// without one is a syntax error.
void ParseNetText(int32_t& status);

// Opens the net dialog: style 1 modally (unloaded when it closes), any other
// style shown beside the main window and kept on top.
void ShowNetEditDialog(int32_t style, int32_t mode, int32_t selStart, int32_t selLen);
