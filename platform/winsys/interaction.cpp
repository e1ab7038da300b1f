#include "platform/winsys/interaction.h"

#include "platform/winsys/keyboard.h"
#include "platform/winsys/nested_runs.h"
#include "platform/winsys/latin1.h"
#include "platform/winsys/print_scale_dialog.h"
#include "platform/winsys/printer.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPageLayout>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QWidget>

namespace winsys {

namespace {

QMessageBox::StandardButton ButtonOfAnswer(int answer)
{
    switch (answer) {
    case mb::AnswerCancel: return QMessageBox::Cancel;
    case mb::AnswerAbort: return QMessageBox::Abort;
    case mb::AnswerRetry: return QMessageBox::Retry;
    case mb::AnswerIgnore: return QMessageBox::Ignore;
    case mb::AnswerYes: return QMessageBox::Yes;
    case mb::AnswerNo: return QMessageBox::No;
    default: return QMessageBox::Ok;
    }
}

// The answers of a button set, in the order the system numbers its buttons
// for the default-button bits.
std::vector<int> AnswersOfStyle(int style)
{
    switch (style & mb::ButtonsMask) {
    case mb::OkCancel: return {mb::AnswerOk, mb::AnswerCancel};
    case mb::AbortRetryIgnore: return {mb::AnswerAbort, mb::AnswerRetry, mb::AnswerIgnore};
    case mb::YesNoCancel: return {mb::AnswerYes, mb::AnswerNo, mb::AnswerCancel};
    case mb::YesNo: return {mb::AnswerYes, mb::AnswerNo};
    case mb::RetryCancel: return {mb::AnswerRetry, mb::AnswerCancel};
    default: return {mb::AnswerOk};
    }
}

// "Notes (*.txt)|*.txt|All files|*.*" as Qt name filters.
QStringList NameFilters(const std::string& filter)
{
    QStringList parts = ToQ(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // A description that shows its own patterns keeps them out of the
        // way of the real ones.
        description.remove(QRegularExpression("\\s*\\([^()]*\\)\\s*$"));
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(';', ' ');
        filters << QString("%1 (%2)").arg(description.isEmpty() ? patterns : description, patterns);
    }
    return filters;
}

// The answer of a message box closed without a choice: Cancel or No where
// the box has one, else its first button.
int CancelAnswer(const std::vector<int>& answers)
{
    for (int a : answers)
        if (a == mb::AnswerCancel || a == mb::AnswerNo) return a;
    return answers.front();
}

// Runs a dialog's exec as a nested run that a close request rejects;
// false when the dialog was not accepted (or not shown, the application
// closing).
bool ExecDialog(QDialog& dialog)
{
    if (CloseRequested()) return false;
    NestedRun run([&dialog] { dialog.reject(); });
    const int result = dialog.exec();
    return result == QDialog::Accepted && !run.Cancelled();
}

class QtInteraction : public Interaction {
public:
    int MessageBox(const std::string& text, const std::string& caption, int style) override
    {
        const std::vector<int> answers = AnswersOfStyle(style);
        if (CloseRequested()) return CancelAnswer(answers);
        QMessageBox box(QApplication::activeWindow());
        box.setText(ToQ(text));
        box.setWindowTitle(ToQ(caption));
        switch (style & mb::IconMask) {
        case mb::Critical: box.setIcon(QMessageBox::Critical); break;
        case mb::Question: box.setIcon(QMessageBox::Question); break;
        case mb::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case mb::Information: box.setIcon(QMessageBox::Information); break;
        default: break;
        }
        QMessageBox::StandardButtons buttons;
        for (int a : answers) buttons |= ButtonOfAnswer(a);
        box.setStandardButtons(buttons);
        const size_t defaultIndex = static_cast<size_t>((style & mb::DefaultButtonMask) >> 8);
        if (defaultIndex < answers.size()) box.setDefaultButton(ButtonOfAnswer(answers[defaultIndex]));
        NestedRun run([&box] { box.reject(); });
        const int clicked = box.exec();
        if (run.Cancelled()) return CancelAnswer(answers);
        for (int a : answers)
            if (clicked == ButtonOfAnswer(a)) return a;
        // Closed with Escape or the window's close button.
        return CancelAnswer(answers);
    }

    bool InputBox(const InputBoxRequest& request, std::string& answer) override
    {
        QInputDialog dialog(QApplication::activeWindow());
        dialog.setWindowTitle(ToQ(request.title));
        dialog.setLabelText(ToQ(request.prompt));
        dialog.setTextValue(ToQ(request.defaultText));
        if (request.x >= 0 && request.y >= 0) dialog.move(request.x, request.y);
        if (!ExecDialog(dialog)) return false;
        answer = FromQ(dialog.textValue());
        return true;
    }

    void PopupMenu(QMenu* menu, QPoint screenPos) override
    {
        if (!menu || CloseRequested()) return;
        QPointer<QMenu> guard(menu);
        NestedRun run([guard] {
            if (guard) guard->close();
        });
        menu->exec(screenPos);
    }

    bool FileDialog(FileDialogRequest& request) override
    {
        QFileDialog dialog(QApplication::activeWindow(), ToQ(request.title), ToQ(request.initDir));
        dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        if (request.save)
            dialog.setFileMode(QFileDialog::AnyFile);
        else if (request.flags & ofn::AllowMultiselect)
            dialog.setFileMode(QFileDialog::ExistingFiles);
        else if (request.flags & ofn::FileMustExist)
            dialog.setFileMode(QFileDialog::ExistingFile);
        else
            dialog.setFileMode(QFileDialog::AnyFile);
        if (request.save && !(request.flags & ofn::OverwritePrompt))
            dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        const QStringList filters = NameFilters(request.filter);
        if (!filters.isEmpty()) {
            dialog.setNameFilters(filters);
            const int index = request.filterIndex >= 1 && request.filterIndex <= filters.size() ? request.filterIndex : 1;
            dialog.selectNameFilter(filters[index - 1]);
        }
        if (!request.defaultExt.empty()) dialog.setDefaultSuffix(ToQ(request.defaultExt));
        if (!request.fileName.empty()) dialog.selectFile(ToQ(request.fileName));
        if (!ExecDialog(dialog) || dialog.selectedFiles().isEmpty()) return false;
        request.fileName = FromQ(dialog.selectedFiles().front());
        const qsizetype chosen = filters.indexOf(dialog.selectedNameFilter());
        if (chosen >= 0) request.filterIndex = static_cast<int>(chosen) + 1;
        return true;
    }

    bool PrinterSetup(PrinterSetupRequest& request) override
    {
        // The dialog works on the one printer of the process, so what the
        // user chooses there stays chosen.
        QPrinter& printer = Printer::Get().Qt();
        printer.setPageOrientation(request.orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
        printer.setCopyCount(request.copies > 0 ? request.copies : 1);
        if (!request.outputFile.empty()) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(ToQ(request.outputFile));
        }
        QPrintDialog dialog(&printer, QApplication::activeWindow());
        QAbstractPrintDialog::PrintDialogOptions options = dialog.options();
        if (request.flags & 0x4) options &= ~QAbstractPrintDialog::PrintSelection;
        if (request.flags & 0x8) options &= ~QAbstractPrintDialog::PrintPageRange;
        dialog.setOptions(options);
        if (!ExecDialog(dialog)) return false;
        request.orientation = printer.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
        request.copies = printer.copyCount();
        request.printerName = FromQ(printer.printerName());
        request.outputFile = printer.outputFormat() == QPrinter::PdfFormat ? FromQ(printer.outputFileName()) : "";
        return true;
    }

    bool PrintScaleSetup(PrintScaleRequest& request) override
    {
        PrintScaleDialog dialog(request, QApplication::activeWindow());
        if (!ExecDialog(dialog)) return false;
        request = dialog.Result();
        return true;
    }

    void ShowModal(QWidget* window) override
    {
        if (!window) return;
        QPointer<QWidget> guard(window);
        // While the application closes a window is not shown: it ends at
        // once, as its Cancel would.
        if (CloseRequested()) {
            CancelWindow(window);
            return;
        }
        window->setWindowModality(Qt::ApplicationModal);
        window->show();
        {
            NestedRun run([guard] { CancelWindow(guard); });
            // Wait until the window is hidden, closed or destroyed.
            QEventLoop loop;
            while (guard && guard->isVisible()) loop.processEvents(QEventLoop::WaitForMoreEvents);
        }
        if (guard) guard->setWindowModality(Qt::NonModal);
    }

    void ShowAndWait(QWidget* window, bool& waiting) override
    {
        waiting = true;
        if (!window) {
            waiting = false;
            return;
        }
        QPointer<QWidget> guard(window);
        if (CloseRequested()) {
            CancelWindow(window);
            waiting = false;
            return;
        }
        window->show();
        window->raise();
        NestedRun run([guard, &waiting] {
            CancelWindow(guard);
            waiting = false;
        });
        while (waiting && guard && guard->isVisible() && !QCoreApplication::closingDown())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
        waiting = false;
    }

    void Beep() override { QApplication::beep(); }

    bool KeyPressed(int virtualKey) override { return KeyPressedSinceLastAsk(virtualKey); }

    QPoint CursorPos() override { return QCursor::pos(); }
    void SetCursorPos(QPoint screenPos) override { QCursor::setPos(screenPos); }
};

Interaction* g_installed = nullptr;

}  // namespace

Interaction& QtUi()
{
    static QtInteraction qt;
    return qt;
}

Interaction& Ui()
{
    return g_installed ? *g_installed : QtUi();
}

void InstallInteraction(Interaction* interaction)
{
    g_installed = interaction;
}

bool AskYesNoBox(const std::string& text, const std::string& caption)
{
    return Ui().MessageBox(text, caption, mb::YesNo | mb::Question) == mb::AnswerYes;
}

}  // namespace winsys
