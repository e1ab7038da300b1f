// The host's design file: opened into the kernel at start, written back
// when the editor has shut down.
#pragma once

#include <string>
#include <vector>

// Makes a new empty design in the kernel: the design "Untitled" with its
// hierarchy "MAINHIER" and one page "MAINPAGE". False when the kernel
// cannot make it.
bool NewDesign();

// Opens `path` as the design: an existing file is loaded with the kernel's
// DB_LoadDataBase (refused files give false and the kernel's reason in
// `error`; nothing is written and no database is made), a missing file
// gives a new empty design.
bool OpenDesignFile(const std::string& path, std::string& error);

// The file a save of `path` writes: `path` itself, or the file a symbolic
// link at `path` points to (followed through chains of links).
std::string WriteTarget(const std::string& path);

// Whether a design can be saved at `path` (through a link, at its target):
// its folder exists and takes new files; an existing target is a regular
// file the user may write, and then its "<target>.bak", which the save
// replaces, is not a directory and, when it exists, may be written too.
// False with the reason (naming the file) in `error`. Nothing is written.
bool CheckWritable(const std::string& path, std::string& error);

// Writes the open design to `path` (a symbolic link: to its target, the
// link stays): an existing file is first kept as
// "<path>.bak" (a complete copy, put in place by rename), then the design is
// written with the kernel's atomic DB_SaveDataBase, so `path` is always
// either the previous file or the complete new one. False with `error` set
// when either step fails; `path` is then as it was.
bool SaveDesignFile(const std::string& path, std::string& error);

// Writes the open design, whose file `path` could not be saved, to a new
// file in the first of `folders` that takes it (a folder missing is made):
// "<name of path>.unsaved.nvd", else ".unsaved-2.nvd", "-3" and so on, never
// over an existing file (a name too long for that is cut). True with the file written in `written`; false
// when no folder takes it, with each folder's reason in `error`.
bool RescueDesign(const std::string& path, const std::vector<std::string>& folders, std::string& written,
                  std::string& error);
