// Message catalogue lookup.
//
// The catalogue of a language is the text file lang/<language>.txt in the
// installation's data folder: one message a line, its decimal id, a tab and
// the text, in Latin-1; lines that are empty or start with "#" are comments.
// The language is the user's (LC_ALL, LC_MESSAGES or LANG: "de_DE.UTF-8"
// gives "de_DE", then "de"). Without a catalogue every id answers "no text"
// and the editor shows its English defaults.
//
// The data folder is PALVANE_DATA_DIR when set, else "data" beside the
// folder this library was loaded from (build/lib/../data, an installation's
// lib/../data).
// The catalogue is read on first use and again whenever the language or the
// data folder changes.
#include "platform/localisation/nvolocal32.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <string>

namespace {

struct Catalogue {
    std::string language;  // the locale it was read for
    std::string dataDir;   // the data folder it was looked for in
    bool loaded = false;
    std::map<int32_t, std::string> texts;
};

std::mutex g_mutex;
Catalogue g_catalogue;

bool IsDirectory(const std::string& path)
{
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The folder this library was loaded from; empty when the loader cannot
// tell. It does not change while the library is loaded.
std::string LibraryFolder()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<const void*>(&L32_Object_GetMessage), &info) || !info.dli_fname) return {};
    const std::string library = info.dli_fname;
    const size_t slash = library.rfind('/');
    return slash == std::string::npos ? std::string(".") : library.substr(0, slash);
}

std::string DataDir()
{
    if (const char* configured = std::getenv("PALVANE_DATA_DIR"); configured && *configured) return configured;
    // The folder beside the library is looked for once: every message
    // lookup asks for it, and the installation does not move while the
    // library is loaded.
    static const std::string besideLibrary = [] {
        const std::string libraryFolder = LibraryFolder();
        if (libraryFolder.empty()) return std::string();
        const std::string data = libraryFolder + "/../data";
        return IsDirectory(data) ? data : std::string();
    }();
    return besideLibrary;
}

std::string UserLocale()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return value;
    }
    return {};
}

// Reads one catalogue file; false when it cannot be opened. Lines that are
// not "id<TAB>text" are skipped with a note on standard error.
bool ReadCatalogue(const std::string& path, std::map<int32_t, std::string>& texts)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const size_t tab = line.find('\t');
        bool valid = tab != std::string::npos && tab > 0;
        size_t i = 0;
        if (valid && line[0] == '-') ++i;
        valid = valid && i < tab;
        for (size_t j = i; valid && j < tab; ++j) valid = std::isdigit(static_cast<unsigned char>(line[j])) != 0;
        long long id = 0;
        if (valid) {
            id = std::strtoll(line.substr(0, tab).c_str(), nullptr, 10);
            valid = id >= INT32_MIN && id <= INT32_MAX;
        }
        if (!valid) {
            std::fprintf(stderr, "NVOLOCAL32: %s:%d: not a message line (id, tab, text); skipped\n", path.c_str(),
                         number);
            continue;
        }
        // An empty translation would show nothing; the English default stays.
        if (tab + 1 < line.size()) texts[static_cast<int32_t>(id)] = line.substr(tab + 1);
    }
    return true;
}

void Load(Catalogue& catalogue, const std::string& locale, const std::string& dataDir)
{
    catalogue.language = locale;
    catalogue.dataDir = dataDir;
    catalogue.loaded = true;
    catalogue.texts.clear();
    // "de_DE.UTF-8@euro": the base "de_DE", then the language "de".
    const std::string base = locale.substr(0, locale.find_first_of(".@"));
    if (base.empty() || base == "C" || base == "POSIX" || dataDir.empty()) return;
    const std::string language = base.substr(0, base.find('_'));
    for (const std::string& name : {base, language}) {
        if (name.empty()) continue;
        if (ReadCatalogue(dataDir + "/lang/" + name + ".txt", catalogue.texts)) return;
    }
}

}  // namespace

const char* L32_Object_GetMessage(int32_t id) noexcept
{
    try {
        std::lock_guard<std::mutex> lock(g_mutex);
        const std::string locale = UserLocale();
        const std::string dataDir = DataDir();
        if (!g_catalogue.loaded || g_catalogue.language != locale || g_catalogue.dataDir != dataDir)
            Load(g_catalogue, locale, dataDir);
        const auto found = g_catalogue.texts.find(id);
        return found == g_catalogue.texts.end() ? nullptr : found->second.c_str();
    } catch (...) {
        return nullptr;
    }
}
