// The editor loaded with the demo design's first page shown at its start
// view: the fixture of the view's tests.
#pragma once

#include "editor/shell/schmain.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <QApplication>

#include <fstream>
#include <sstream>
#include <string>

namespace view_test {

inline std::string DemoText()
{
    std::ifstream in(PALVANE_DEMO_DIR "/demo.txt");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class DemoTest : public palvane_test::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        ASSERT_TRUE(palvane_test::BuildDesign(DemoText(), PALVANE_DEMO_DIR));
        Main().LoadSettings();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }
};

}  // namespace view_test
