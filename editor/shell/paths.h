// Paths. The editor's procedures join folders and names with "\" and read
// folders from settings written for another system; this is the one place
// that turns such paths into Linux paths, gives the Linux directory
// defaults, and finds a file whose name's case differs. Paths are Latin-1
// text like every text of the editor; NativePath gives the bytes the file
// system expects.
#pragma once

#include <string>

// Joins `folder` and `name` with one separator and normalises the result.
std::string JoinPath(const std::string& folder, const std::string& name);

// A path as Linux writes it: "\" becomes "/", doubled separators and "."
// parts go, "x/.." parts are resolved (never above the root; a relative
// path keeps leading ".."), no trailing separator except for the root.
std::string NormalizePath(const std::string& path);

// The installation's data folder: the one given by SetDataDir (the host's
// SeverPath), else "data" beside the library's own folder.
std::string DataDir();
void SetDataDir(const std::string& folder);
// The user's home folder ($HOME, else the account's entry).
std::string HomeDir();
// The user's own files: $XDG_CONFIG_HOME/norvo32 (else ~/.config/norvo32)
// and $XDG_DATA_HOME/norvo32 (else ~/.local/share/norvo32).
std::string UserConfigDir();
std::string UserDataDir();

enum class DirBase { Data, Home, UserData };
// A folder setting made a Linux folder: empty gives the base folder; "~"
// and "~/..." are in the home folder; an absolute path stays; a relative
// one is taken from the base folder. A drive letter ("C:") is dropped and
// the rest taken from the base folder.
std::string ResolveDir(const std::string& setting, DirBase base);

// The path of an existing file or folder whose name matches `path` without
// regard to case, each part of the path in turn; the exact name wins, else
// the first match in name order. `path` itself when nothing matches.
std::string FindPathNoCase(const std::string& path);
bool PathExistsNoCase(const std::string& path);

// The bytes of `path` as the file system stores names (UTF-8 here), for
// calls that take a C string path.
std::string NativePath(const std::string& path);
