// The scripted stand-in for the interaction interface, installed by tests.
// Each kind of question takes the next answer queued for its kind; a
// question with no answer queued (or not the one the answer was meant for)
// is reported through `unexpected` and answered with the safest choice:
// Cancel, No, a dismissed menu, a closed dialog.
#pragma once

#include "platform/winsys/interaction.h"

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace winsys {

class ScriptedInteraction : public Interaction {
public:
    struct Asked {
        // "MessageBox", "InputBox", "PopupMenu", "FileDialog", "PrinterSetup",
        // "PrintScale", "ShowModal", "ShowAndWait", "Beep"
        std::string kind;
        std::string text;  // message, prompt, first menu item, title, window name
        std::string caption;
        int style = 0;
    };

    // Queues the answer to the next message box. When `textContains` is not
    // empty, the box must contain it or the question counts as unexpected.
    void ExpectMessageBox(int answer, std::string textContains = {});
    // Queues the text typed into the next input box, or its cancel.
    void ExpectInputBox(std::string answer, std::string promptContains = {});
    void ExpectInputBoxCancel(std::string promptContains = {});
    // Queues the choice in the next popup menu: the item whose caption
    // (without '&') is `choose` is triggered; an empty `choose` dismisses
    // the menu. When `firstItemContains` is not empty, the menu's first item
    // must contain it (the popup question shows its question there).
    void ExpectPopupMenu(std::string choose, std::string firstItemContains = {});
    // Queues the answer to the next file dialog: a function that may look at
    // and fill the request and returns false to cancel, or simply the path
    // chosen (empty: cancelled).
    void ExpectFileDialog(std::function<bool(FileDialogRequest&)> answer);
    void ExpectFileDialog(std::string chosenPath);
    void ExpectPrinterSetup(std::function<bool(PrinterSetupRequest&)> answer);
    void ExpectPrintScale(std::function<bool(PrintScaleRequest&)> answer);
    // Queues a callback run while the next window is shown modally; the
    // window is hidden after it returns unless the callback hid it. With a
    // name, the window (its object name) must be that one.
    void ExpectModal(std::function<void(QWidget*)> callback);
    void ExpectModal(std::string windowName, std::function<void(QWidget*)> callback);
    // Makes the `onAsk`-th ask for the key, counted from now, find it
    // pressed. Asking for keys is no question: unscripted asks answer false.
    void PressKey(int virtualKey, int onAsk = 1);
    // Queues a callback run while the next window is shown without
    // modality for the editor to wait on. When the callback leaves the wait
    // flag set (or nothing was queued: an unexpected question), the window
    // is hidden and the wait ends, which its opener takes as a cancel.
    void ExpectModeless(std::string windowName, std::function<void(QWidget*)> callback);
    // How often the key has been asked for.
    int KeyAsks(int virtualKey) const;

    int MessageBox(const std::string& text, const std::string& caption, int style) override;
    bool InputBox(const InputBoxRequest& request, std::string& answer) override;
    void PopupMenu(QMenu* menu, QPoint screenPos) override;
    bool FileDialog(FileDialogRequest& request) override;
    bool PrinterSetup(PrinterSetupRequest& request) override;
    bool PrintScaleSetup(PrintScaleRequest& request) override;
    void ShowModal(QWidget* window) override;
    void ShowAndWait(QWidget* window, bool& waiting) override;
    void Beep() override;
    bool KeyPressed(int virtualKey) override;
    QPoint CursorPos() override { return cursor; }
    // Puts `cursor` there and counts the call, so that a test sees where the
    // pointer was put.
    void SetCursorPos(QPoint screenPos) override
    {
        cursor = screenPos;
        ++cursorSets;
    }

    // Everything that was asked, in order.
    const std::vector<Asked>& asked() const { return asked_; }
    // Answers still queued: a test that ends with some left expected a
    // question that never came.
    size_t pending() const;
    // Drops every answer still queued, for a test that runs one edit many
    // times, some of which stop before their question.
    void Forget();

    // Where CursorPos says the pointer is; SetCursorPos moves it.
    QPoint cursor;
    // How often SetCursorPos was called.
    int cursorSets = 0;
    // Called with a description of each unexpected question.
    std::function<void(const std::string&)> unexpected;

private:
    struct BoxAnswer {
        int answer;
        std::string textContains;
    };
    struct TextAnswer {
        bool accept;
        std::string text;
        std::string promptContains;
    };
    struct MenuAnswer {
        std::string choose;
        std::string firstItemContains;
    };
    struct ModalAnswer {
        std::string windowName;
        std::function<void(QWidget*)> callback;
    };
    void Unexpected(const std::string& what);

    std::deque<BoxAnswer> boxes_;
    std::deque<TextAnswer> inputs_;
    std::deque<MenuAnswer> menus_;
    std::deque<std::function<bool(FileDialogRequest&)>> files_;
    std::deque<std::function<bool(PrinterSetupRequest&)>> printers_;
    std::deque<std::function<bool(PrintScaleRequest&)>> scales_;
    std::deque<ModalAnswer> modals_;
    std::deque<ModalAnswer> modeless_;
    std::map<int, int> keyAsks_;
    std::map<int, std::set<int>> keyPresses_;
    std::vector<Asked> asked_;
};

}  // namespace winsys
