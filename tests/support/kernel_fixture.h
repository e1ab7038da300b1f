// A fresh kernel database for each test, with the scripted stand-in
// installed.
#pragma once

#include "tests/support/scripted.h"

#include <string>

namespace palvane_test {

// A file's bytes (empty when it cannot be read), and a file made of bytes.
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

class KernelTest : public ScriptedTest {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace palvane_test
