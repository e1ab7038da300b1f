// The canvas widget: a picture that the kernel draws into through a device
// handle, and that the window system shows.
//
// The canvas owns a backing image the size of its client area, registered
// as a winsys device whose handle never changes. On a resize the image is
// replaced only while no drawing context is open on it; otherwise it is
// replaced when the last context closes (the device's onDrawn, or a look
// from the event loop when nothing was drawn), and a paint is asked for.
// A canvas sized while its window is hidden hears no resize until the
// window shows: every paint first fits the image to the client area, so a
// picture drawn before the first show is drawn at its size and kept.
//
// Four operations are kept apart:
// - Expose (the window system shows the widget): the image is copied to the
//   screen; nothing else runs.
// - Invalidate: one Paint is scheduled, merged with any other pending one,
//   and runs from the event loop.
// - Refresh: Paint runs now, inside the caller.
// - RefreshArea: Paint runs now for a rectangle of the image only: the
//   device draws into a scratch image of the same size, told that only the
//   rectangle is drawn anew (winsys::Device::partOnly, so that the kernel
//   leaves out what cannot reach it), and the rectangle is then taken from
//   the scratch image; the rest of the image stays as it was.
// Closing the last drawing context schedules the pixels drawn to the screen.
//
// A canvas may have a frame (QFrame's styles); the client area, the image
// and the pointer coordinates are inside it.
#pragma once

#include "editor/shell/controls.h"
#include "editor/shell/event.h"

#include <QColor>
#include <QImage>
#include <QTimer>
#include <QFrame>

#include <cstdint>
#include <functional>

class Canvas : public QFrame {
    Q_OBJECT
public:
    explicit Canvas(QWidget* parent = nullptr);
    ~Canvas() override;

    // The device handle of the backing image (the kernel's hDC); the same
    // for the canvas's whole life.
    int32_t DeviceHandle() const { return device_; }
    const QImage& Image() const { return image_; }
    // The client area's size: the widget without its frame.
    QSize ClientSize() const { return contentsRect().size(); }

    // The colour a new or cleared image is filled with; setting it clears
    // the image (while no context is open).
    QColor BackColor() const { return backColor_; }
    void SetBackColor(const QColor& color);
    // Fills the image with the back colour (while no context is open).
    void Cls();

    void Invalidate();
    void Refresh();
    // Paints `area` (client pixels, clipped to the image) anew as Refresh
    // would paint it, leaving the rest of the image as it is. `onImage` runs
    // after the paint, drawing on the image itself before the area is taken
    // from the scratch image: what it draws stays outside the area only.
    // False, with nothing done, when a drawing context is open on the
    // canvas or its image waits to be replaced: the caller paints the whole
    // canvas then.
    bool RefreshArea(const QRect& area, const std::function<void()>& onImage = {});
    // True while RefreshArea's paint runs.
    bool PaintingArea() const { return areaPainting_; }
    // The bounding rectangle (client pixels) of what was drawn on the
    // picture over what was there, not in XOR, since ForgetPlainDrawn
    // (winsys::Device::plainDrawn); empty when nothing was.
    QRect PlainDrawn() const;
    void ForgetPlainDrawn();
    bool PaintPending() const { return paintTimer_.isActive(); }
    // True while a resize waits for the open drawing contexts to close.
    bool ImageReplacePending() const { return replacePending_; }

    // The canvas's paint procedure: draws the whole picture into the image.
    Event<> Paint;
    MouseEvent MouseDown;
    MouseEvent MouseMove;
    MouseEvent MouseUp;
    MouseEvent DblClick;
    // The client area changed size (the image follows as described above).
    Event<> Resize;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int OpenContexts() const;
    // Replaces the image by one of the widget's size when no context is
    // open; returns false (and remembers the wish) otherwise.
    bool FitImage();
    void OnContextsClosed(int x, int y, int width, int height);
    void ReplaceWaitingImage();
    void RunPendingPaint();

    QImage image_;
    // The image RefreshArea's paint draws into, kept for the next one, and
    // the area being painted.
    QImage scratch_;
    QRect area_;
    bool areaPainting_ = false;
    QColor backColor_ = Qt::white;
    int32_t device_ = 0;
    QTimer paintTimer_;
    QTimer replaceTimer_;
    bool replacePending_ = false;
};
