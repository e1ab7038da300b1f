// An interaction that asks nobody, for the fuzz targets: every message box
// is answered with its first button and counted, every other question is
// cancelled.
#pragma once

#include "platform/winsys/interaction.h"

#include <string>

namespace fuzz_support {

class QuietInteraction : public winsys::Interaction {
public:
    int messages = 0;
    std::string lastMessage;

    int MessageBox(const std::string& text, const std::string&, int style) override
    {
        ++messages;
        lastMessage = text;
        switch (style & winsys::mb::ButtonsMask) {
        case winsys::mb::AbortRetryIgnore: return winsys::mb::AnswerAbort;
        case winsys::mb::YesNoCancel:
        case winsys::mb::YesNo: return winsys::mb::AnswerYes;
        case winsys::mb::RetryCancel: return winsys::mb::AnswerCancel;
        default: return winsys::mb::AnswerOk;
        }
    }
    bool InputBox(const winsys::InputBoxRequest&, std::string&) override { return false; }
    void PopupMenu(QMenu*, QPoint) override {}
    bool FileDialog(winsys::FileDialogRequest&) override { return false; }
    bool PrinterSetup(winsys::PrinterSetupRequest&) override { return false; }
    bool PrintScaleSetup(winsys::PrintScaleRequest&) override { return false; }
    void ShowModal(QWidget*) override {}
    void ShowAndWait(QWidget*, bool& waiting) override { waiting = false; }
    void Beep() override {}
    bool KeyPressed(int) override { return false; }
    QPoint CursorPos() override { return {}; }
    void SetCursorPos(QPoint) override {}
};

// The process's quiet interaction.
QuietInteraction& Quiet();

// Installs the quiet interaction for its lifetime and then puts back the
// one that was in force (a test's own, when a test replays a corpus).
class QuietScope {
public:
    QuietScope();
    ~QuietScope();
    QuietScope(const QuietScope&) = delete;
    QuietScope& operator=(const QuietScope&) = delete;

private:
    winsys::Interaction* before_;
};

// A folder of the process's own under the system's temporary folder, made
// on first use and removed when the process ends.
const std::string& ScratchDir();

// Makes the offscreen Qt application the targets draw and read fonts with,
// once, when there is none yet.
void EnsureApplication();

}  // namespace fuzz_support
