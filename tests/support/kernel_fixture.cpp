#include "tests/support/kernel_fixture.h"

#include "platform/kernel/nvokernel32.h"

namespace palvane_test {

void KernelTest::SetUp()
{
    ScriptedTest::SetUp();
    DB_DiscardDataBase();
    ASSERT_NE(DB_CreateDataBase("Untitled", "MAINHIER", "MAINPAGE"), 0);
}

void KernelTest::TearDown()
{
    DB_DiscardDataBase();
    ScriptedTest::TearDown();
}

}  // namespace palvane_test
