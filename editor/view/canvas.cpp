#include "editor/view/canvas.h"

#include "editor/shell/forms.h"
#include "platform/winsys/devices.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScopeGuard>

#include <algorithm>
#include <cstring>

namespace {

// The kernel draws XOR figures with raster operations, which this format
// supports exactly.
constexpr QImage::Format kImageFormat = QImage::Format_RGB32;
constexpr int kReplaceRetryMs = 15;

// Copies the pixels of `part` from one image to another of the same size
// and format.
void CopyPart(const QImage& from, QImage& to, const QRect& part)
{
    if (part.isEmpty()) return;
    const qsizetype bytes = qsizetype{part.width()} * 4;
    for (int y = part.top(); y <= part.bottom(); ++y)
        std::memcpy(to.scanLine(y) + qsizetype{part.left()} * 4, from.constScanLine(y) + qsizetype{part.left()} * 4,
                    static_cast<size_t>(bytes));
}

}  // namespace

Canvas::Canvas(QWidget* parent) : QFrame(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    image_ = QImage(std::max(1, ClientSize().width()), std::max(1, ClientSize().height()), kImageFormat);
    image_.fill(backColor_);

    winsys::Device device;
    device.kind = winsys::DeviceKind::Image;
    device.surface = &image_;
    device.image = &image_;
    device.onDrawn = [this](int x, int y, int w, int h) { OnContextsClosed(x, y, w, h); };
    device_ = winsys::RegisterDevice(device);

    paintTimer_.setSingleShot(true);
    paintTimer_.setInterval(0);
    connect(&paintTimer_, &QTimer::timeout, this, [this] { RunPendingPaint(); });
    // A context that closes without drawing calls no onDrawn; a waiting
    // replacement looks again from the event loop.
    replaceTimer_.setInterval(kReplaceRetryMs);
    connect(&replaceTimer_, &QTimer::timeout, this, [this] {
        if (OpenContexts() == 0) ReplaceWaitingImage();
    });
}

Canvas::~Canvas()
{
    winsys::UnregisterDevice(device_);
}

int Canvas::OpenContexts() const
{
    const winsys::Device* device = winsys::FindDevice(device_);
    return device ? device->openContexts : 0;
}

void Canvas::SetBackColor(const QColor& color)
{
    // As with a picture that keeps its drawing, a new back colour clears it.
    backColor_ = color;
    Cls();
}

void Canvas::Cls()
{
    if (OpenContexts() > 0) return;
    if (areaPainting_) {
        // Only the area is painted anew: only its pixels start blank.
        const quint32 back = backColor_.rgb();
        for (int y = area_.top(); y <= area_.bottom(); ++y) {
            auto* row = reinterpret_cast<quint32*>(scratch_.scanLine(y));
            std::fill(row + area_.left(), row + area_.right() + 1, back);
        }
        return;
    }
    image_.fill(backColor_);
    update();
}

void Canvas::Invalidate()
{
    // However often it is asked, one paint runs at the next turn of the
    // event loop.
    if (!paintTimer_.isActive()) paintTimer_.start();
}

void Canvas::Refresh()
{
    paintTimer_.stop();
    // A canvas laid out while its window is hidden hears of its size only
    // when the window shows; the picture is drawn for the size it has now.
    FitImage();
    Paint.Raise();
    update();
}

bool Canvas::RefreshArea(const QRect& area, const std::function<void()>& onImage)
{
    if (areaPainting_ || !FitImage() || OpenContexts() > 0) return false;
    winsys::Device* device = winsys::FindDevice(device_);
    if (!device) return false;
    paintTimer_.stop();
    const QRect part = area & image_.rect();
    if (scratch_.size() != image_.size()) scratch_ = QImage(image_.size(), kImageFormat);
    // A paint that draws nothing (a paint turned away) leaves the area as
    // it was.
    CopyPart(image_, scratch_, part);
    device->surface = &scratch_;
    device->image = &scratch_;
    device->partOnly = true;
    device->part = {part.x(), part.y(), part.width(), part.height()};
    area_ = part;
    areaPainting_ = true;
    {
        auto restore = qScopeGuard([&] {
            areaPainting_ = false;
            if (winsys::Device* d = winsys::FindDevice(device_)) {
                d->surface = &image_;
                d->image = &image_;
                d->partOnly = false;
                d->part = {};
            }
        });
        Paint.Raise();
    }
    if (OpenContexts() == 0) {
        if (onImage) onImage();
        CopyPart(scratch_, image_, part);
    } else {
        // A context the paint left open draws on the scratch image still:
        // the whole picture is painted again from the event loop.
        Invalidate();
    }
    if (!part.isEmpty()) update(part.translated(contentsRect().topLeft()));
    return true;
}

QRect Canvas::PlainDrawn() const
{
    const winsys::Device* device = winsys::FindDevice(device_);
    if (!device) return {};
    const winsys::Device::Rect& r = device->plainDrawn;
    return QRect(r.x, r.y, r.width, r.height);
}

void Canvas::ForgetPlainDrawn()
{
    if (winsys::Device* device = winsys::FindDevice(device_)) device->plainDrawn = {};
}

void Canvas::RunPendingPaint()
{
    FitImage();
    RunWindowProcedure([this] { Paint.Raise(); });
    update();
}

bool Canvas::FitImage()
{
    const QSize wanted(std::max(1, ClientSize().width()), std::max(1, ClientSize().height()));
    if (image_.size() == wanted) {
        replacePending_ = false;
        replaceTimer_.stop();
        return true;
    }
    if (OpenContexts() > 0) {
        replacePending_ = true;
        if (!replaceTimer_.isActive()) replaceTimer_.start();
        return false;
    }
    // The same QImage object keeps its address, so the registered device
    // stays valid; what was drawn stays where it was until the next paint.
    QImage replacement(wanted, kImageFormat);
    replacement.fill(backColor_);
    {
        QPainter painter(&replacement);
        painter.drawImage(0, 0, image_);
    }
    image_ = std::move(replacement);
    replacePending_ = false;
    replaceTimer_.stop();
    return true;
}

void Canvas::ReplaceWaitingImage()
{
    if (replacePending_ && FitImage()) {
        // The picture was drawn for the old size; it is drawn again.
        update();
        Invalidate();
    }
}

void Canvas::OnContextsClosed(int x, int y, int width, int height)
{
    // While an area is painted, only the area is taken from what is drawn.
    QRect drawn(x, y, width, height);
    if (areaPainting_) drawn &= area_;
    if (!drawn.isEmpty()) update(drawn.translated(contentsRect().topLeft()));
    if (OpenContexts() == 0) ReplaceWaitingImage();
}

void Canvas::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QPoint origin = contentsRect().topLeft();
    const QRect area = event->rect().intersected(contentsRect());
    const QRect imageArea = image_.rect().translated(origin);
    const QRect fromImage = area.intersected(imageArea);
    if (!fromImage.isEmpty()) painter.drawImage(fromImage.topLeft(), image_, fromImage.translated(-origin));
    // While the image waits to be replaced it may be smaller than the area.
    const QRegion rest = QRegion(area).subtracted(QRegion(imageArea));
    for (const QRect& r : rest) painter.fillRect(r, backColor_);
    if (frameShape() != QFrame::NoFrame) drawFrame(&painter);
}

bool Canvas::event(QEvent* event)
{
    const bool handled = QFrame::event(event);
    // A new frame changes the client area without a resize.
    if (event->type() == QEvent::ContentsRectChange) FitImage();
    return handled;
}

void Canvas::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    FitImage();
    RunWindowProcedure([this] { Resize.Raise(); });
}

void Canvas::mousePressEvent(QMouseEvent* event)
{
    RaiseMouseEvent(MouseDown, *event, this, QPointF(contentsRect().topLeft()));
}

void Canvas::mouseMoveEvent(QMouseEvent* event)
{
    RaiseMouseEvent(MouseMove, *event, this, QPointF(contentsRect().topLeft()));
}

void Canvas::mouseReleaseEvent(QMouseEvent* event)
{
    RaiseMouseEvent(MouseUp, *event, this, QPointF(contentsRect().topLeft()));
}

void Canvas::mouseDoubleClickEvent(QMouseEvent* event)
{
    RaiseMouseEvent(DblClick, *event, this, QPointF(contentsRect().topLeft()));
}
