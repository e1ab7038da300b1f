// The current page as the main window draws it: the position (hierarchy
// level, page, frame branch, the ids of the notes symbols), the display
// switches of the page drawing, the frame box, and the full page drawing
// with its F10 stop.
#pragma once

#include "editor/shell/curpos.h"

#include <cstdint>

// The current page (the level is g_CurHier), and the page's frame branch
// (-100 - page).
extern int32_t g_CurPage;
extern int32_t g_FrameBranch;
// The symbols holding the design notes (-100 - level) and the page notes
// (-((level + 9) x 100 + page); 0 while the level has no current page).
extern int32_t g_DesNotesSymb;
extern int32_t g_PageNotesSymb;

// The frame box (left, bottom, right, top), its size, and whether it was
// read.
extern int32_t g_FrameX1;
extern int32_t g_FrameY1;
extern int32_t g_FrameX2;
extern int32_t g_FrameY2;
extern int32_t g_FrameWidth;
extern int32_t g_FrameHeight;
extern bool g_FrameValid;

// Display switches of the page drawing.
extern bool g_ShowPageNotes;
extern bool g_ShowDesNotes;
extern bool g_ShowNodes;
extern int32_t g_ShowRatsnest;
extern bool g_NetGuidelines;
extern int32_t g_MonoDrawMode;    // 8 for monochrome display, else 0
extern int32_t g_OutputDrawMode;  // 64 while printing, else 0
extern bool g_Printing;
// Nonzero while the router's page image stands for the current page: the
// page drawing then leaves the wires and junctions to the router.
extern int32_t g_RouteImageActive;
// Set when the user stopped a page drawing with F10.
extern bool g_RedrawCancelled;

// Takes the kernel's current level and page into the globals above and
// works out the frame branch and the notes symbols' ids.
void ReadCurrentPage();

// Reads the frame box of the current page's frame branch.
void ReadFrameBox();

// Draws the current page into the open drawing context: background square,
// notes, components, wires and junctions (not while the router image is
// active), nodes, ratsnest and page outline. F10 between the stages stops
// it and sets g_RedrawCancelled.
void DrawPage();

// Rebuilds the current page's frame branch (g_FrameBranch) as a closed
// outline through new frame junctions at the old points (the last point
// closes on the first), on its page. A point whose junction is missing
// keeps the position its record stored. The new corners take ids that no
// frame of the level names, and an old corner is released only when no
// other frame and no wire names it. Whole or not at all: a step the kernel
// refuses leaves the frame as it was and reports message 11.
void RebuildFrameBranch();

// Checks the frame of every page of every level and rebuilds, as above,
// each that is not whole: one whose branch lies on another page, that does
// not close on its first corner, whose corners are not distinct existing
// junctions of its page, or that shares a corner with another page's frame.
// A page's frame with no records is whole. The current level and page are
// the same afterwards.
void RepairPageFrames();
