// Everything that blocks or needs a person goes through this interface:
// message boxes, beeps, the modal show of a window. The Qt implementation
// shows real windows; tests install the scripted stand-in, which answers
// from a queue and reports any question nobody expected.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace winsys {

// Message box styles and answers, with the system's numbering.
namespace mb {
constexpr int OkOnly = 0;
constexpr int OkCancel = 1;
constexpr int YesNoCancel = 3;
constexpr int YesNo = 4;
constexpr int Critical = 16;
constexpr int Question = 32;
constexpr int Exclamation = 48;
constexpr int Information = 64;
constexpr int SystemModal = 4096;

constexpr int AnswerOk = 1;
constexpr int AnswerCancel = 2;
constexpr int AnswerYes = 6;
constexpr int AnswerNo = 7;
}  // namespace mb

class Interaction {
public:
    virtual ~Interaction() = default;
    // Shows a message box; returns the answer (mb::Answer...).
    virtual int MessageBox(const std::string& text, const std::string& caption, int style) = 0;
    virtual void Beep() = 0;
    // Shows `window` modally and returns when it is hidden or closed.
    virtual void ShowModal(QWidget* window) = 0;
};

// The interaction in force: the installed one, else the Qt implementation.
Interaction& Ui();

// Installs `interaction` (not owned); null goes back to the Qt implementation.
void InstallInteraction(Interaction* interaction);

// The stand-in for tests. Each question takes the next queued answer of its
// kind; a question with no answer queued is reported through `unexpected`
// and answered with the safest choice (Cancel, or No).
class ScriptedInteraction : public Interaction {
public:
    struct Asked {
        std::string kind;  // "MessageBox", "ShowModal", "Beep"
        std::string text;
        std::string caption;
        int style = 0;
    };

    // Queues the answer to the next message box. When `textContains` is not
    // empty, the box must contain it or the question counts as unexpected.
    void ExpectMessageBox(int answer, std::string textContains = {});
    // Queues a callback run while the next window is shown modally; the
    // window is hidden after it returns unless the callback hid it.
    void ExpectModal(std::function<void(QWidget*)> callback);

    int MessageBox(const std::string& text, const std::string& caption, int style) override;
    void Beep() override;
    void ShowModal(QWidget* window) override;

    // Everything that was asked, in order.
    const std::vector<Asked>& asked() const { return asked_; }
    // Answers still queued: a test that ends with some left expected a
    // question that never came.
    size_t pending() const { return boxes_.size() + modals_.size(); }

    std::function<void(const std::string&)> unexpected;

private:
    struct BoxAnswer {
        int answer;
        std::string textContains;
    };
    void Unexpected(const std::string& what);

    std::deque<BoxAnswer> boxes_;
    std::deque<std::function<void(QWidget*)>> modals_;
    std::vector<Asked> asked_;
};

}  // namespace winsys
