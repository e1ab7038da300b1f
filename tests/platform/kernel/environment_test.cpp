#include "platform/kernel/nvokernel32.h"
#include "tests/support/kernel_fixture.h"

#include <string>

namespace {

using KernelEnvironment = palvane_test::KernelTest;

TEST_F(KernelEnvironment, SetGetReplace)
{
    EXPECT_EQ(E_GetString("AllAps"), nullptr);
    ASSERT_NE(E_SetString("AllAps", "PALVANE,NVOSIM"), 0);
    EXPECT_STREQ(E_GetString("AllAps"), "PALVANE,NVOSIM");
    ASSERT_NE(E_SetString("AllAps", ""), 0);
    ASSERT_NE(E_GetString("AllAps"), nullptr);
    EXPECT_STREQ(E_GetString("AllAps"), "");
    // Names are exact: another case is another name.
    EXPECT_EQ(E_GetString("ALLAPS"), nullptr);
}

TEST_F(KernelEnvironment, BadArgumentsFailCleanly)
{
    EXPECT_EQ(E_SetString(nullptr, "x"), 0);
    EXPECT_EQ(E_SetString("", "x"), 0);
    EXPECT_EQ(E_GetString(nullptr), nullptr);
    ASSERT_NE(E_SetString("name", nullptr), 0);
    EXPECT_STREQ(E_GetString("name"), "");
}

TEST_F(KernelEnvironment, AddressStaysValidWhileOtherNamesChange)
{
    ASSERT_NE(E_SetString("PALVANE", "Schematic Capture, 0, 0,-1, 0"), 0);
    const char* record = E_GetString("PALVANE");
    for (int i = 0; i < 1000; ++i) E_SetString(("APP" + std::to_string(i)).c_str(), "x");
    EXPECT_STREQ(record, "Schematic Capture, 0, 0,-1, 0");
}

TEST_F(KernelEnvironment, SurvivesANewDatabase)
{
    ASSERT_NE(E_SetString("IniFile", "/etc/norvo32.ini"), 0);
    DB_DiscardDataBase();
    ASSERT_NE(DB_CreateDataBase("Other", "MAINHIER", "MAINPAGE"), 0);
    EXPECT_STREQ(E_GetString("IniFile"), "/etc/norvo32.ini");
}

}  // namespace
