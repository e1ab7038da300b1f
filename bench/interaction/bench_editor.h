// The editor the benchmarks run in: loaded as the host loads it over the
// design the benchmark put into the kernel, its canvas sized to
// width × height pixels and the view at `viewSize` units per pixel around
// the origin.
//
// A benchmark program that uses it links bench_editor_main: its main makes
// the application, runs the benchmarks and releases the editor while the
// application, the kernel and the editor's own state still exist, in the
// order the host releases it. (An editor held in a function's static was
// unloaded by the static destructors after the kernel's and the editor's
// own statics were gone, and crashed on exit.)
#pragma once

#include "editor/shell/clspalvane.h"
#include "editor/shell/forms.h"
#include "editor/shell/schmain.h"
#include "editor/view/canvas.h"

#include <QApplication>

#include <memory>

// The loaded editor's link; empty until a benchmark loads it.
std::unique_ptr<clsPalvane>& BenchEditorLink();

inline bool BenchEditorLoaded()
{
    return BenchEditorLink() != nullptr;
}

// The editor loaded over the kernel's design with its settings read.
inline SCHMAIN& LoadBenchEditor()
{
    std::unique_ptr<clsPalvane>& link = BenchEditorLink();
    link = std::make_unique<clsPalvane>();
    int16_t mode = winstate::Normal;
    link->Load(mode);
    SCHMAIN& m = FormInstance<SCHMAIN>();
    m.LoadSettings();
    return m;
}

inline SCHMAIN& LoadBenchEditor(int width, int height, int32_t viewSize)
{
    SCHMAIN& m = LoadBenchEditor();
    QWidget* window = m.ViewPicture->window();
    window->resize(window->width() + width - m.ViewPicture->ClientSize().width(),
                   window->height() + height - m.ViewPicture->ClientSize().height());
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    m.m_ViewSize = viewSize;
    m.m_ViewOrgX = 0;
    m.m_ViewOrgY = 0;
    return m;
}
