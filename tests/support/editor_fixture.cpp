#include "tests/support/editor_fixture.h"

#include "editor/shell/clspalvane.h"
#include "editor/shell/forms.h"
#include "editor/shell/schmain.h"

namespace palvane_test {

void EditorLinkTest::SetUp()
{
    KernelTest::SetUp();
    link = std::make_unique<clsPalvane>();
    link->NotifyServer.Connect([this](std::string& a, std::string& c) { sent.emplace_back(a, c); });
}

void EditorLinkTest::TearDown()
{
    link.reset();
    KernelTest::TearDown();
}

void EditorTest::SetUp()
{
    EditorLinkTest::SetUp();
    int16_t mode = winstate::Normal;
    ASSERT_TRUE(link->Load(mode)) << "the editor did not start";
}

SCHMAIN& EditorTest::Main()
{
    return FormInstance<SCHMAIN>();
}

}  // namespace palvane_test
