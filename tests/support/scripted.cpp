#include "tests/support/scripted.h"

namespace palvane_test {

void ScriptedTest::SetUp()
{
    ui.unexpected = [](const std::string& what) { ADD_FAILURE() << what; };
    winsys::InstallInteraction(&ui);
}

void ScriptedTest::TearDown()
{
    winsys::InstallInteraction(nullptr);
    EXPECT_EQ(ui.pending(), 0u) << "queued answers were never asked for";
}

}  // namespace palvane_test
