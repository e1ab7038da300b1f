#include "tests/tools/library_entries.h"

#include "platform/kernel/nvokernel32.h"

namespace palvane_test {

std::vector<std::string> EntryNames(int32_t lib)
{
    std::vector<std::string> names;
    for (int32_t i = 0; const char* name = E_GetLibDirName(lib, i); ++i) names.push_back(name);
    return names;
}

}  // namespace palvane_test
