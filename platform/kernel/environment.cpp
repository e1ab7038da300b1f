// Environment strings: named texts shared by every application of the suite
// that works on the open design. They belong to the running kernel, not to
// the design, so creating or discarding a database keeps them.
#include "platform/kernel/database.h"
#include "platform/kernel/nvokernel32.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace {

// Each value lives in its own heap block, so the address handed out for one
// name stays valid while other names are added; it changes only when that
// name's value is set again.
std::map<std::string, std::unique_ptr<std::string>>& Environment()
{
    static std::map<std::string, std::unique_ptr<std::string>> env;
    return env;
}

}  // namespace

const char* E_GetString(const char* name) noexcept
{
    if (!name) return nullptr;
    try {
        auto& env = Environment();
        auto it = env.find(name);
        return it == env.end() ? nullptr : it->second->c_str();
    } catch (...) {
        return nullptr;
    }
}

int32_t E_SetString(const char* name, const char* value) noexcept
{
    if (!name || !*name) return 0;
    try {
        Environment()[name] = std::make_unique<std::string>(value ? value : "");
        if (std::string_view(name) == "KernelFaultForTests") kernel::SetFaultTarget(value);
        return 1;
    } catch (...) {
        return 0;
    }
}
