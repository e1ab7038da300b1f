// The settings and counter exports.
#include "tests/router/router_fixture.h"

#include <gtest/gtest.h>

namespace router_test {
namespace {

struct StepCase {
    int32_t set, result, readBack;
};

class StepIndex : public ::testing::TestWithParam<StepCase> {};

TEST_P(StepIndex, SetsTheStepOfTheTableOnly)
{
    SCR_SetStepIndex(4);
    EXPECT_EQ(SCR_SetStepIndex(GetParam().set), GetParam().result);
    EXPECT_EQ(SCR_GetStepIndex(), GetParam().readBack);
}

INSTANTIATE_TEST_SUITE_P(Settings, StepIndex,
                         ::testing::Values(StepCase{0, 0, 0}, StepCase{3, 3, 3}, StepCase{4, 4, 4}, StepCase{5, 5, 5},
                                           StepCase{6, 6, 4}, StepCase{-1, -1, 4}));

TEST(Settings, StartValues)
{
    int32_t bits = 0;
    SCR_GetPreloadBits(&bits);
    EXPECT_EQ(bits, 5);
    EXPECT_EQ(SCR_GetStepIndex(), 1);  // 50800, index 1 of the table
    EXPECT_EQ(corvex::g_ScrScale, 2540000);
    EXPECT_EQ(corvex::g_ViewStatus, 30);
}

TEST(Settings, ValuesRoundTrip)
{
    EXPECT_EQ(SCR_SetScale(2540), 2540000);
    EXPECT_EQ(SCR_SetScale(10000), 100000);
    EXPECT_EQ(SCR_SetScale(0), 100000);
    EXPECT_EQ(SCR_SetPreloadBits(3), 3);
    int32_t bits = 0;
    EXPECT_EQ(SCR_GetPreloadBits(&bits), 1);
    EXPECT_EQ(bits, 3);
    EXPECT_EQ(SCR_GetPreloadBits(nullptr), 0);
    EXPECT_EQ(SCR_LoadViewStatus(16), 16);
    EXPECT_EQ(SCR_ChangePage(7), 7);
    int32_t colors[16], back[16] = {};
    for (int i = 0; i < 16; ++i) colors[i] = 100 + i;
    SCR_SetCatColors(colors);
    SCR_GetCatColors(back);
    EXPECT_TRUE(std::equal(colors, colors + 16, back));
    EXPECT_EQ(SCR_GetCatColors(nullptr), 0);
}

}  // namespace
}  // namespace router_test
