// The main window's caption and where the editor stands: the open design's
// name, the current level and page with their names, the page's frame
// branch and the special symbols (notes, copper area, gap mask) of the
// current level and page, made when missing.
#pragma once

#include <cstdint>
#include <string>

extern std::string g_DbName;
extern std::string g_CurPageName;
// The copper-area symbol (-400 - level) and the gap-mask symbol (-800 -
// level); 0 when it could not be made. The notes symbols are in pagedraw.h.
extern int32_t g_CopparSymb;
extern int32_t g_AgapMskSymb;

// Reads the open design, the current level and page and their names, writes
// the window caption, works out the frame branch and makes the special
// symbols. status = the open design's handle; with no design open (0) it
// reports message 100 and closes the main window.
void SetMainCaption(int32_t& status);
// The same reads and caption without making anything: false when no design
// is open.
bool ReadMainCaption();

// Makes each special symbol of the current level and page that the kernel
// does not have; a symbol that cannot be made under its id leaves its
// global 0 (the page notes too while the level has no current page). The
// copper-area and gap-mask symbols get mask bit 2.
void EnsureSpecialSymbols();

// The caption as the state record carries it: commas would split the record
// for its readers, so each becomes a semicolon.
std::string RecordCaption(const std::string& caption);
