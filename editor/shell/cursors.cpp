#include "editor/shell/cursors.h"

#include "editor/shell/platform_calls.h"

#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <QWidget>

#include <vector>

std::array<int32_t, 2> g_Cursors{};

namespace {

// The windows given a kernel cursor, so that freeing it can take it back.
// The list outlives every static object: a window unloaded while the
// program's statics are destroyed (an editor held in a static) still sets
// its cursor back.
std::vector<QPointer<QWidget>>& CursorWindows()
{
    static auto* windows = new std::vector<QPointer<QWidget>>;
    return *windows;
}

}  // namespace

void SetClassCursor(QWidget* window, int32_t cursor)
{
    if (!window) return;
    if (cursor != 0 && cursor == g_Cursors[0]) {
        window->setCursor(Qt::CrossCursor);
    } else if (cursor != 0 && cursor == g_Cursors[1]) {
        window->setCursor(Qt::SizeAllCursor);
    } else {
        window->unsetCursor();
        return;
    }
    auto& windows = CursorWindows();
    for (const auto& known : windows)
        if (known == window) return;
    windows.emplace_back(window);
}

void SetFormCursor(QWidget* control, int32_t flag)
{
    SetClassCursor(control, g_Cursors[flag != 0 ? 0 : 1]);
}

void FreeCursors()
{
    for (const auto& window : CursorWindows())
        if (window) window->unsetCursor();
    CursorWindows().clear();
    for (int32_t& cursor : g_Cursors) cursor = G_DelCur(cursor);
}
