#include "editor/shell/shared_services.h"

#include "editor/shell/clspalvane.h"
#include "editor/shell/forms.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textnum.h"
#include "editor/shell/user_action.h"
#include "editor/view/canvas.h"
#include "platform/winsys/nested_runs.h"
#include "platform/winsys/printer.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <cmath>
#include <cstdlib>

std::string GetGridPinName(int32_t kind, int32_t id, int32_t entry)
{
    const std::string fallback = std::to_string(entry);
    int32_t symbol = id;
    if (kind == 1) {
        LayCompRec component{};
        if (L_ReadComponent(id, &component) == 0) return fallback;
        symbol = component.Symb;
    }
    S_SetCompLocation(0, 0, 0, 0);
    int32_t columns = 0;
    CheckedArray<std::string> labels;
    if (!ReadGridPinLabels(symbol, columns, labels)) return fallback;
    int32_t box[4] = {0, 0, 0, 0};
    if (S_FrameSymbolEntries(symbol, -1, box) == 0) box[0] = box[1] = box[2] = box[3] = 0;
    int32_t step[2] = {0, 0};
    MinEntryOffsets(symbol, box, step);
    SymbEntryRec record{};
    if (S_ReadEntry(symbol, entry, &record) == 0) return fallback;
    const int32_t column =
        step[0] == 0 ? 1 : ToLong((static_cast<double>(record.X) - box[0]) / step[0] + 1);
    const int32_t row = step[1] == 0 ? 1 : ToLong((static_cast<double>(box[3]) - record.Y) / step[1] + 1);
    if (row < 1 || row > labels.UBound() || column < 1 || column > columns) return fallback;
    return Trim(labels(row)) + std::to_string(column);
}

bool ReadGridPinLabels(int32_t symbol, int32_t& columns, CheckedArray<std::string>& labels)
{
    columns = 0;
    labels.Redim(0, 0);
    const int32_t index = OA_SearchMask(S_SymbolItemArray(symbol), 1, 4);
    if (index <= 0) return false;
    ItemRec item{};
    if (I_ReadItem(S_SymbolItem(symbol, index), &item) == 0 || item.Kind != 6) return false;
    CheckedArray<double> numbers;
    CheckedArray<std::string> fields;
    SplitFieldsTo(PtrToStr(item.Text), numbers, fields);
    const long count = ToLong(numbers(0));
    if (count < 3) return false;
    columns = ToLong(numbers(2));
    labels.Redim(0, count - 2);
    for (long k = 1; k <= count - 2; ++k) labels(k) = fields(k + 2);
    return true;
}

void MinEntryOffsets(int32_t symbol, const int32_t box[4], int32_t step[2])
{
    double columnStep = static_cast<double>(box[2]) - box[0];
    double rowStep = static_cast<double>(box[3]) - box[1];
    const int32_t count = OA_GetCount(S_SymbolEntryArray(symbol));
    for (int32_t k = 1; k <= count; ++k) {
        SymbEntryRec entry{};
        if (S_ReadEntry(symbol, k, &entry) == 0) continue;
        const double a = std::fabs(static_cast<double>(entry.X) - box[0]);
        const double b = std::fabs(static_cast<double>(box[3]) - entry.Y);
        if (a != 0 && a <= columnStep) columnStep = a;
        if (b != 0 && b <= rowStep) rowStep = b;
    }
    step[0] = ToLong(columnStep);
    step[1] = ToLong(rowStep);
}

void SplitFieldsTo(const std::string& text, CheckedArray<double>& numbers, CheckedArray<std::string>& fields)
{
    SplitInto(text, ',', fields, numbers);
}

int32_t FindEntryByName(int32_t kind, int32_t id, const std::string& name, EntryRec& record)
{
    const std::string wanted = Trim(name);
    for (int32_t k = 1;; ++k) {
        const int32_t result = kind == 1 ? C_ReadEntry(id, k, &record) : S_ReadEntry(id, k, &record);
        if (result == 0) return 0;
        if (result > 0 && Trim(PtrToStr(record.Name)) == wanted) return k;
    }
}

void WaitForFlag(bool& flag, const Form* dialog)
{
    flag = true;
    const auto shown = [dialog] { return !dialog || dialog->Visible(); };
    if (winsys::CloseRequested()) {
        // The application is closing: the dialog ends as its Cancel would.
        if (dialog) winsys::CancelWindow(dialog->Window());
        flag = false;
        return;
    }
    const ModalWait wait(dialog ? dialog->Window() : nullptr);
    winsys::NestedRun run([&flag, dialog] {
        if (dialog) winsys::CancelWindow(dialog->Window());
        flag = false;
    });
    while (flag && shown() && !QCoreApplication::closingDown())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
    flag = false;
}

bool HasPrinter()
{
    return winsys::Printer::Get().Installed();
}

void ClearPictureBox(Canvas& box)
{
    // The canvas clears its image in pixels; the kernel keeps its mapping
    // with its drawing context, so nothing else needs restoring.
    box.Cls();
}

void InitProgDir()
{
    g_ProgDir = Trim(g_SeverPath);
}
