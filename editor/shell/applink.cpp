#include "editor/shell/applink.h"

#include "editor/shell/caption.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/errors.h"
#include "editor/shell/forms.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/help.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/latin1.h"

#include <QApplication>
#include <QRegularExpression>
#include <QWidget>

#include <cstring>

CheckedArray<std::string> g_AppList;
int32_t g_AppCount = 0;
int32_t g_AppSelf = 0;
int32_t g_AppMsgId = 0;
int32_t g_AppBusyFlag = 0;

namespace {
// The suite's applications find each other through the kernel environment;
// the one window message they share needs no system registration here, so
// it has a fixed identifier in the range the system leaves to applications.
constexpr int32_t kSuiteMessageId = 0xC000;

constexpr const char* kSelf = "PALVANE";

// Sets an environment string; the kernel's answer is not needed.
void SetEnv(const std::string& name, const std::string& value)
{
    E_SetString(name.c_str(), value.c_str());
}

// The five fields of a state record. A title that holds commas itself is
// taken whole: the four numbers are the last four fields.
void SplitStateRecord(const std::string& record, std::string& title, int32_t& state, int32_t& f3, int32_t& f4,
                      int32_t& f5)
{
    CheckedArray<std::string> fields;
    CheckedArray<double> values;
    SplitInto(record, ',', fields, values);
    const long n = ToLong(values(0));
    if (n < 5) {
        title = fields(1);
        state = n >= 2 ? ToLong(values(2)) : 0;
        f3 = n >= 3 ? ToLong(values(3)) : 0;
        f4 = n >= 4 ? ToLong(values(4)) : 0;
        f5 = 0;
        return;
    }
    title = fields(1);
    for (long i = 2; i <= n - 4; ++i) title += "," + fields(i);
    state = ToLong(values(n - 3));
    f3 = ToLong(values(n - 2));
    f4 = ToLong(values(n - 1));
    f5 = ToLong(values(n));
}

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
        if (g_AppList(i) == kSelf) g_AppSelf = i;
    }
}

void PublishAppState(int32_t publish, int32_t activity)
{
    std::string record;
    if (publish != 0) {
        const std::string caption = g_MainForm ? RecordCaption(g_MainForm->Caption()) : std::string();
        const int state = g_MainForm ? g_MainForm->WindowState() : winstate::Normal;
        record = caption + "," + Str(state) + "," + Str(g_AppBusyFlag) + "," + Str(activity) + "," + Str(g_ModalDepth);
    }
    SetEnv(kSelf, record);
}

bool IsAppRunning(const std::string& application)
{
    return Trim(PtrToStr(E_GetString(UCase("mw_" + Trim(application)).c_str()))) == "1";
}

void ReadAppState(const std::string& application, std::string& title, int32_t& state, int32_t& field3,
                  int32_t& field4, int32_t& field5)
{
    title.clear();
    state = field3 = field4 = field5 = 0;
    const std::string name = Trim(application);
    if (!IsAppRunning(name)) {
        SetEnv(name, "");
        return;
    }
    const std::string record = PtrToStr(E_GetString(application.c_str()));
    if (record.empty()) return;
    SplitStateRecord(record, title, state, field3, field4, field5);
}

void CheckOtherApps(int32_t& busy, std::string& title)
{
    const bool quiet = busy != 0;
    for (int32_t i = 1; i <= g_AppCount; ++i) {
        const std::string application = g_AppList(i);
        if (application == kSelf) continue;
        std::string appTitle;
        int32_t state = 0, f3 = 0, f4 = 0, f5 = 0;
        ReadAppState(application, appTitle, state, f3, f4, f5);
        if (f3 == 0 && f4 == 0 && f5 == 0) continue;
        busy = 1;
        title = appTitle;
        if (!quiet)
            winsys::Ui().MessageBox(GetMsgText("Finish current operation for: ", "99688") + title, "Norvo32",
                                    winsys::mb::SystemModal | winsys::mb::Exclamation);
        return;
    }
    busy = 0;
}

void StartApp(const std::string& application, int16_t mode)
{
    std::string title;
    int32_t state = 0, f3 = 0, f4 = 0, f5 = 0;
    ResumeNext({[&] { ReadAppState(application, title, state, f3, f4, f5); }});
    if (!title.empty()) {
        // Activation by title; a title that no longer exists is skipped.
        ResumeNext({[&] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (!window->isVisible() || FromQ(window->windowTitle()) != title) continue;
                if (state == winstate::Minimized) window->showNormal();
                window->raise();
                window->activateWindow();
                break;
            }
        }});
        return;
    }
    try {
        if (!g_MainForm) RaiseError(errnum::InvalidCall);
        std::string name = application;
        int16_t shellMode = mode;
        g_MainForm->AP_Shell(name, shellMode);
    } catch (const RuntimeError&) {
        winsys::Ui().MessageBox("Can't start: " + application, "Norvo32",
                                winsys::mb::SystemModal | winsys::mb::Exclamation);
    }
}

bool IsFormShown(const Form& form)
{
    for (const Form* f : Forms())
        if (f == &form && f->Visible()) return true;
    return false;
}

int32_t KernelBusy()
{
    int32_t busy = 0;
    E_MemCopy(&busy, E_SysTable(systable::Busy), sizeof busy);
    return busy;
}

void CallWinHelp(const std::string& file, int32_t command, const std::string& data)
{
    switch (command) {
    case helpcmd::Context: H_DispTopic(0, file.c_str(), ToLong(ReadNumber(data))); break;
    case helpcmd::Quit: winsys::CloseHelpWindow(); break;
    case helpcmd::Contents: winsys::ShowHelpContents(file); break;
    case helpcmd::Command: {
        static const QRegularExpression position(
            R"(^\s*PositionWindow\s*\(\s*(-?\d+)\s*,\s*(-?\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*(,.*)?\)\s*$)",
            QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch match = position.match(ToQ(data));
        if (match.hasMatch())
            winsys::PlaceHelpWindow(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt(),
                                    match.captured(4).toInt(), match.captured(5).toInt());
        break;
    }
    default: break;
    }
}
