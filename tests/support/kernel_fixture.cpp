#include "tests/support/kernel_fixture.h"

#include "platform/kernel/nvokernel32.h"

#include <array>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace palvane_test {

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

namespace {

// The kernel's system tables belong to the process, not to a database, and
// the editor writes into them (its settings, a test's values): each test
// begins with them as the process began.
using TableBytes = std::array<unsigned char, systable::Bytes>;

const std::vector<TableBytes>& FreshSystemTables()
{
    static const std::vector<TableBytes> fresh = [] {
        std::vector<TableBytes> tables(systable::Count);
        for (int32_t t = 0; t < systable::Count; ++t)
            if (const void* table = E_SysTable(t)) std::memcpy(tables[t].data(), table, systable::Bytes);
        return tables;
    }();
    return fresh;
}

// Taken while the program starts, before any test has run.
const bool g_freshTablesTaken = (FreshSystemTables(), true);

void RestoreSystemTables()
{
    const std::vector<TableBytes>& fresh = FreshSystemTables();
    for (int32_t t = 0; t < systable::Count; ++t)
        if (void* table = E_SysTable(t)) std::memcpy(table, fresh[t].data(), systable::Bytes);
}

}  // namespace

void KernelTest::SetUp()
{
    (void)g_freshTablesTaken;
    ScriptedTest::SetUp();
    RestoreSystemTables();
    DB_DiscardDataBase();
    ASSERT_NE(DB_CreateDataBase("Untitled", "MAINHIER", "MAINPAGE"), 0);
}

void KernelTest::TearDown()
{
    DB_DiscardDataBase();
    ScriptedTest::TearDown();
}

}  // namespace palvane_test
