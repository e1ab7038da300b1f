#include "editor/shell/binding.h"

#include <dlfcn.h>

#include <filesystem>
#include <map>
#include <mutex>

namespace binding {

BindError::BindError(int number, std::string library, std::string function, const std::string& detail)
    : RuntimeError(number, detail), library_(std::move(library)), function_(std::move(function))
{
}

namespace {

struct OpenLibrary {
    void* handle = nullptr;
    int opens = 0;
};

std::mutex g_mutex;

std::map<std::string, OpenLibrary>& Libraries()
{
    static std::map<std::string, OpenLibrary> libs;
    return libs;
}

// The folder of the module that holds this code (libPalvane): the platform
// libraries are built and installed beside it, in build/lib.
std::filesystem::path OwnFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&OwnFolder), &info) && info.dli_fname)
        return std::filesystem::path(info.dli_fname).parent_path();
    return {};
}

void* OpenOnce(const std::string& library)
{
    OpenLibrary& lib = Libraries()[library];
    if (lib.handle) return lib.handle;
    std::string error;
    const std::filesystem::path own = OwnFolder();
    for (const auto& candidate : {own / library, own / ".." / "lib" / library}) {
        if (lib.handle || !std::filesystem::exists(candidate)) continue;
        lib.handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!lib.handle) error = dlerror();
    }
    if (!lib.handle) {
        lib.handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!lib.handle && error.empty()) error = dlerror();
    }
    if (!lib.handle)
        throw BindError(53, library, {}, "Cannot load library " + library + ": " + error);
    ++lib.opens;
    return lib.handle;
}

}  // namespace

void* Resolve(const char* library, const char* function)
{
    std::lock_guard lock(g_mutex);
    void* handle = OpenOnce(library);
    dlerror();
    void* address = dlsym(handle, function);
    if (!address)
        throw BindError(453, library, function,
                        std::string("Function ") + function + " not found in library " + library);
    return address;
}

int OpenCount(const char* library)
{
    std::lock_guard lock(g_mutex);
    auto it = Libraries().find(library);
    return it == Libraries().end() ? 0 : it->second.opens;
}

}  // namespace binding
