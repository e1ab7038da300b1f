#include "editor/shell/paths.h"

#include "editor/shell/textnum.h"
#include "platform/winsys/latin1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdlib>
#include <dlfcn.h>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

std::string g_dataDir;

std::vector<std::string> SplitParts(const std::string& path)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '/') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

std::string EnvOr(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : fallback;
}

bool HasDriveLetter(const std::string& path)
{
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

bool Exists(const std::string& path)
{
    return QFileInfo::exists(ToQ(path));
}

}  // namespace

std::string NormalizePath(const std::string& path)
{
    // The legacy separator first; Qt does the rest ("." and ".." parts,
    // repeated and trailing separators).
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    if (p.empty()) return p;
    std::string clean = FromQ(QDir::cleanPath(ToQ(p)));
    // Above the root is the root (Qt keeps the "..").
    while (clean.rfind("/..", 0) == 0 && (clean.size() == 3 || clean[3] == '/'))
        clean = clean.size() == 3 ? "/" : clean.substr(3);
    return clean;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    std::string n = name;
    std::replace(n.begin(), n.end(), '\\', '/');
    while (!n.empty() && n.front() == '/') n.erase(n.begin());
    if (folder.empty()) return NormalizePath(n);
    if (n.empty()) return NormalizePath(folder);
    return NormalizePath(folder + "/" + n);
}

void SetDataDir(const std::string& folder)
{
    g_dataDir = folder;
}

std::string DataDir()
{
    if (const std::string folder = Trim(g_dataDir); !folder.empty()) return NormalizePath(folder);
    // The library's own folder is build/lib or an installation's lib; the
    // data folder stands beside it.
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&DataDir), &info) && info.dli_fname) {
        const QFileInfo library(QFile::decodeName(info.dli_fname));
        const QString data = library.absolutePath() + "/../data";
        if (QFileInfo(data).isDir()) return NormalizePath(FromQ(QDir(data).absolutePath()));
    }
    return {};
}

std::string HomeDir()
{
    const char* home = std::getenv("HOME");
    if (home && *home) return NormalizePath(home);
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return NormalizePath(entry->pw_dir);
    return "/";
}

std::string UserConfigDir()
{
    return JoinPath(EnvOr("XDG_CONFIG_HOME", JoinPath(HomeDir(), ".config")), "norvo32");
}

std::string UserDataDir()
{
    return JoinPath(EnvOr("XDG_DATA_HOME", JoinPath(HomeDir(), ".local/share")), "norvo32");
}

std::string ResolveDir(const std::string& setting, DirBase base)
{
    std::string baseDir;
    switch (base) {
    case DirBase::Data: baseDir = DataDir(); break;
    case DirBase::Home: baseDir = HomeDir(); break;
    case DirBase::UserData: baseDir = UserDataDir(); break;
    }
    std::string s = Trim(setting);
    if (s.empty()) return baseDir;
    std::replace(s.begin(), s.end(), '\\', '/');
    if (HasDriveLetter(s)) return JoinPath(baseDir, s.substr(2));
    if (s == "~") return HomeDir();
    if (s.rfind("~/", 0) == 0) return JoinPath(HomeDir(), s.substr(2));
    if (s.front() == '/') return NormalizePath(s);
    return JoinPath(baseDir, s);
}

std::string FindPathNoCase(const std::string& path)
{
    const std::string normal = NormalizePath(path);
    if (normal.empty() || Exists(normal)) return normal.empty() ? path : normal;
    const bool absolute = normal.front() == '/';
    std::string found = absolute ? "/" : "";
    for (const std::string& part : SplitParts(normal)) {
        const std::string exact = found.empty() ? part : JoinPath(found, part);
        if (part == ".." || Exists(exact)) {
            found = exact;
            continue;
        }
        QDir dir(found.empty() ? QStringLiteral(".") : ToQ(found));
        QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                          QDir::Name);
        const QString wanted = ToQ(part);
        auto match = std::find_if(names.begin(), names.end(), [&](const QString& name) {
            return name.compare(wanted, Qt::CaseInsensitive) == 0;
        });
        if (match == names.end()) return path;
        found = found.empty() ? FromQ(*match) : JoinPath(found, FromQ(*match));
    }
    return found;
}

bool PathExistsNoCase(const std::string& path)
{
    return Exists(FindPathNoCase(path));
}

std::string NativePath(const std::string& path)
{
    const QByteArray bytes = QFile::encodeName(ToQ(path));
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}
