// Text files and file objects.
//
// Text files on disk are read and written line by line (block files, the
// menu profile, component lists) through procedures that never raise an
// error: they return a status (0 done, 1 failed) and show the user one
// standard message naming the file.
//
// File objects live in the current level's file map of the kernel: the
// hierarchy stack HIERSTCK, which remembers through which component the user
// went down into a sub-sheet, and the numbered scratch objects that other
// procedures leave behind. A file object is replaced by writing the new
// content under a name of its own first and putting it in the old one's
// place only when all of it is written: a failed write leaves the old object
// as it was.
#pragma once

#include "editor/shell/checked_array.h"

#include <cstdint>
#include <string>
#include <vector>

// The file being read or written line by line; the read and write error
// messages name it.
extern std::string g_CurFileName;

void OpenTextFileIn(int32_t& status, int32_t& fileNumber, const std::string& path);
// Opens a new file for `path`: the lines go to a temporary file in the same
// folder, which takes the name `path` only when CloseTextFile keeps it (or
// CommitTextFile commits it). Until then an existing file at `path` stays
// as it was; a file closed with the delete flag leaves it so.
void OpenTextFileOut(int32_t& status, int32_t& fileNumber, const std::string& path);
// The next line without its line end (CR LF, LF or CR). Reading past the
// end is an error like any other.
void ReadTextLine(int32_t& status, int32_t fileNumber, std::string& line);
// Writes the line and CR LF.
void WriteTextLine(int32_t& status, int32_t fileNumber, const std::string& line);
// Closes the file and deletes it when `deleteFile` is nonzero; reports
// nothing. For a file opened for output, "delete" drops what was written
// and leaves `path` untouched; otherwise the written file takes the place
// of `path` (as CommitTextFile, without its status).
void CloseTextFile(int32_t deleteFile, int32_t fileNumber, const std::string& path);
// Closes a file opened for output and puts it in the place of `path`, on
// the disk (flushed) before it takes the name: status 0 when `path` now
// holds all of it; 1 with `path` as it was and no temporary file left.
// A file opened for input is simply closed (status 0).
void CommitTextFile(int32_t& status, int32_t fileNumber, const std::string& path);
void ReportReadError(const std::string& path);
void ReportWriteError(const std::string& path);

// One record of the hierarchy stack: the component through which the user
// went down and the name of the level that was current then (15
// characters, padded with blanks).
struct HierStackRec {
    int32_t Id = 0;
    std::string Name = std::string(15, ' ');
};
constexpr int kHierStackRecSize = 19;
constexpr const char* kHierStackName = "HIERSTCK";

// g_HierStack(0) the current level, (1..n) the records of HIERSTCK, (1) the
// top; g_HierStackRec the record last taken off.
extern CheckedArray<HierStackRec> g_HierStack;
extern HierStackRec g_HierStackRec;

void LoadHierStack();
// Pushes a record for `componentId` and the current level; status 0 done.
void PushHierStack(int32_t& status, int32_t componentId);
// Takes the top record off into g_HierStackRec; status 0 done (also for an
// empty stack, which gives id 0 and a blank name).
void PopHierStack(int32_t& status);
// The stored bytes of the current level's HIERSTCK; empty when there is
// none.
std::string HierStackBytes();
// Makes `level` current for a descent or an ascent: the file map holding
// HIERSTCK belongs to a level, so the stack of the level left (as the push
// or pop just wrote it) is written into the level entered, where the next
// step up reads it. 1 done; 0 when the level cannot be entered or the stack
// cannot be written there, the level left then current as before.
int32_t EnterLevelWithHierStack(int32_t level);

// The name of a scratch object: prefix, the hierarchy id in two digits
// (last two), the number ("!SEX" + 1 + 0 -> "!SEX010").
std::string TempFileObjectName(const std::string& prefix, int32_t number, int32_t hierarchy);
// Deletes the eight scratch objects of that number and hierarchy.
void DeleteTempFileObjects(int32_t number, int32_t hierarchy);
// The same for each of `numbers` in turn, the file map walked once.
void DeleteTempFileObjects(const std::vector<int32_t>& numbers, int32_t hierarchy);

// Replaces the file object `name` of the current level with `content`:
// status 0 when all of it is written and in place; 1 with the old object
// (or its absence) untouched.
void WriteFileObject(int32_t& status, const std::string& name, const std::string& content);

namespace testing_hooks {
// Makes every file-object write stop after `bytes` more bytes, as a full
// store would; -1 (the default) switches that off.
void LimitFileObjectWrites(int64_t bytes);
// Makes the text-file writes fail once `bytes` more bytes are written, as a
// full disk would; -1 (the default) switches that off.
void LimitTextFileWrites(int64_t bytes);
}  // namespace testing_hooks
