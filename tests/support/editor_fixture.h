// The editor loaded for a test: a fresh kernel database, the scripted
// stand-in, and clsPalvane created and loaded, as the host does it. The
// commands the editor sends are collected in `sent`.
//
// A test puts its design into the kernel with palvane_test::BuildDesign
// (design_builder.h), from the readable form the demo design is written in.
#pragma once

#include "editor/shell/clspalvane.h"
#include "tests/support/kernel_fixture.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

class SCHMAIN;

namespace palvane_test {

class EditorTest : public KernelTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The main window, loaded and shown.
    SCHMAIN& Main();

    std::unique_ptr<clsPalvane> link;
    std::vector<std::pair<std::string, std::string>> sent;
};

}  // namespace palvane_test
