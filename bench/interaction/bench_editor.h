// The editor the interaction benchmarks run in: loaded as the host loads it
// over the design the benchmark put into the kernel, its canvas sized to
// width × height pixels and the view at `viewSize` units per pixel around
// the origin.
#pragma once

#include "editor/shell/clspalvane.h"
#include "editor/shell/forms.h"
#include "editor/shell/schmain.h"
#include "editor/view/canvas.h"

#include <QApplication>

#include <memory>

inline SCHMAIN& LoadBenchEditor(std::unique_ptr<clsPalvane>& link, int width, int height, int32_t viewSize)
{
    link = std::make_unique<clsPalvane>();
    int16_t mode = winstate::Normal;
    link->Load(mode);
    SCHMAIN& m = FormInstance<SCHMAIN>();
    m.LoadSettings();
    QWidget* window = m.ViewPicture->window();
    window->resize(window->width() + width - m.ViewPicture->ClientSize().width(),
                   window->height() + height - m.ViewPicture->ClientSize().height());
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    m.m_ViewSize = viewSize;
    m.m_ViewOrgX = 0;
    m.m_ViewOrgY = 0;
    return m;
}
