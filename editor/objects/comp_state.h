// State of the component procedures of the object layer: the component
// being edited with its text, its pick anchor, the results of the array
// fitting, the editor-wide component information, and the packaging view of
// the layout component being worked on. The component commands, the
// property editors and the packaging dialogs read and write them between
// the steps of a command.
#pragma once

#include "editor/shell/checked_array.h"
#include "editor/shell/textnum.h"
#include "platform/kernel/records.h"

#include <cstdint>
#include <string>

// A fixed text of `length` characters: cut, or padded with blanks.
std::string FixedText(const std::string& text, size_t length);

// A schematic component described for the component and packaging dialogs.
// The names are fixed texts (blank-padded, cut); readers trim them.
struct CompInfoRec {
    int32_t Id = 0;                                  // 0 before the component is created
    int32_t Flags = 0;                               // CompRec Flags
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Symb = 0;
    std::string SymbName = FixedText("none", 15);    // "none" when there is no symbol
    int32_t Device = 0;                              // 0 when the device does not exist
    std::string DeviceName = FixedText("none", 15);  // "none" when there is none
    int32_t LayComp = 0;
    int32_t Group = 0;
    int32_t Page = 0;
    int32_t Info = 0;                                // CompRec Info, carried unchanged
    int32_t Angle = 0;
    int32_t Extra = 0;
    std::string GateText = std::string(30, ' ');     // device name "," group name, or the description text
    std::string Name = std::string(15, ' ');
};

// The packaging view of one layout component.
struct PackInfoRec {
    int32_t LayComp = 0;  // 0 before it is created
    int32_t Flags = 0;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Angle = 0;
    int32_t Symb = 0;
    std::string SymbName = FixedText("none", 15);
    int32_t Device = 0;
    std::string DeviceName = FixedText("none", 15);
    int32_t Extra = 0;
    int32_t Parts = 0;  // schematic components packed into it
    std::string Name = std::string(15, ' ');
};

// ---- The component being edited ----------------------------------------------
extern CompRec g_Comp;             // as last read
extern CompRec g_CompOld;          // the copy taken when it was read
extern ItemRec g_CompText;         // the component text being edited
extern ItemRec g_CompTextOld;      // its copy when picked
extern std::string g_CompTextStr;  // its text
extern std::string g_CompTextVal;  // the same text, kept for the text editor
extern int32_t g_CompTextIdx;      // its index in the component's text array
extern std::string g_CompName;
extern int32_t g_CompId;
extern int32_t g_CompEntry;        // the entry (pin) the last pick reported
// Where the picked component is held (the position of its picked entry),
// and the copy taken when it was set from an entry.
extern PointL g_CompAnchor;
extern PointL g_CompAnchorStart;
// Results of FitCompArray: the component's frame size (width, height) and
// the extent of the copies kept.
extern PointL g_CompFrameSize;
extern PointL g_ArrayExtent;

// The editor-wide current component information.
extern CompInfoRec g_CompInfo;

// ---- Packaging ----------------------------------------------------------------
extern PackInfoRec g_PackInfo;                 // the layout component worked on
extern CheckedArray<CompInfoRec> g_PackGroups; // its parts (1..n), in its list order
extern LayCompRec g_LayComp;                   // the layout component read last
