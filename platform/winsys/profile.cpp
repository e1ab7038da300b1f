#include "platform/winsys/profile.h"

#include "platform/winsys/latin1.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <optional>
#include <unordered_map>

namespace winsys {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string TrimBlanks(const std::string& text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

std::string TrimTrailingBlanks(const std::string& text)
{
    size_t last = text.size();
    while (last > 0 && IsBlank(text[last - 1])) --last;
    return text.substr(0, last);
}

std::string Unquote(const std::string& value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// A settings file's values: per section name (case folded) the keys of the
// first section of that name, per key (case folded) the first value.
using Section = std::unordered_map<QString, std::string>;
using Sections = std::unordered_map<QString, Section>;

// The file's sections; nothing when the file cannot be read.
std::optional<Sections> ParseFile(const std::string& path)
{
    if (path.empty()) return std::nullopt;
    QFile file(ToQ(path));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    const std::string content(bytes.constData(), static_cast<size_t>(bytes.size()));

    Sections sections;
    // The section the lines go into; none before the first header and in a
    // later section of a name already seen.
    Section* current = nullptr;
    size_t start = 0;
    while (start <= content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        const std::string line = TrimBlanks(content.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            const std::string name = TrimBlanks(line.substr(1, close == std::string::npos ? std::string::npos
                                                                                              : close - 1));
            const auto [it, added] = sections.try_emplace(ToQ(name).toCaseFolded());
            current = added ? &it->second : nullptr;
            continue;
        }
        if (!current) continue;
        const size_t equals = line.find('=');
        const std::string name = TrimBlanks(line.substr(0, equals));
        current->try_emplace(ToQ(name).toCaseFolded(),
                             equals == std::string::npos ? std::string() : Unquote(TrimBlanks(line.substr(equals + 1))));
    }
    return sections;
}

// The files parsed while a ProfileBatch lives, by path.
int g_BatchDepth = 0;
std::unordered_map<std::string, std::optional<Sections>> g_BatchFiles;

// The value of the key, or nothing when the file, the section or the key
// is missing.
std::optional<std::string> FindValue(const std::string& path, const std::string& section, const std::string& key)
{
    std::optional<Sections> once;
    const std::optional<Sections>* file = &once;
    if (g_BatchDepth > 0) {
        auto it = g_BatchFiles.find(path);
        if (it == g_BatchFiles.end()) it = g_BatchFiles.emplace(path, ParseFile(path)).first;
        file = &it->second;
    } else {
        once = ParseFile(path);
    }
    if (!*file) return std::nullopt;
    const auto s = (*file)->find(ToQ(section).toCaseFolded());
    if (s == (*file)->end()) return std::nullopt;
    const auto k = s->second.find(ToQ(key).toCaseFolded());
    if (k == s->second.end()) return std::nullopt;
    return k->second;
}

}  // namespace

ProfileBatch::ProfileBatch()
{
    ++g_BatchDepth;
}

ProfileBatch::~ProfileBatch()
{
    if (--g_BatchDepth == 0) g_BatchFiles.clear();
}

std::string ReadProfileString(const std::string& path, const std::string& section, const std::string& key,
                              const std::string& defaultValue)
{
    if (std::optional<std::string> value = FindValue(path, section, key)) return *value;
    return TrimTrailingBlanks(defaultValue);
}

int32_t GetPrivateProfileString(const std::string& section, const std::string& key,
                                const std::string& defaultValue, char* buffer, int32_t size,
                                const std::string& path)
{
    if (!buffer || size < 1) return 0;
    const std::string value = ReadProfileString(path, section, key, defaultValue);
    const size_t count = std::min(value.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, value.data(), count);
    buffer[count] = '\0';
    return static_cast<int32_t>(count);
}

}  // namespace winsys
