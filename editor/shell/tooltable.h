// The tool table: for each of the twelve edit modes its function buttons
// (F_FSI 0..10) and, for each function, its option buttons (F_OST 0..10),
// with their pictures, start states, radio groups, help texts, shortcut
// letters and the prompt of the mode. It is read once at start-up from the
// menu profile "SCHFSI.MEN" in the program directory.
//
// The profile is a text file of comma-separated lines (nothing trimmed;
// numbers read as by ParseNum and rounded halves to even):
//   FSI,mode,PicBase,SelFunc,ModeHelp
//   FSIKEY,mode,func,Extra1,Avail,Pressed,OptPicBase,Extra2,Help[,Shortcut,AnyMode]
//   OSTKEY,mode,func,opt,Group,Avail,Value,Help
//   ENDMENU
// Lines of another first field (compared with case) are comments; lines are
// applied in order, and a profile without "ENDMENU" is unreadable. A
// shortcut and its switch flag are taken only from an FSIKEY line of
// exactly eleven fields.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class SCHMAIN;

constexpr int kModeCount = 12;      // modes 0..11
constexpr int kToolCount = 11;      // functions 0..10 of a mode, options 0..10 of a function
constexpr int kPicturesPerRow = 11;  // cells per row of the picture strips

// One option button.
struct ToolOptRec {
    int32_t Group = 0;   // options of one function with the same group form a radio group
    int32_t Avail = 0;   // nonzero: the option exists and its button is offered
    int32_t Value = 0;   // pressed state, -1 pressed, 0 released; changed at run time
    std::string Help;    // help text of the option
};

// One function button.
struct ToolFuncRec {
    int32_t Extra1 = 0;      // kept from the profile, read by nothing else
    int32_t Avail = 0;       // nonzero: the function exists in its mode
    int32_t Pressed = 0;     // -1 when this is the selected function of its mode; changed at run time
    int32_t OptPicBase = 0;  // picture cell of option 0 in the mode's option strip
    int32_t Extra2 = 0;      // kept from the profile, read by nothing else
    std::array<ToolOptRec, kToolCount> Opts{};
    int32_t AnyMode = 0;     // nonzero: the shortcut also switches from another mode
    std::string Shortcut = std::string(2, ' ');  // two letters, padded with blanks
    std::string Help;        // help text of the function
};

// One edit mode.
struct ModeToolsRec {
    int32_t PicBase = 0;  // picture cell of function 0 in the function strip
    int32_t SelFunc = 0;  // selected function 0..10; changed at run time
    std::array<ToolFuncRec, kToolCount> Funcs{};
    std::string ModeHelp;  // prompt of the mode
};

// The tool table, indexed by mode 0..11. Every number 0 and every text
// empty until the profile has been read; only ReadMenuProfile fills it.
// Index it through ModeTools() and the Funcs/Opts arrays' at() or after a
// range check: mode 0..11, function and option 0..10.
extern std::array<ModeToolsRec, kModeCount> g_ModeTools;

// g_ModeTools(mode), error 9 outside 0..11.
ModeToolsRec& ModeTools(int32_t mode);

// Empties the whole table (every number 0, every text empty, shortcuts
// blank).
void ClearToolTable();

// Reads the menu profile `fileName` (without directory) from the program
// directory (g_ProgDir; the data folder when that is empty) into the tool
// table. True when it was read up to its "ENDMENU" line. Every failure - the
// file cannot be opened or read, it ends before "ENDMENU", a mode outside
// 0..11, a function or option outside 0..10, a missing field, a number too
// large, a selected function outside 0..10, a negative picture number or
// one whose last button's cell (number + 10) is beyond a Long -
// stops the reading at once: message 8 ("Cant Read Menu Profile", after the
// read error of the text-file procedures when the file could not be opened
// or ended before "ENDMENU"), the main
// window's ExitAnyWay is set and the window shuts down, and the result is
// False. The table keeps what was stored before the failure.
bool ReadMenuProfile(const std::string& fileName);

// The start-up step of the main window: fills the zoom-mode list (Current,
// Center, Page, Component), reads "SCHFSI.MEN" and, when it was read, gives
// the viewport F_PICView its sizing border. False when the profile was
// unreadable; the window has then been shut down.
bool InitToolMenus(SCHMAIN& form);

// Loads the button pictures into the window's picture clips: the function
// strip "pictures/fsi.png" (12 rows of 11 cells, row m for mode m) into
// P_FSI and the option strips "pictures/ostNN.png" (11 rows of 11 cells,
// row f for function f) into P_OST(1..11), from the program directory. A
// strip that is missing or not of that grid is replaced by a blank strip of
// the same grid (the buttons then show no picture) and named on standard
// error.
void LoadToolPictures(SCHMAIN& form);

// The folder the profile and the pictures are read from.
std::string ToolDataDir();
