// Devices and symbols by name: found in the design, else brought in from the
// library files the settings list (g_DevLibs, g_SchLibs, g_LayLibs below
// g_LibDir), and symbols written back into a library file.
//
// Status arguments: 0 = found or done, 1 = not found or failed; every
// procedure here sets its status itself.
#pragma once

#include <cstdint>
#include <string>

// Which list FindInLibs searches: 0 the part (device) libraries, 1 the
// schematic symbol libraries, any other value the layout symbol (package)
// libraries.
constexpr int32_t kDevLibList = 0;
constexpr int32_t kSchLibList = 1;
constexpr int32_t kLayLibList = 2;

// The kinds of library file the kernel opens.
inline const char* const kDeviceLibKind = "NorvoDLL00";
inline const char* const kSymbolLibKind = "NorvoSLL00";

// Symbol kinds: 0 schematic symbol, 1 layout symbol (package).
constexpr int32_t kSchSymbol = 0;
constexpr int32_t kLaySymbol = 1;

// Ids of what was just loaded from a library, until the caller makes it
// permanent (OM_ChangeId to 0) or loads the next one over it.
constexpr int32_t kTempDeviceId = -1;
constexpr int32_t kTempLaySymbolId = -1;
constexpr int32_t kTempSchSymbolId = -2;

// Makes a part (kTempDeviceId) or schematic symbol (kTempSchSymbolId) just
// loaded from a library permanent: `id` gets its new id. Any other id is
// already permanent and stays. False, with message 13 (part) or 12
// (symbol) naming `name`, when the kernel refuses.
bool KeepTemporaryEntry(int32_t& id, const std::string& name);

// The full path of the library FindInLibs tried last, the library it left
// open when it found the name, and the read handle of the entry found.
extern std::string g_LibPath;
extern int32_t g_OpenLib;
extern int32_t g_OpenLibEntry;

// Searches the design's device map by name (exact, case-sensitive).
void FindDeviceByName(int32_t& status, int32_t& id, const std::string& name);
// Searches the design's symbol map by name: kind 0 schematic symbols only,
// kind 1 layout symbols only, any other kind every symbol.
void FindSymbByName(int32_t& status, int32_t kind, int32_t& id, const std::string& name);

// Looks for the entry `name` in the libraries of list `listKind`, in list
// order. The first library holding it stays open (g_OpenLib, g_OpenLibEntry)
// for the caller to load from and close; `libPath` and `index` tell which
// one it was. Libraries that are missing, damaged, of another kind or
// without the entry are passed over.
void FindInLibs(int32_t& status, int32_t listKind, const std::string& name, std::string& libPath, int32_t& index);

// A device by name: from the design (libName = "Local library"), else
// loaded from the part libraries under the temporary id -1 and named
// `name` without leading and trailing blanks (libName = the library's
// path, index its place in the list).
void GetDevice(int32_t& status, const std::string& name, int32_t& id, std::string& libName, int32_t& index);
// The same for a symbol of `kind`: the schematic symbol libraries and
// temporary id -2 for kind 0, the package libraries and -1 for kind 1.
void GetSymb(int32_t& status, int32_t kind, const std::string& name, int32_t& id, std::string& libName,
             int32_t& index);

// Loads the entry `name` of one library file as device (symbol) `id`
// (0 = the lowest free id), replacing an object that has that id; `id`
// receives the id loaded. The file and the entry are checked, and the entry
// is loaded, before an object it replaces is deleted: a failure leaves the
// design as it was.
void LoadDeviceFromLib(int32_t& status, int32_t& id, const std::string& libPath, const std::string& name);
void LoadSymbFromLib(int32_t& status, int32_t& id, const std::string& libPath, const std::string& name);

// Writes symbol `symbol` into the library file as entry `entryName`,
// replacing an entry of that name; a missing file becomes a new library.
// The symbol and the name are checked before the file is touched, and a
// file this call created is removed again when the write fails.
void SaveSymbToLib(int32_t& status, const std::string& libPath, int32_t symbol, const std::string& entryName);

// A library path as the file system knows it: normalised, its name matched
// without regard to case when the exact name does not exist.
std::string LibraryFilePath(const std::string& path);
