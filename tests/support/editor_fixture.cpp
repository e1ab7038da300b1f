#include "tests/support/editor_fixture.h"

#include "editor/shell/clspalvane.h"
#include "editor/shell/forms.h"
#include "editor/shell/schmain.h"
#include "editor/shell/tooltable.h"
#include "editor/interaction/commands.h"
#include "editor/interaction/input_state.h"

namespace palvane_test {

namespace {

// The editor's process-wide state that tests set directly or leave behind
// through the commands they begin: as a new process has it, so that every
// test of a binary starts alike whether it runs alone or after others.
void ResetEditorGlobals()
{
    g_CurMode = MODE_NONE;
    g_CurCommand = 0;
    g_CmdRunning = 0;
    g_BoxZoomOn = 0;
    g_BoxCopyOn = 0;
    ClearToolTable();
}

}  // namespace

void EditorLinkTest::SetUp()
{
    KernelTest::SetUp();
    ResetEditorGlobals();
    link = std::make_unique<clsPalvane>();
    link->NotifyServer.Connect([this](std::string& a, std::string& c) { sent.emplace_back(a, c); });
}

void EditorLinkTest::TearDown()
{
    link.reset();
    ResetEditorGlobals();
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
