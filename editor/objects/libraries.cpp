#include "editor/objects/libraries.h"

#include "editor/shell/msgtext.h"
#include "editor/shell/paths.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/settings.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/latin1.h"

#include <QFile>
#include <QFileInfo>
#include <QString>

std::string g_LibPath;
int32_t g_OpenLib = 0;
int32_t g_OpenLibEntry = 0;

namespace {

// The longest name the kernel takes for an object or a library entry.
constexpr size_t kMaxKernelName = 255;

bool ValidEntryName(const std::string& name)
{
    return !name.empty() && name.size() <= kMaxKernelName;
}

// What tells a device from a symbol for the loaders: the library kind, the
// kernel's load call, the map and the handle of an id.
struct LibObjectKind {
    const char* libKind;
    int32_t (*load)(int32_t id, int32_t entry);
    int32_t (*map)();
    int32_t (*handle)(int32_t id);
};

const LibObjectKind kDeviceKind{kDeviceLibKind, D_LoadDevice, DB_DeviceMap, D_Device};
const LibObjectKind kSymbolKind{kSymbolLibKind, S_LoadSymbol, DB_SymbMap, S_Symbol};

// Loads the selected entry as object `id`. An object that already has the
// id goes only once the entry has been loaded beside it under a free id, so
// a refused load leaves it in place; the entry is then loaded once more
// under the id it is to have (the kernel gives no negative id to an object
// that exists).
int32_t LoadReplacing(const LibObjectKind& kind, int32_t id, int32_t entry)
{
    if (id == 0 || kind.handle(id) == 0) return kind.load(id, entry);
    const int32_t trial = kind.load(0, entry);
    if (trial == 0) return 0;
    const int32_t map = kind.map();
    OM_Delete(map, trial);
    OM_Delete(map, id);
    return kind.load(id, entry);
}

void LoadFromLib(const LibObjectKind& kind, int32_t& status, int32_t& id, const std::string& libPath,
                 const std::string& name)
{
    status = 1;
    if (!ValidEntryName(name)) return;
    const int32_t library = E_OpenLibrary(NativePath(LibraryFilePath(libPath)).c_str(), kind.libKind, 0);
    if (library <= 0) return;
    auto close = OnExit([library] { E_CloseLibrary(library); });
    const int32_t entry = E_OpenLibToRead(library, name.c_str());
    if (entry <= 0) return;
    const int32_t loaded = LoadReplacing(kind, id, entry);
    if (loaded == 0) return;
    id = loaded;
    status = 0;
    O_Rename(kind.handle(id), Trim(name).c_str());
}

// GetDevice and GetSymb after the design's own search failed: the entry
// from the libraries of `listKind`, loaded under `tempId` over a leftover
// of an earlier load.
void LoadTemporary(const LibObjectKind& kind, int32_t& status, int32_t listKind, int32_t tempId,
                   const std::string& name, int32_t& id, std::string& libName, int32_t& index)
{
    FindInLibs(status, listKind, name, libName, index);
    if (status != 0) return;
    const int32_t library = g_OpenLib;
    auto close = OnExit([library] { E_CloseLibrary(library); });
    id = LoadReplacing(kind, tempId, g_OpenLibEntry);
    if (id == 0) {
        status = 1;
        return;
    }
    O_Rename(kind.handle(id), Trim(name).c_str());
}

std::string LocalLibraryName()
{
    return GetMsgText("Local library", "99852 ");
}

}  // namespace

std::string LibraryFilePath(const std::string& path)
{
    return FindPathNoCase(NormalizePath(path));
}

void FindDeviceByName(int32_t& status, int32_t& id, const std::string& name)
{
    status = 1;
    const int32_t map = DB_DeviceMap();
    int32_t cursor = OM_GetFirst(map);
    for (;;) {
        const int32_t found = OM_SearchName(map, &cursor, name.c_str());
        if (found == 0) return;
        if (found > 0) {
            id = found;
            status = 0;
            return;
        }
    }
}

void FindSymbByName(int32_t& status, int32_t kind, int32_t& id, const std::string& name)
{
    status = 1;
    int32_t value = 0;
    int32_t mask = 0;
    if (kind == kSchSymbol) {
        value = 1;
        mask = 3;
    } else if (kind == kLaySymbol) {
        value = 2;
        mask = 2;
    }
    const int32_t map = DB_SymbMap();
    int32_t cursor = OM_GetFirst(map);
    for (;;) {
        const int32_t found = OM_SearchNameMask(map, &cursor, name.c_str(), value, mask);
        if (found == 0) return;
        if (found > 0) {
            id = found;
            status = 0;
            return;
        }
    }
}

void FindInLibs(int32_t& status, int32_t listKind, const std::string& name, std::string& libPath, int32_t& index)
{
    status = 1;
    const CheckedArray<std::string>& list = listKind == kDevLibList   ? g_DevLibs
                                            : listKind == kSchLibList ? g_SchLibs
                                                                      : g_LayLibs;
    const char* libKind = listKind == kDevLibList ? kDeviceLibKind : kSymbolLibKind;
    const std::string folder = ResolveDir(g_LibDir, DirBase::Data);
    for (long i = 1; i <= list.UBound(); ++i) {
        g_LibPath = LibraryFilePath(JoinPath(folder, list(i)));
        const int32_t library = E_OpenLibrary(NativePath(g_LibPath).c_str(), libKind, 0);
        if (library <= 0) continue;
        const int32_t entry = E_OpenLibToRead(library, name.c_str());
        if (entry > 0) {
            status = 0;
            libPath = g_LibPath;
            index = static_cast<int32_t>(i);
            g_OpenLib = library;
            g_OpenLibEntry = entry;
            return;
        }
        E_CloseLibrary(library);
    }
}

void GetDevice(int32_t& status, const std::string& name, int32_t& id, std::string& libName, int32_t& index)
{
    id = 0;
    libName.clear();
    FindDeviceByName(status, id, name);
    if (status == 0) {
        libName = LocalLibraryName();
        return;
    }
    LoadTemporary(kDeviceKind, status, kDevLibList, kTempDeviceId, name, id, libName, index);
}

void GetSymb(int32_t& status, int32_t kind, const std::string& name, int32_t& id, std::string& libName,
             int32_t& index)
{
    id = 0;
    libName.clear();
    FindSymbByName(status, kind, id, name);
    if (status == 0) {
        libName = LocalLibraryName();
        return;
    }
    const int32_t tempId = kind == kLaySymbol ? kTempLaySymbolId : kTempSchSymbolId;
    LoadTemporary(kSymbolKind, status, kind + 1, tempId, name, id, libName, index);
}

void LoadDeviceFromLib(int32_t& status, int32_t& id, const std::string& libPath, const std::string& name)
{
    LoadFromLib(kDeviceKind, status, id, libPath, name);
}

void LoadSymbFromLib(int32_t& status, int32_t& id, const std::string& libPath, const std::string& name)
{
    LoadFromLib(kSymbolKind, status, id, libPath, name);
}

void SaveSymbToLib(int32_t& status, const std::string& libPath, int32_t symbol, const std::string& entryName)
{
    status = 1;
    if (!ValidEntryName(entryName) || S_Symbol(symbol) == 0) return;
    const std::string path = LibraryFilePath(libPath);
    const QString file = ToQ(path);
    const bool existed = QFileInfo::exists(file);
    const int32_t library = E_OpenLibrary(NativePath(path).c_str(), kSymbolLibKind, -1);
    if (library <= 0) return;
    int32_t written = 0;
    const int32_t entry = E_OpenLibToWrite(library, entryName.c_str());
    if (entry > 0) {
        written = S_SaveSymbol(symbol, entry);
        E_CloseLibWrite(library);
    }
    E_CloseLibrary(library);
    if (written != 0)
        status = 0;
    else if (!existed)
        QFile::remove(file);
}

bool KeepTemporaryEntry(int32_t& id, const std::string& name)
{
    const bool device = id == kTempDeviceId;
    if (!device && id != kTempSchSymbolId) return true;
    const int32_t kept = OM_ChangeId(device ? DB_DeviceMap() : DB_SymbMap(), id, 0);
    if (kept == 0) {
        std::string detail = name;
        ReportMsg(device ? 13 : 12, detail);
        return false;
    }
    id = kept;
    return true;
}
