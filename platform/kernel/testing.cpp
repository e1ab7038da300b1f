// Test-only fault injection (testing.h).
#include "platform/kernel/testing.h"

#include "platform/kernel/image_store.h"

#include <string>

namespace {
std::string g_RefusedName;
int32_t g_CallsLeft = 0;    // calls until the first refusal, 0 = off
int32_t g_RefusalsLeft = 0;  // refusals from there, -1 = no end
}  // namespace

void KT_FailCall(const char* name, int32_t n, int32_t times) noexcept
{
    g_RefusalsLeft = times;
    try {
        g_RefusedName = name ? name : "";
    } catch (...) {
        g_RefusedName.clear();
    }
    g_CallsLeft = n > 0 && times != 0 && !g_RefusedName.empty() ? n : 0;
}

void KT_FailJunctionCreation(int32_t n) noexcept
{
    KT_FailCall("J_CreateJunction", n);
}

namespace kernel_testing {
bool RefusalArmed() noexcept
{
    return g_CallsLeft != 0;
}

bool RefuseCall(std::string_view bareName) noexcept
{
    if (g_CallsLeft == 0 || bareName != g_RefusedName) return false;
    if (g_CallsLeft > 1) {
        --g_CallsLeft;
        return false;
    }
    // This call and the next g_RefusalsLeft - 1 are refused.
    if (g_RefusalsLeft > 0 && --g_RefusalsLeft == 0) g_CallsLeft = 0;
    return true;
}
}  // namespace kernel_testing

int32_t KT_ResealFile(const char* path) noexcept
{
    using namespace kernel::image;
    return Run(0, [&]() -> int32_t {
        if (!path) Fail("no file name");
        Connection db;
        const std::string kind = OpenChecked(db, path, true);
        const auto& tables = kind == kDesignKind ? DesignTables() : LibraryTables();
        db.Exec("BEGIN IMMEDIATE");
        UpdateChecksum(db, ComputeChecksum(db, kind, tables));
        db.Exec("COMMIT");
        return 1;
    });
}
