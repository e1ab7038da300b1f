// Test-only fault injection (testing.h).
#include "platform/kernel/testing.h"

#include "platform/kernel/database.h"
#include "platform/kernel/image_store.h"
#include "platform/kernel/nvokernel32.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {
std::string g_RefusedName;
int32_t g_CallsLeft = 0;    // calls until the first refusal, 0 = off
int32_t g_RefusalsLeft = 0;  // refusals from there, -1 = no end
int32_t g_Counted = 0;       // calls of the armed export since arming
std::string g_LastRefused;   // the export refused last

// Arms (n > 0) or switches off (0) the hook; the kernel's guards look at it
// only while it is armed.
void SetCallsLeft(int32_t n) noexcept
{
    g_CallsLeft = n;
    kernel::SetGuardWatch(kernel::kWatchRefusal, n != 0);
}
}  // namespace

void KT_FailCall(const char* name, int32_t n, int32_t times) noexcept
{
    g_RefusalsLeft = times;
    try {
        g_RefusedName = name ? name : "";
    } catch (...) {
        g_RefusedName.clear();
    }
    SetCallsLeft(n > 0 && times != 0 && !g_RefusedName.empty() ? n : 0);
    g_Counted = 0;
}

const char* KT_LastRefused() noexcept
{
    return g_LastRefused.c_str();
}

int32_t KT_CallsCounted() noexcept
{
    return g_Counted;
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
    if (g_CallsLeft == 0) return false;
    const bool counted = g_RefusedName == "*" || (g_RefusedName == "+" ? kernel::ChangesDesign(bareName) : bareName == g_RefusedName);
    if (!counted) return false;
    ++g_Counted;
    if (g_CallsLeft > 1) {
        --g_CallsLeft;
        return false;
    }
    // This call and the next g_RefusalsLeft - 1 are refused.
    if (g_RefusalsLeft > 0 && --g_RefusalsLeft == 0) SetCallsLeft(0);
    try {
        g_LastRefused.assign(bareName);
    } catch (...) {
        g_LastRefused.clear();
    }
    return true;
}
}  // namespace kernel_testing

uint64_t KT_DesignDigest() noexcept
{
    // The hook rests while the image is written: saving is no part of the
    // edit under test.
    const int32_t callsLeft = g_CallsLeft;
    SetCallsLeft(0);
    uint64_t digest = 0;
    try {
        const std::string path =
            (std::filesystem::temp_directory_path() / ("design-digest-" + std::to_string(getpid()) + ".img")).string();
        if (DB_SaveDataBase(path.c_str()) == 1) {
            using namespace kernel::image;
            Run(0, [&]() -> int32_t {
                Connection db;
                db.Open(path, SQLITE_OPEN_READONLY);
                Statement stored(db, "SELECT \"value\" FROM meta WHERE \"key\" = 'checksum'");
                if (stored.Step()) digest = static_cast<uint64_t>(sqlite3_column_int64(stored.get(), 0));
                return 1;
            });
        }
        std::remove(path.c_str());
    } catch (...) {
        digest = 0;
    }
    SetCallsLeft(callsLeft);
    return digest;
}

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
