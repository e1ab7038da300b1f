#include "editor/shell/applink.h"

#include "editor/shell/forms.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/textnum.h"

CheckedArray<std::string> g_AppList;
int32_t g_AppCount = 0;
int32_t g_AppSelf = 0;
int32_t g_AppMsgId = 0;

namespace {
// The suite's applications find each other through the kernel environment;
// the one window message they share needs no system registration here, so
// it has a fixed identifier in the range the system leaves to applications.
constexpr int32_t kSuiteMessageId = 0xC000;
}  // namespace

void InitAppLink()
{
    g_AppList.Redim(1, 0);
    g_AppCount = 0;
    g_AppSelf = 0;
    g_AppMsgId = kSuiteMessageId;
    const std::string all = PtrToStr(E_GetString("AllAps"));
    if (all.empty()) return;
    SplitFields(all);
    g_AppCount = ToLong(g_ArgNum(0));
    g_AppList.Redim(1, g_AppCount);
    for (int32_t i = 1; i <= g_AppCount; ++i) {
        g_AppList(i) = g_ArgStr(i);
        if (g_AppList(i) == "PALVANE") g_AppSelf = i;
    }
}

bool IsFormShown(const Form& form)
{
    for (const Form* f : Forms())
        if (f == &form && f->Visible()) return true;
    return false;
}
