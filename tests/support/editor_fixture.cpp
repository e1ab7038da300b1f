#include "tests/support/editor_fixture.h"

#include "editor/shell/clspalvane.h"
#include "editor/shell/forms.h"
#include "editor/shell/paths.h"
#include "editor/shell/schmain.h"
#include "editor/shell/tooltable.h"
#include "editor/interaction/commands.h"
#include "editor/interaction/input_state.h"
#include "platform/winsys/nested_runs.h"

namespace palvane_test {

namespace {

// The editor's process-wide state that tests set directly or leave behind
// through the commands they begin, as a new process has it, so that every
// test of a binary starts alike whether it runs alone or after others. A
// running command also refuses the window's unload: it is reset before the
// editor is released, or the window would stay loaded, with its state, into
// the next test.
void ResetCommandState()
{
    g_CurMode = MODE_NONE;
    g_CurCommand = 0;
    g_CmdRunning = 0;
    g_BoxZoomOn = 0;
    g_BoxCopyOn = 0;
}

// What the editor reads at its load, as a new process has it: no tool
// table, no program or data folder given (a test may have pointed them at
// a folder of its own that is gone now), and no close asked for (a test
// that closed the editor through the host leaves the request standing,
// and every later wait or dialog would end at once, cancelled).
void ResetLoadState()
{
    winsys::ClearCloseRequest();
    ClearToolTable();
    g_SeverPath.clear();
    g_ProgDir.clear();
    SetDataDir("");
}

}  // namespace

void EditorLinkTest::SetUp()
{
    KernelTest::SetUp();
    ResetCommandState();
    ResetLoadState();
    link = std::make_unique<clsPalvane>();
    link->NotifyServer.Connect([this](std::string& a, std::string& c) { sent.emplace_back(a, c); });
}

void EditorLinkTest::TearDown()
{
    ResetCommandState();
    link.reset();
    ResetLoadState();
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
