#include "platform/winsys/profile.h"

#include "platform/winsys/latin1.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <optional>

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

bool SameName(const std::string& a, const std::string& b)
{
    return ToQ(a).compare(ToQ(b), Qt::CaseInsensitive) == 0;
}

std::string Unquote(const std::string& value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The value of the key, or nothing when the file, the section or the key
// is missing.
std::optional<std::string> FindValue(const std::string& path, const std::string& section, const std::string& key)
{
    if (path.empty()) return std::nullopt;
    QFile file(ToQ(path));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    const std::string content(bytes.constData(), static_cast<size_t>(bytes.size()));

    enum class State { BeforeSection, InOtherSection, InSection, AfterSection } state = State::BeforeSection;
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
            if (state == State::InSection) {
                // Only the first section of the name counts.
                state = State::AfterSection;
            } else if (state != State::AfterSection) {
                state = SameName(name, section) ? State::InSection : State::InOtherSection;
            }
            continue;
        }
        if (state != State::InSection) continue;
        const size_t equals = line.find('=');
        const std::string name = TrimBlanks(line.substr(0, equals));
        if (!SameName(name, key)) continue;
        if (equals == std::string::npos) return std::string();
        return Unquote(TrimBlanks(line.substr(equals + 1)));
    }
    return std::nullopt;
}

}  // namespace

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
