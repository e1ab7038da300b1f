#include "tests/host/net_viewer_steps.h"

#include "editor/dialogs/schsnet.h"
#include "editor/shell/forms.h"
#include "tests/host/host_fixture.h"

#include <QApplication>
#include <QWindow>

namespace palvane_test {

void StartNetTest(SCHMAIN& main, const std::string& net)
{
    ChooseMode(main, 4);
    PressFunction(main, 6);
    Type(net);
    ClickPage(main, -30, -20);
}

void WhenViewerShown(std::function<void(SCHSNET&)> act)
{
    WhenShown([] { return FormInstance<SCHSNET>().Visible(); }, [act = std::move(act)] {
        SCHSNET& viewer = FormInstance<SCHSNET>();
        QWidget* window = viewer.Window();
        ASSERT_TRUE(RunUntil([&] { return window->windowHandle() && window->windowHandle()->isExposed(); }));
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        act(viewer);
    });
}

}  // namespace palvane_test
