// The settings file and the values read from it at every settings load:
// the reader of single values, the directories and the library lists; and
// the unit tables and start values set once when the main window loads.
//
// The settings file is the suite's initialisation file; the host publishes
// its path in the kernel environment string "IniFile". The editor only reads
// it: a missing file, section or key gives the default.
#pragma once

#include "editor/shell/checked_array.h"

#include <cstdint>
#include <string>

class QWidget;

// Path of the settings file, as the kernel environment gives it.
extern std::string g_IniFile;

// Section "Norvo32": the job, library, system and CAD job directories, taken
// as they stand (nothing is added, removed or checked on disk).
extern std::string g_JobDir;
extern std::string g_LibDir;
extern std::string g_SysDir;
extern std::string g_CadJobDir;

// Sections "DEVLIBS", "SCHLIBS", "LAYLIBS": file names of the part, symbol
// and layout libraries, from index 1; element 0 stays empty and UBound is
// the number of entries.
extern CheckedArray<std::string> g_DevLibs;
extern CheckedArray<std::string> g_SchLibs;
extern CheckedArray<std::string> g_LayLibs;

// Units. Index 0 inches, 1 millimetres.
extern CheckedArray<double> g_UnitFactor;         // millimetres to the display unit: 1/25.4, 1
extern CheckedArray<std::string> g_UnitSuffix;    // "\"", "mm"
extern CheckedArray<std::string> g_UnitLongName;  // "inches", "millimeters"
extern int32_t g_UnitIndex;                       // display unit
extern int32_t g_DbUnitsPerMm;                    // 100000 (2,540,000 per inch)

// Start values of new texts, component arrays and new components.
extern int32_t g_TextSizeIdx;    // current text-size entry, 1..32
extern int32_t g_TextPitch;      // line pitch of texts, database units
extern int32_t g_ArrayCountX;    // copies of a component array placement
extern int32_t g_ArrayCountY;
extern int32_t g_ArrayStepX;     // gaps between array copies, database units
extern int32_t g_ArrayStepY;
extern int32_t g_CompAngle;      // rotation of new components, 1/1000 degree
extern double g_DegToRad;
extern bool g_ShowPageOutline;   // the page frame is drawn
extern int32_t g_EntryDrawMode;  // draw mode of component entries: 0 shown

// Reads one value of the settings file (g_IniFile): `result` = the value of
// `key` in `section`, or `defaultValue` when the file, the section or the
// key is missing. Names match without regard to case; the reader drops the
// blanks and the quotes around the value. The value passes g_StrBuf, whose
// length bounds it.
void ReadIniString(const std::string& section, const std::string& key, const std::string& defaultValue,
                   std::string& result);

// g_IniFile = the kernel environment string "IniFile" (empty when unset, so
// that every value takes its default).
void GetIniFileName();

// Reads the four directories.
void ReadDirSettings();

// Rebuilds the three library lists: keys "1", "2", ... up to the first one
// that is missing or empty; a gap in the numbering ends a list.
void ReadLibLists();

// The unit tables and start values, set once per load of the main window
// before the settings are read.
void InitUnits();

// Gives `window` a sizing border: a grip in its lower right corner with
// which the user resizes it. `insertAfter` is the window it stays above in
// the stacking order (ignored, as the system ignores it for this change).
// A window that has the border already keeps it.
void SetWindowStyle(QWidget* window, QWidget* insertAfter);
// Whether the window has been given the sizing border.
bool HasSizingBorder(const QWidget* window);
