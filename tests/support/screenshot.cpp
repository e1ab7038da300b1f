#include "tests/support/screenshot.h"

#include <QCoreApplication>
#include <QDir>
#include <QMenu>
#include <QPixmap>
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

std::string SaveScreenshot(QWidget* widget, const std::string& name)
{
    if (!widget) return {};
    QCoreApplication::processEvents();
    const QPixmap picture = widget->grab();
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
