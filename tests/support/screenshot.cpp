#include "tests/support/screenshot.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <cstdlib>

namespace palvane_test {

std::string ScreenshotDir()
{
    const char* configured = std::getenv("PALVANE_SCREENSHOT_DIR");
    const QString dir = configured && *configured ? QString::fromLocal8Bit(configured)
                                                  : QDir::current().absoluteFilePath("screenshots");
    QDir().mkpath(dir);
    return dir.toStdString();
}

namespace {

// The widget as its window shows it on the screen: the window's pixels,
// cut to the widget. QWidget::grab renders the widget afresh instead, and
// first delivers the move and resize events that any widget of the window
// (also a hidden one) still waits for; the editor answers a resize by
// painting the page again, which drops a drawn overlay such as a carried
// block's frame. A window that is not shown has no pixels of its own: it
// is rendered.
QPixmap ShownPicture(QWidget* widget)
{
    QWidget* window = widget->window();
    QScreen* screen = window->screen();
    if (!window->isVisible() || !widget->isVisible() || !screen) return widget->grab();
    const QPoint at = widget->mapTo(window, QPoint(0, 0));
    QPixmap picture = screen->grabWindow(window->winId(), at.x(), at.y(), widget->width(), widget->height());
    return picture.isNull() ? widget->grab() : picture;
}

}  // namespace

std::string SaveScreenshot(QWidget* widget, const std::string& name)
{
    if (!widget) return {};
    // What is waiting to be drawn reaches the window first.
    QCoreApplication::processEvents();
    const QPixmap picture = ShownPicture(widget);
    const QString path = QDir(QString::fromStdString(ScreenshotDir())).absoluteFilePath(QString::fromStdString(name) + ".png");
    if (picture.isNull() || !picture.save(path, "PNG")) return {};
    return path.toStdString();
}

std::string SaveScreenScreenshot(const std::string& name)
{
    QCoreApplication::processEvents();
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {};
    const QPixmap picture = screen->grabWindow(0);
    const QString path = QDir(QString::fromStdString(ScreenshotDir())).absoluteFilePath(QString::fromStdString(name) + ".png");
    if (picture.isNull() || !picture.save(path, "PNG")) return {};
    return path.toStdString();
}

std::string SaveMenuScreenshot(QMenu* menu, const std::string& name)
{
    if (!menu) return {};
    menu->popup(QPoint(0, 0));
    QCoreApplication::processEvents();
    const std::string path = SaveScreenshot(menu, name);
    menu->hide();
    QCoreApplication::processEvents();
    return path;
}

}  // namespace palvane_test
