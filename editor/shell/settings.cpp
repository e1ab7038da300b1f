#include "editor/shell/settings.h"

#include "editor/shell/numtext.h"
#include "editor/shell/paths.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/textfiles.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/latin1.h"
#include "platform/winsys/profile.h"

#include <QEvent>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>

std::string g_IniFile;
std::string g_JobDir;
std::string g_LibDir;
std::string g_SysDir;
std::string g_CadJobDir;
CheckedArray<std::string> g_DevLibs(0, 0);
CheckedArray<std::string> g_SchLibs(0, 0);
CheckedArray<std::string> g_LayLibs(0, 0);

CheckedArray<double> g_UnitFactor(0, 1);
CheckedArray<std::string> g_UnitSuffix(0, 1);
CheckedArray<std::string> g_UnitLongName(0, 1);
int32_t g_UnitIndex = 0;
int32_t g_DbUnitsPerMm = 0;
int32_t g_TextSizeIdx = 0;
int32_t g_TextPitch = 0;
int32_t g_ArrayCountX = 0;
int32_t g_ArrayCountY = 0;
int32_t g_ArrayStepX = 0;
int32_t g_ArrayStepY = 0;
int32_t g_CompAngle = 0;
double g_DegToRad = 0;
bool g_ShowPageOutline = false;
int32_t g_EntryDrawMode = 0;

namespace {

// The settings file as a Linux path, its name matched without regard to
// case when the exact name does not exist; empty when none is set. A file
// that was found is remembered for the g_IniFile value it was found for,
// so that the values read one after another do not search the disk again;
// a file not found yet is looked for at every read.
std::string SettingsPath()
{
    static std::string resolvedFor;
    static std::string resolved;
    if (!resolved.empty() && g_IniFile == resolvedFor) return resolved;
    const std::string trimmed = Trim(g_IniFile);
    if (trimmed.empty()) return {};
    std::string path = FindPathNoCase(NormalizePath(trimmed));
    if (QFileInfo::exists(ToQ(path))) {
        resolvedFor = g_IniFile;
        resolved = path;
    }
    return path;
}

// Reads the numbered keys "1", "2", ... of `section` into `list` until the
// first empty value.
void ReadNumberedList(const char* section, CheckedArray<std::string>& list)
{
    list.Redim(0, 0);
    for (long i = 1;; ++i) {
        std::string value;
        ReadIniString(section, std::to_string(i), "", value);
        if (value.empty()) break;
        list.RedimPreserve(i);
        list(i) = value;
    }
}

// The sizing border of SetWindowStyle: a small grip in the lower right
// corner of its window that resizes the window while it is dragged. It
// follows the corner when the window changes size by other means.
class SizingGrip : public QWidget {
public:
    static constexpr int kSize = 12;

    explicit SizingGrip(QWidget* window) : QWidget(window)
    {
        setObjectName("SizingBorder");
        setCursor(Qt::SizeFDiagCursor);
        resize(kSize, kSize);
        window->installEventFilter(this);
        Place();
        show();
        raise();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parentWidget() && event->type() == QEvent::Resize) Place();
        return false;
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(QPen(QColor(0x70, 0x70, 0x70), 1));
        for (int i = 3; i < kSize; i += 4) painter.drawLine(kSize - 1, i, i, kSize - 1);
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton) return;
        dragStart_ = event->globalPosition().toPoint();
        startSize_ = parentWidget()->size();
        dragging_ = true;
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!dragging_) return;
        const QPoint delta = event->globalPosition().toPoint() - dragStart_;
        QWidget* window = parentWidget();
        const QSize wanted = (startSize_ + QSize(delta.x(), delta.y()))
                                 .expandedTo(window->minimumSize())
                                 .expandedTo(QSize(2 * kSize, 2 * kSize));
        window->resize(wanted);
    }

    void mouseReleaseEvent(QMouseEvent*) override { dragging_ = false; }

private:
    void Place()
    {
        const QWidget* window = parentWidget();
        move(window->width() - width(), window->height() - height());
        raise();
    }

    QPoint dragStart_;
    QSize startSize_;
    bool dragging_ = false;
};

}  // namespace

void ReadIniString(const std::string& section, const std::string& key, const std::string& defaultValue,
                   std::string& result)
{
    g_CurFileName = g_IniFile;
    const int32_t count = winsys::GetPrivateProfileString(section, key, defaultValue, g_StrBuf,
                                                          static_cast<int32_t>(kStrBufSize), SettingsPath());
    result.assign(g_StrBuf, static_cast<size_t>(std::max(count, 0)));
}

void GetIniFileName()
{
    g_IniFile = PtrToStr(E_GetString("IniFile"));
}

void ReadDirSettings()
{
    ReadIniString("Norvo32", "JobDir", "\\Norvo32\\JOB", g_JobDir);
    ReadIniString("Norvo32", "LibDir", "\\Norvo32\\LIB", g_LibDir);
    ReadIniString("Norvo32", "SysDir", "\\Norvo32\\SYS", g_SysDir);
    ReadIniString("Norvo32", "UltoJobDir", "\\CADJOB", g_CadJobDir);
}

void ReadLibLists()
{
    ReadNumberedList("DEVLIBS", g_DevLibs);
    ReadNumberedList("SCHLIBS", g_SchLibs);
    ReadNumberedList("LAYLIBS", g_LayLibs);
}

void InitUnits()
{
    InitNumFormats();
    g_UnitFactor(0) = 1.0 / 25.4;
    g_UnitFactor(1) = 1.0;
    g_UnitSuffix(0) = "\"";
    g_UnitSuffix(1) = "mm";
    g_UnitIndex = 0;
    g_TextSizeIdx = 1;
    g_TextPitch = 30480;
    g_UnitLongName(0) = "inches";
    g_UnitLongName(1) = "millimeters";
    g_ArrayCountX = 1;
    g_ArrayCountY = 1;
    g_CompAngle = 0;
    g_ArrayStepX = 254000;
    g_ArrayStepY = 254000;
    g_DegToRad = 4.0 * std::atan(1.0) / 180.0;
    // The line separator is the constant g_CrLf (textnum.h).
    g_DbUnitsPerMm = 100000;
    g_ShowPageOutline = true;
    g_EntryDrawMode = 0;
}

void SetWindowStyle(QWidget* window, QWidget* /*insertAfter*/)
{
    if (!window || HasSizingBorder(window)) return;
    new SizingGrip(window);
}

bool HasSizingBorder(const QWidget* window)
{
    return window && window->findChild<QWidget*>("SizingBorder", Qt::FindDirectChildrenOnly) != nullptr;
}
