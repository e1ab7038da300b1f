// The editor for a test: a fresh kernel database, the scripted stand-in, and
// clsPalvane created as the host does it, the commands the editor sends
// collected in `sent`. EditorLinkTest leaves loading to the test;
// EditorTest loads the editor.
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

class EditorLinkTest : public KernelTest {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<clsPalvane> link;
    std::vector<std::pair<std::string, std::string>> sent;
};

class EditorTest : public EditorLinkTest {
protected:
    void SetUp() override;

    // The main window, loaded and shown.
    SCHMAIN& Main();
};

}  // namespace palvane_test
