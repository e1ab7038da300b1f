#include "editor/shell/ribbon.h"

#include "editor/shell/errors.h"
#include "editor/shell/forms.h"
#include "platform/winsys/latin1.h"

#include <QImageReader>
#include <QMouseEvent>
#include <QSignalBlocker>

#include <cstdio>

RibbonButton::RibbonButton(QWidget* parent) : QToolButton(parent)
{
    setCheckable(true);
    // Raised when up, sunken when pressed.
    setAutoRaise(false);
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    // Moving over a button shows its help, so moves count without a button.
    setMouseTracking(true);
    connect(this, &QToolButton::clicked, this, [this] {
        if (!userChanged_) return;
        userChanged_ = false;
        RunEventProcedure(
            [this] {
                if (Value()) ReleaseGroup();
                Click.Raise(Value());
            },
            this);
    });
}

void RibbonButton::SetValue(bool value)
{
    if (value == Value()) return;
    {
        const QSignalBlocker block(this);
        setChecked(value);
    }
    if (value) ReleaseGroup();
    Click.Raise(value);
}

void RibbonButton::nextCheckState()
{
    // A pressed button of a radio group stays pressed when clicked.
    if (group_ != 0 && Value()) {
        userChanged_ = false;
        return;
    }
    const QSignalBlocker block(this);
    setChecked(!Value());
    userChanged_ = true;
}

void RibbonButton::ReleaseGroup()
{
    if (group_ == 0 || !parentWidget()) return;
    const auto siblings = parentWidget()->findChildren<RibbonButton*>(Qt::FindDirectChildrenOnly);
    for (RibbonButton* other : siblings)
        if (other != this && other->group_ == group_ && other->Value()) other->SetValue(false);
}

void RibbonButton::SetPicture(const QPixmap& picture)
{
    setIcon(QIcon(picture));
    if (!picture.isNull()) setIconSize(picture.size());
}

void RibbonButton::SetToolTipText(const std::string& text)
{
    setToolTip(ToQ(text));
}

void RibbonButton::mouseMoveEvent(QMouseEvent* event)
{
    QToolButton::mouseMoveEvent(event);
    RaiseMouseEvent(MouseMove, *event, this);
}

void RibbonButton::mouseReleaseEvent(QMouseEvent* event)
{
    // The press or release of the click has run its Click first.
    QToolButton::mouseReleaseEvent(event);
    RaiseMouseEvent(MouseUp, *event, this);
}

PictureClip::PictureClip(QObject* parent) : QObject(parent) {}

bool PictureClip::TakeGrid(QSize size, int rows, int cols)
{
    if (size.isEmpty() || rows <= 0 || cols <= 0 || size.width() % cols != 0 || size.height() % rows != 0) return false;
    size_ = size;
    rows_ = rows;
    cols_ = cols;
    return true;
}

bool PictureClip::Load(const QImage& strip, int rows, int cols)
{
    if (strip.isNull() || !TakeGrid(strip.size(), rows, cols)) return false;
    strip_ = strip;
    path_.clear();
    return true;
}

bool PictureClip::LoadFile(const QString& path, int rows, int cols)
{
    QImageReader reader(path);
    if (!reader.canRead() || !TakeGrid(reader.size(), rows, cols)) return false;
    strip_ = QImage();
    path_ = path;
    return true;
}

const QImage& PictureClip::Strip() const
{
    if (path_.isEmpty()) return strip_;
    strip_ = QImage(path_);
    if (strip_.size() != size_) {
        std::fprintf(stderr, "palvane: button pictures damaged: %s\n", path_.toLocal8Bit().constData());
        strip_ = QImage(size_, QImage::Format_ARGB32);
        strip_.fill(Qt::transparent);
    }
    path_.clear();
    return strip_;
}

QSize PictureClip::CellSize() const
{
    if (rows_ == 0 || cols_ == 0) return {};
    return {size_.width() / cols_, size_.height() / rows_};
}

QPixmap PictureClip::GraphicCell(int index) const
{
    if (index < 0 || index >= CellCount()) RaiseError(errnum::InvalidPropertyValue);
    const QSize cell = CellSize();
    const int x = (index % cols_) * cell.width();
    const int y = (index / cols_) * cell.height();
    return QPixmap::fromImage(Strip().copy(x, y, cell.width(), cell.height()));
}
