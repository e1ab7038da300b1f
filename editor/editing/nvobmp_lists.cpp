#include "editor/editing/nvobmp_lists.h"

#include "editor/shell/forms.h"
#include "editor/shell/paths.h"
#include "platform/winsys/latin1.h"

#include <QDir>
#include <QFileInfo>

#include <vector>

namespace {

constexpr int kPathRole = Qt::UserRole;

}  // namespace

DirListBox::DirListBox(QWidget* parent) : ListBox(parent)
{
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* line) {
        const std::string folder = FromQ(line->data(kPathRole).toString());
        RunEventProcedure([this, folder] { SetPath(folder); });
    });
}

bool DirListBox::SetPath(const std::string& path)
{
    const std::string folder = NormalizePath(path);
    const QFileInfo info(ToQ(folder));
    if (folder.empty() || !info.isDir() || !info.isReadable()) return false;
    const QString absolute = info.absoluteFilePath();
    Clear();
    // The folders from the root down to the path itself.
    std::vector<QString> chain;
    for (QDir up(absolute);; ) {
        chain.insert(chain.begin(), up.absolutePath());
        if (up.isRoot() || !up.cdUp()) break;
    }
    int depth = 0;
    auto addLine = [this](const QString& folder, const QString& shown, int indent) {
        auto* line = new QListWidgetItem(QString(indent * 2, QLatin1Char(' ')) + shown, this);
        line->setData(kPathRole, folder);
    };
    for (const QString& folder : chain) {
        const QString name = QFileInfo(folder).fileName();
        addLine(folder, name.isEmpty() ? folder : name, depth++);
    }
    const QDir inside(absolute);
    for (const QString& name : inside.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        addLine(inside.filePath(name), name, depth);
    const std::string before = path_;
    path_ = FromQ(absolute);
    if (path_ != before) Change.Raise();
    return true;
}

std::string DirListBox::LinePath(int index) const
{
    const QListWidgetItem* line = item(index);
    return line ? FromQ(line->data(kPathRole).toString()) : std::string();
}

FileListBox::FileListBox(QWidget* parent) : ListBox(parent) {}

void FileListBox::SetPath(const std::string& path)
{
    const std::string before = path_;
    path_ = NormalizePath(path);
    Refresh();
    if (path_ != before) PathChange.Raise();
}

void FileListBox::SetPattern(const std::string& pattern)
{
    pattern_ = pattern;
    Refresh();
}

void FileListBox::Refresh()
{
    Clear();
    if (path_.empty()) return;
    const QStringList patterns = ToQ(pattern_).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    const QDir folder(ToQ(path_));
    for (const QString& name : folder.entryList(patterns, QDir::Files, QDir::Name | QDir::IgnoreCase)) addItem(name);
}
