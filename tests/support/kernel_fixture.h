// A fresh kernel database for each test, with the scripted stand-in
// installed.
#pragma once

#include "tests/support/scripted.h"

namespace palvane_test {

class KernelTest : public ScriptedTest {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace palvane_test
