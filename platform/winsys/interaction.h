// Everything that blocks or needs a person goes through this interface:
// message boxes, the input box, the popup question, the file, printer and
// print-scale dialogs, the modal show of a window, beeps, key states and
// the pointer position. The Qt implementation shows real windows; tests
// install the scripted stand-in (tests/support/scripted_interaction.h), which answers from queues and
// reports any question nobody expected.
#pragma once

#include <QPoint>

#include <cstdint>
#include <string>

class QMenu;
class QWidget;

namespace winsys {

// Message box styles and answers, with the system's numbering.
namespace mb {
constexpr int OkOnly = 0;
constexpr int OkCancel = 1;
constexpr int AbortRetryIgnore = 2;
constexpr int YesNoCancel = 3;
constexpr int YesNo = 4;
constexpr int RetryCancel = 5;
constexpr int ButtonsMask = 0x7;

constexpr int Critical = 16;
constexpr int Question = 32;
constexpr int Exclamation = 48;
constexpr int Information = 64;
constexpr int IconMask = 0x70;

constexpr int DefaultButton1 = 0;
constexpr int DefaultButton2 = 256;
constexpr int DefaultButton3 = 512;
constexpr int DefaultButtonMask = 0x300;

constexpr int ApplicationModal = 0;
constexpr int SystemModal = 4096;

constexpr int AnswerOk = 1;
constexpr int AnswerCancel = 2;
constexpr int AnswerAbort = 3;
constexpr int AnswerRetry = 4;
constexpr int AnswerIgnore = 5;
constexpr int AnswerYes = 6;
constexpr int AnswerNo = 7;
}  // namespace mb

// Flags of the file dialogs, with the system's numbering.
namespace ofn {
constexpr int ReadOnly = 0x1;
constexpr int OverwritePrompt = 0x2;
constexpr int HideReadOnly = 0x4;
constexpr int NoChangeDir = 0x8;
constexpr int AllowMultiselect = 0x200;
constexpr int PathMustExist = 0x800;
constexpr int FileMustExist = 0x1000;
constexpr int CreatePrompt = 0x2000;
constexpr int NoReadOnlyReturn = 0x8000;
}  // namespace ofn

struct InputBoxRequest {
    std::string prompt;
    std::string title;
    std::string defaultText;
    // Top-left corner in screen pixels; negative: centred.
    int x = -1;
    int y = -1;
};

struct FileDialogRequest {
    bool save = false;
    std::string title;
    std::string initDir;
    std::string fileName;    // in: the name proposed; out: the full path chosen
    std::string defaultExt;  // added to a name typed without an extension (no dot)
    // Pairs "description|patterns", joined with "|"; patterns separated by
    // ';', for example "Notes (*.txt)|*.txt|All files|*.*".
    std::string filter;
    int filterIndex = 1;  // in and out, from 1
    int flags = 0;        // ofn::...
};

struct PrinterSetupRequest {
    int orientation = 1;  // 1 portrait, 2 landscape; in and out
    int copies = 1;       // in and out
    int flags = 0;            // 0x4 no selection choice, 0x8 no page range choice
    std::string printerName;  // out: the printer chosen
    // In and out: the PDF file printed into; empty: the system printer.
    std::string outputFile;
};

// The print-scale question: at which scale the drawing goes onto sheets.
// The scale is numerator : denominator (paper length : drawing length).
struct PrintScaleRequest {
    double drawingWidth = 0;  // inches
    double drawingHeight = 0;
    double sheetWidth = 0;  // printable area of one sheet, inches
    double sheetHeight = 0;
    int32_t numerator = 1;  // in and out
    int32_t denominator = 1;
};

class Interaction {
public:
    virtual ~Interaction() = default;

    // Shows a message box; returns the answer (mb::Answer...).
    virtual int MessageBox(const std::string& text, const std::string& caption, int style) = 0;
    // Asks for a line of text; false when cancelled.
    virtual bool InputBox(const InputBoxRequest& request, std::string& answer) = 0;
    // Pops `menu` up at a screen point and returns when it has closed; the
    // chosen item has been triggered by then.
    virtual void PopupMenu(QMenu* menu, QPoint screenPos) = 0;
    // The open or save dialog; false when cancelled.
    virtual bool FileDialog(FileDialogRequest& request) = 0;
    virtual bool PrinterSetup(PrinterSetupRequest& request) = 0;
    virtual bool PrintScaleSetup(PrintScaleRequest& request) = 0;
    // Shows `window` modally and returns when it is hidden or closed.
    virtual void ShowModal(QWidget* window) = 0;
    // Shows `window` without modality, sets `waiting` and returns when
    // something has cleared it (the window's own Accept or Cancel) or the
    // window is hidden, closed or destroyed; `waiting` is false then.
    virtual void ShowAndWait(QWidget* window, bool& waiting) = 0;
    virtual void Beep() = 0;
    // True when the key is down or was pressed since the previous ask
    // (key events waiting in the queue are taken in first).
    virtual bool KeyPressed(int virtualKey) = 0;
    // The pointer's position on the screen.
    virtual QPoint CursorPos() = 0;
    // Puts the pointer at a point of the screen. No move event follows
    // from this alone: a caller that wants the move heard delivers it.
    virtual void SetCursorPos(QPoint screenPos) = 0;
};

// The interaction in force: the installed one, else the Qt implementation.
Interaction& Ui();
// The Qt implementation, whatever is installed.
Interaction& QtUi();

// Installs `interaction` (not owned); null goes back to the Qt implementation.
void InstallInteraction(Interaction* interaction);

// A yes/no question in a message box: true for Yes.
bool AskYesNoBox(const std::string& text, const std::string& caption);

}  // namespace winsys
