#include "platform/winsys/interaction.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace winsys {

namespace {

class QtInteraction : public Interaction {
public:
    int MessageBox(const std::string& text, const std::string& caption, int style) override
    {
        QMessageBox box;
        box.setText(QString::fromLatin1(text.c_str()));
        box.setWindowTitle(QString::fromLatin1(caption.c_str()));
        switch (style & 0x70) {
        case mb::Critical: box.setIcon(QMessageBox::Critical); break;
        case mb::Question: box.setIcon(QMessageBox::Question); break;
        case mb::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case mb::Information: box.setIcon(QMessageBox::Information); break;
        default: break;
        }
        switch (style & 0x7) {
        case mb::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case mb::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        case mb::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        default: box.setStandardButtons(QMessageBox::Ok); break;
        }
        switch (box.exec()) {
        case QMessageBox::Yes: return mb::AnswerYes;
        case QMessageBox::No: return mb::AnswerNo;
        case QMessageBox::Cancel: return mb::AnswerCancel;
        default: return mb::AnswerOk;
        }
    }

    void Beep() override { QApplication::beep(); }

    void ShowModal(QWidget* window) override
    {
        if (!window) return;
        QPointer<QWidget> guard(window);
        window->setWindowModality(Qt::ApplicationModal);
        window->show();
        // Wait until the window is hidden, closed or destroyed.
        QEventLoop loop;
        while (guard && guard->isVisible()) loop.processEvents(QEventLoop::WaitForMoreEvents);
        if (guard) guard->setWindowModality(Qt::NonModal);
    }
};

Interaction* g_installed = nullptr;

}  // namespace

Interaction& Ui()
{
    static QtInteraction qt;
    return g_installed ? *g_installed : qt;
}

void InstallInteraction(Interaction* interaction)
{
    g_installed = interaction;
}

void ScriptedInteraction::ExpectMessageBox(int answer, std::string textContains)
{
    boxes_.push_back({answer, std::move(textContains)});
}

void ScriptedInteraction::ExpectModal(std::function<void(QWidget*)> callback)
{
    modals_.push_back(std::move(callback));
}

void ScriptedInteraction::Unexpected(const std::string& what)
{
    if (unexpected) unexpected(what);
}

int ScriptedInteraction::MessageBox(const std::string& text, const std::string& caption, int style)
{
    asked_.push_back({"MessageBox", text, caption, style});
    const int safest = (style & 0x7) == mb::YesNo ? mb::AnswerNo
                       : (style & 0x7) == mb::OkOnly ? mb::AnswerOk
                                                     : mb::AnswerCancel;
    if (boxes_.empty()) {
        Unexpected("unexpected message box: " + caption + ": " + text);
        return safest;
    }
    BoxAnswer next = boxes_.front();
    boxes_.pop_front();
    if (!next.textContains.empty() && text.find(next.textContains) == std::string::npos) {
        Unexpected("message box \"" + text + "\" does not contain \"" + next.textContains + "\"");
        return safest;
    }
    return next.answer;
}

void ScriptedInteraction::Beep()
{
    asked_.push_back({"Beep", {}, {}, 0});
}

void ScriptedInteraction::ShowModal(QWidget* window)
{
    asked_.push_back({"ShowModal", window ? window->objectName().toStdString() : std::string(), {}, 0});
    if (modals_.empty()) {
        Unexpected("unexpected modal window: " +
                   (window ? window->objectName().toStdString() : std::string("(none)")));
        return;
    }
    auto callback = std::move(modals_.front());
    modals_.pop_front();
    if (window) window->show();
    callback(window);
    if (window && window->isVisible()) window->hide();
}

}  // namespace winsys
