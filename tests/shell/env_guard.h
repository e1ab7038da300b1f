// Sets environment variables for the length of a test and puts the old
// values back afterwards.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace palvane_test {

class EnvGuard {
public:
    EnvGuard() = default;
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;
    ~EnvGuard()
    {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second)
                setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                unsetenv(it->first.c_str());
        }
    }

    // Sets `name`; an empty optional unsets it.
    void Set(const std::string& name, std::optional<std::string> value)
    {
        const char* old = std::getenv(name.c_str());
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }

    // The user's locale: LC_ALL and LC_MESSAGES unset, LANG as given.
    void Locale(std::optional<std::string> lang)
    {
        Set("LC_ALL", std::nullopt);
        Set("LC_MESSAGES", std::nullopt);
        Set("LANG", std::move(lang));
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace palvane_test
