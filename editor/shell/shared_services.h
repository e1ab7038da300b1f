// Services several parts of the editor share: the grid name of a pin of a
// package whose pins stand on a grid, an entry found by name, the wait for
// a modeless dialog, the printer test, the clearing of a picture box and
// the program folder.
#pragma once

#include "editor/shell/checked_array.h"

#include <cstdint>
#include <string>

class Canvas;
class Form;
struct EntryRec;

// The entry's grid name on a package ("B3": the row's label and the column),
// or the entry number as text when the package has no usable grid
// description or the pin lies outside it. Kind 1: `id` is a layout
// component; otherwise a symbol.
std::string GetGridPinName(int32_t kind, int32_t id, int32_t entry);
// The grid description of a package symbol (its first text item, "x,
// columns, row label, row label ..."): true with the columns and the labels
// (1..rows) when it has at least three fields.
bool ReadGridPinLabels(int32_t symbol, int32_t& columns, CheckedArray<std::string>& labels);
// The column and row steps of the symbol's entries: the smallest non-zero
// distance of an entry from the box's left and top edges. box: left,
// bottom, right, top; step: column, row.
void MinEntryOffsets(int32_t symbol, const int32_t box[4], int32_t step[2]);
// The comma splitting of SplitFields into the caller's arrays.
void SplitFieldsTo(const std::string& text, CheckedArray<double>& numbers, CheckedArray<std::string>& fields);
// The number of the entry whose name is `name` (both trimmed, compared
// exactly), with its record; 0 when there is none. Kind 1: a schematic
// component's entries; otherwise a symbol's.
int32_t FindEntryByName(int32_t kind, int32_t id, const std::string& name, EntryRec& record);

// Sets the flag and lets the user interface run until something clears it,
// or until `dialog` (when given) is no longer shown - closed some other way
// than by its own buttons; the flag is False when it returns.
void WaitForFlag(bool& flag, const Form* dialog = nullptr);

// True when there is a printer to print on: the system default printer or
// an output file set for the printer.
bool HasPrinter();
// Clears the picture box in plain pixels (the kernel's mapping stays).
void ClearPictureBox(Canvas& box);

// g_ProgDir = g_SeverPath, trimmed.
void InitProgDir();
