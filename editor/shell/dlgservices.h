// Dialog services: the few fixed ways in which the editor puts something
// before the user and waits - a yes/no question, a one-line answer in the
// input box, a dialog shown modally over the main window - and the
// modeless report window for long texts.
#pragma once

#include <QPoint>

#include <cstdint>
#include <string>

class Form;
class MenuItem;

// The prompt-line text of the current mode or command; the title of every
// yes/no question and part of every reporter caption.
extern std::string g_Prompt;
// How many dialogs opened through ShowModal are open; published in the
// editor's state record.
extern int32_t g_ModalDepth;
// Set just before a dialog is shown; the component insertion dialogs read
// and clear it when they become active.
extern bool g_DlgOpening;
// The answer of the last dialog that is accepted or cancelled (component
// insertion, automatic packaging): true for Accept.
extern bool g_DlgAccepted;
// Set by a dialog while it places itself over the main window, so that the
// main window's resize handling leaves the resulting size events alone.
extern bool g_SuppressResize;
// The answer the input box leaves for AskText: the trimmed text, a single
// blank for an empty answer, "" for Cancel. Empty between questions.
extern std::string g_InputResult;

// While it lives, g_Prompt names the menu command of `item` (its caption
// without the access key and a closing "..."), so that the questions and
// message boxes of a command run from a menu carry its name rather than the
// mode chosen last. The prompt before it comes back however the command
// ends.
class CommandPrompt {
public:
    explicit CommandPrompt(const MenuItem& item);
    ~CommandPrompt();
    CommandPrompt(const CommandPrompt&) = delete;
    CommandPrompt& operator=(const CommandPrompt&) = delete;

private:
    std::string saved_;
};

// Yes/No question with the question icon and g_Prompt as title; true for Yes.
bool AskYesNo(const std::string& text);
// The localised "Yes" or "No " (three characters wide in reports).
std::string YesNoText(bool flag);

// Shows `form` modally, centred on the screen, and unloads it when it
// closes. g_ModalDepth is one higher while it is open and the state record
// is published on the way in and out; both are right again however the
// dialog ends, by an error too. The report window is hidden first.
void ShowModal(Form& form);

// Centres the form on the screen (a form larger than the screen stands at a
// non-negative position).
void CenterForm(Form& form);

// Shows the report window SCHINFOB, topmost, with `text` in place of what it
// showed.
void ShowReport(const std::string& text);
// The same with the report window's top left corner at a point of the
// screen (the pointer's, for the reports the Database menu asks for there).
void ShowReport(const std::string& text, QPoint screenPos);

// Asks for one line of text in the input box NvoInpBG: the heading (when
// not blank) on the first line, the prompt below it, the default selected.
// Returns the answer trimmed, or "" for Cancel, an empty answer or a closed
// box.
std::string AskText(const std::string& prompt, const std::string& heading, const std::string& defaultText);
