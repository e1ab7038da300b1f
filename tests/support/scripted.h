// The scripted interaction stand-in, installed for the length of a test:
// every question the code under test asks must have been queued, and any
// answer left over at the end fails the test.
#pragma once

#include "tests/support/scripted_interaction.h"

#include <gtest/gtest.h>

namespace palvane_test {

class ScriptedTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    winsys::ScriptedInteraction ui;
};

}  // namespace palvane_test
