// The open design database as a whole.
#include "platform/kernel/nvokernel32.h"

#include <optional>
#include <string>

namespace {

struct Database {
    std::string name;
    std::string hierName;
    std::string pageName;
};

std::optional<Database>& Open()
{
    static std::optional<Database> db;
    return db;
}

}  // namespace

int32_t DB_CreateDataBase(const char* name, const char* hierName, const char* pageName) noexcept
{
    try {
        Open() = Database{name ? name : "", hierName ? hierName : "", pageName ? pageName : ""};
        return 1;
    } catch (...) {
        return 0;
    }
}

void DB_DiscardDataBase() noexcept
{
    Open().reset();
}
