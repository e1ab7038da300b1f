#include "tests/support/scripted_interaction.h"

#include "platform/winsys/latin1.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace winsys {

namespace {

// A caption as it reads: "&" marks the access key, "&&" is an ampersand.
std::string Readable(const QString& caption)
{
    std::string text = FromQ(caption);
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        else if (text[i] == '&') continue;
        out.push_back(text[i]);
    }
    return out;
}

bool Contains(const std::string& text, const std::string& part)
{
    return part.empty() || text.find(part) != std::string::npos;
}

std::string WindowName(const QWidget* window)
{
    return window ? FromQ(window->objectName()) : std::string("(none)");
}

}  // namespace

void ScriptedInteraction::ExpectMessageBox(int answer, std::string textContains)
{
    boxes_.push_back({answer, std::move(textContains)});
}

void ScriptedInteraction::ExpectInputBox(std::string answer, std::string promptContains)
{
    inputs_.push_back({true, std::move(answer), std::move(promptContains)});
}

void ScriptedInteraction::ExpectInputBoxCancel(std::string promptContains)
{
    inputs_.push_back({false, {}, std::move(promptContains)});
}

void ScriptedInteraction::ExpectPopupMenu(std::string choose, std::string firstItemContains)
{
    menus_.push_back({std::move(choose), std::move(firstItemContains)});
}

void ScriptedInteraction::ExpectFileDialog(std::function<bool(FileDialogRequest&)> answer)
{
    files_.push_back(std::move(answer));
}

void ScriptedInteraction::ExpectFileDialog(std::string chosenPath)
{
    files_.push_back([path = std::move(chosenPath)](FileDialogRequest& request) {
        if (path.empty()) return false;
        request.fileName = path;
        return true;
    });
}

void ScriptedInteraction::ExpectPrinterSetup(std::function<bool(PrinterSetupRequest&)> answer)
{
    printers_.push_back(std::move(answer));
}

void ScriptedInteraction::ExpectPrintScale(std::function<bool(PrintScaleRequest&)> answer)
{
    scales_.push_back(std::move(answer));
}

void ScriptedInteraction::ExpectModal(std::function<void(QWidget*)> callback)
{
    modals_.push_back({{}, std::move(callback)});
}

void ScriptedInteraction::ExpectModal(std::string windowName, std::function<void(QWidget*)> callback)
{
    modals_.push_back({std::move(windowName), std::move(callback)});
}

void ScriptedInteraction::PressKey(int virtualKey, int onAsk)
{
    keyPresses_[virtualKey].insert(keyAsks_[virtualKey] + (onAsk < 1 ? 1 : onAsk));
}

int ScriptedInteraction::KeyAsks(int virtualKey) const
{
    auto it = keyAsks_.find(virtualKey);
    return it == keyAsks_.end() ? 0 : it->second;
}

size_t ScriptedInteraction::pending() const
{
    size_t keys = 0;
    for (const auto& [key, asks] : keyPresses_) keys += asks.size();
    return boxes_.size() + inputs_.size() + menus_.size() + files_.size() + printers_.size() + scales_.size() +
           modals_.size() + modeless_.size() + keys;
}

void ScriptedInteraction::Forget()
{
    boxes_.clear();
    inputs_.clear();
    menus_.clear();
    files_.clear();
    printers_.clear();
    scales_.clear();
    modals_.clear();
    modeless_.clear();
    keyPresses_.clear();
}

void ScriptedInteraction::Unexpected(const std::string& what)
{
    if (unexpected) unexpected(what);
}

int ScriptedInteraction::MessageBox(const std::string& text, const std::string& caption, int style)
{
    asked_.push_back({"MessageBox", text, caption, style});
    int safest = mb::AnswerCancel;
    switch (style & mb::ButtonsMask) {
    case mb::OkOnly: safest = mb::AnswerOk; break;
    case mb::AbortRetryIgnore: safest = mb::AnswerAbort; break;
    case mb::YesNo: safest = mb::AnswerNo; break;
    default: break;
    }
    if (boxes_.empty()) {
        Unexpected("unexpected message box: " + caption + ": " + text);
        return safest;
    }
    BoxAnswer next = boxes_.front();
    boxes_.pop_front();
    if (!Contains(text, next.textContains)) {
        Unexpected("message box \"" + text + "\" does not contain \"" + next.textContains + "\"");
        return safest;
    }
    return next.answer;
}

bool ScriptedInteraction::InputBox(const InputBoxRequest& request, std::string& answer)
{
    asked_.push_back({"InputBox", request.prompt, request.title, 0});
    if (inputs_.empty()) {
        Unexpected("unexpected input box: " + request.title + ": " + request.prompt);
        return false;
    }
    TextAnswer next = inputs_.front();
    inputs_.pop_front();
    if (!Contains(request.prompt, next.promptContains)) {
        Unexpected("input box \"" + request.prompt + "\" does not contain \"" + next.promptContains + "\"");
        return false;
    }
    if (next.accept) answer = next.text;
    return next.accept;
}

void ScriptedInteraction::PopupMenu(QMenu* menu, QPoint /*screenPos*/)
{
    std::string first;
    if (menu)
        for (QAction* action : menu->actions())
            if (!action->isSeparator() && action->isVisible()) {
                first = Readable(action->text());
                break;
            }
    asked_.push_back({"PopupMenu", first, {}, 0});
    if (menus_.empty()) {
        Unexpected("unexpected popup menu: " + first);
        return;
    }
    MenuAnswer next = menus_.front();
    menus_.pop_front();
    if (!Contains(first, next.firstItemContains)) {
        Unexpected("popup menu \"" + first + "\" does not contain \"" + next.firstItemContains + "\"");
        return;
    }
    if (next.choose.empty() || !menu) return;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() || Readable(action->text()) != next.choose) continue;
        if (!action->isEnabled() || !action->isVisible()) {
            Unexpected("popup menu item \"" + next.choose + "\" cannot be chosen");
            return;
        }
        action->trigger();
        return;
    }
    Unexpected("popup menu has no item \"" + next.choose + "\"");
}

bool ScriptedInteraction::FileDialog(FileDialogRequest& request)
{
    asked_.push_back({"FileDialog", request.title, request.save ? "save" : "open", request.flags});
    if (files_.empty()) {
        Unexpected("unexpected file dialog: " + request.title);
        return false;
    }
    auto answer = std::move(files_.front());
    files_.pop_front();
    return answer(request);
}

bool ScriptedInteraction::PrinterSetup(PrinterSetupRequest& request)
{
    asked_.push_back({"PrinterSetup", {}, {}, request.flags});
    if (printers_.empty()) {
        Unexpected("unexpected printer setup");
        return false;
    }
    auto answer = std::move(printers_.front());
    printers_.pop_front();
    return answer(request);
}

bool ScriptedInteraction::PrintScaleSetup(PrintScaleRequest& request)
{
    asked_.push_back({"PrintScale", {}, {}, 0});
    if (scales_.empty()) {
        Unexpected("unexpected print-scale dialog");
        return false;
    }
    auto answer = std::move(scales_.front());
    scales_.pop_front();
    return answer(request);
}

void ScriptedInteraction::ShowModal(QWidget* window)
{
    const std::string name = WindowName(window);
    asked_.push_back({"ShowModal", name, {}, 0});
    if (modals_.empty()) {
        Unexpected("unexpected modal window: " + name);
        return;
    }
    ModalAnswer next = std::move(modals_.front());
    modals_.pop_front();
    if (!next.windowName.empty() && next.windowName != name) {
        Unexpected("modal window " + name + " shown where " + next.windowName + " was expected");
        return;
    }
    if (window) window->show();
    next.callback(window);
    if (window && window->isVisible()) window->hide();
}

void ScriptedInteraction::ExpectModeless(std::string windowName, std::function<void(QWidget*)> callback)
{
    modeless_.push_back({std::move(windowName), std::move(callback)});
}

void ScriptedInteraction::ShowAndWait(QWidget* window, bool& waiting)
{
    const std::string name = WindowName(window);
    asked_.push_back({"ShowAndWait", name, {}, 0});
    waiting = true;
    if (modeless_.empty()) {
        Unexpected("unexpected modeless window: " + name);
    } else {
        ModalAnswer next = std::move(modeless_.front());
        modeless_.pop_front();
        if (!next.windowName.empty() && next.windowName != name) {
            Unexpected("modeless window " + name + " shown where " + next.windowName + " was expected");
        } else {
            if (window) window->show();
            next.callback(window);
        }
    }
    if (window && window->isVisible()) window->hide();
    waiting = false;
}

void ScriptedInteraction::Beep()
{
    asked_.push_back({"Beep", {}, {}, 0});
}

bool ScriptedInteraction::KeyPressed(int virtualKey)
{
    const int ask = ++keyAsks_[virtualKey];
    auto it = keyPresses_.find(virtualKey);
    if (it == keyPresses_.end()) return false;
    const bool pressed = it->second.erase(ask) > 0;
    if (it->second.empty()) keyPresses_.erase(it);
    return pressed;
}

}  // namespace winsys
