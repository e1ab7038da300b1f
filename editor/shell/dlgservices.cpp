#include "editor/shell/dlgservices.h"

#include "editor/dialogs/schinfob.h"
#include "editor/shell/applink.h"
#include "editor/shell/controls.h"
#include "editor/shell/forms.h"
#include "editor/shell/menus.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/nvoinpbg.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/textarea.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/interaction.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cstdlib>

std::string g_Prompt;
int32_t g_ModalDepth = 0;
bool g_DlgOpening = false;
bool g_DlgAccepted = false;
bool g_SuppressResize = false;
std::string g_InputResult;

CommandPrompt::CommandPrompt(const MenuItem& item) : saved_(g_Prompt)
{
    std::string name = item.Caption();
    const size_t amp = name.find('&');
    if (amp != std::string::npos) name.erase(amp, 1);
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    g_Prompt = name;
}

CommandPrompt::~CommandPrompt()
{
    g_Prompt = saved_;
}

bool AskYesNo(const std::string& text)
{
    return winsys::AskYesNoBox(DisplayText(text), g_Prompt);
}

std::string YesNoText(bool flag)
{
    return flag ? GetMsgText("Yes", "991426") : GetMsgText("No ", "99938");
}

void CenterForm(Form& form)
{
    form.Load();
    QWidget* window = form.Window();
    if (!window) return;
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    const QSize size = window->frameGeometry().size();
    window->move(area.x() + std::abs(area.width() - size.width()) / 2,
                 area.y() + std::abs(area.height() - size.height()) / 2);
}

void ShowModal(Form& form)
{
    SetScreenMousePointer(mousepointer::Hourglass);
    {
        auto pointer = OnExit([] { SetScreenMousePointer(mousepointer::Default); });
        SCHINFOB& report = FormInstance<SCHINFOB>();
        if (IsFormShown(report)) report.Hide();
        g_DlgOpening = true;
        CenterForm(form);
    }
    ++g_ModalDepth;
    auto depth = OnExit([] {
        --g_ModalDepth;
        PublishAppState(-1, -1);
    });
    PublishAppState(-1, -1);
    auto unload = OnExit([&form] { form.Unload(); });
    form.ShowModal();
}

void ShowReport(const std::string& text)
{
    SCHINFOB& report = FormInstance<SCHINFOB>();
    if (!report.Visible()) {
        report.Load();
        report.SetTopmost(true);
        report.Show();
    } else {
        report.SetTopmost(true);
    }
    report.F_TxtBuffer()->SetText(text);
}

void ShowReport(const std::string& text, QPoint screenPos)
{
    ShowReport(text);
    if (QWidget* window = FormInstance<SCHINFOB>().Window()) window->move(screenPos);
}

std::string AskText(const std::string& prompt, const std::string& heading, const std::string& defaultText)
{
    NvoInpBG& box = FormInstance<NvoInpBG>();
    g_InputResult.clear();
    // However the question ends, the box is gone and no answer is left over.
    auto done = OnExit([&box] {
        box.Unload();
        g_InputResult.clear();
    });
    const std::string question =
        Trim(heading).empty() ? DisplayText(prompt) : heading + g_CrLf + DisplayText(prompt);
    box.InpPrompt()->SetText(question);
    const std::string preset = DisplayText(defaultText);
    box.InpText()->SetText(preset);
    box.InpText()->setSelection(0, static_cast<int>(box.InpText()->text().size()));
    box.ShowModal();
    const std::string answer = g_InputResult;
    g_InputResult.clear();
    if (answer.empty()) return {};
    return EnteredText(Trim(answer));
}
