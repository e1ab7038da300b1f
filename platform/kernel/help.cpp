// The help window of the suite's applications, shown through the window
// system's help browser.
#include "platform/kernel/nvokernel32.h"

#include "platform/winsys/help.h"

#include <QApplication>

int32_t H_DispTopic(int32_t /*window*/, const char* helpFile, int32_t topic) noexcept
{
    if (!helpFile || !qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
    try {
        return winsys::ShowHelpTopic(helpFile, topic);
    } catch (...) {
        return 0;
    }
}
