// Preferences read from the settings file at every settings load: the
// twelve page formats offered by the page-format dialog and the default
// format of a page without a frame (section "FORMATS"), the packaging flags
// that tell the component-text builder how to remake texts ("PACKAGING"),
// and the list of functions of the shortcut palette ("ShortCutsSch").
//
// A value that is out of range is not taken: the setting keeps what it had
// (its built-in default on the first load).
#pragma once

#include "editor/shell/checked_array.h"

#include <cstdint>
#include <string>

// ---- Page formats -----------------------------------------------------------

// One sheet size, in the unit of its row (inches or millimetres).
struct PageFormatRec {
    std::string Name;
    double Width = 0;
    double Height = 0;
};

// The raw values of the keys I1..I6 (1..6) and M1..M6 (7..12); 0 stays empty.
extern CheckedArray<std::string> g_PageFormatText;

// Rows 0 (inches) and 1 (millimetres), slots 1..6; slot 0 stays empty. The
// dialog lists row 0 slots 1..6 and then row 1 slots 1..6 (positions 0..11).
class PageFormatTable {
public:
    static constexpr long kRows = 2;
    static constexpr long kSlots = 7;
    // Error 9 outside rows 0..1, slots 0..6.
    PageFormatRec& operator()(long row, long slot);
    const PageFormatRec& operator()(long row, long slot) const;
    void Clear();

private:
    PageFormatRec items_[kRows][kSlots];
};
extern PageFormatTable g_PageFormats;

// Re-reads the twelve keys of "FORMATS" and parses each into its slot: a
// value of exactly three fields (name, width, height) with a width and a
// height above 0 and within the drawing area replaces the slot; any other
// value leaves the slot as it was, or gives it the key's built-in default
// while it is still empty.
void ReadPageFormats();

// The list position (0..11) of the default page format named by a
// "SchDefPage" value: "1,In" the inch slot n, "1,Mn" the millimetre slot n
// (n 1..6; only an upper-case "M" selects the millimetre row). -1 for
// "none" and for every value that names no slot.
int32_t DefaultPageFormatPos(const std::string& value);
// GetIniFileName and the "SchDefPage" value of "FORMATS" (default "none")
// made a list position as above.
int32_t ReadDefaultPageFormatPos();

// ---- Packaging preferences ---------------------------------------------------

// Flags of the component-name text (1..4), the pin-number texts (1..6) and
// the description text (1..10). 0 = off, other values on; the text-size
// flags (name 3, pin number 4, description 3) are entries 0..32 of the text
// size table. Every flag is 0 before the first read.
extern CheckedArray<int32_t> g_PrefCompName;
extern CheckedArray<int32_t> g_PrefPinOut;
extern CheckedArray<int32_t> g_PrefDescription;

// Reads "PREFCOMPNAME", "PREFPINOUT" and "PREFDESCRIPTION": flag k takes
// field k when the value has k fields; a shorter value changes only its
// first flags, extra fields are ignored, and a text-size flag outside 0..32
// or a number too large keeps the flag as it was.
void ReadPackagingPrefs();

// ---- Shortcut palette ---------------------------------------------------------

struct ShortCutRec {
    int32_t Mode = 0;
    int32_t Func = 0;
};

// The palette's functions in key order from index 1; element 0 stays empty.
extern CheckedArray<ShortCutRec> g_ShortCuts;

// Rebuilds g_ShortCuts from the keys "1", "2", ... of "ShortCutsSch" up to
// the first missing key. A value that is empty or has fewer than two fields
// is skipped, and so is one whose mode is not 0..11 or whose function has no
// button in that mode of the tool table (read before the settings).
void ReadShortCuts();
