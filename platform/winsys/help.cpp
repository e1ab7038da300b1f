#include "platform/winsys/help.h"

#include "platform/winsys/latin1.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

namespace winsys {

namespace {

struct Topic {
    int32_t number = 0;
    std::string title;
    std::vector<std::string> lines;
};

struct Book {
    QString path;
    QDateTime modified;
    std::string title = "Help";
    std::vector<int64_t> blocks;
    std::map<int32_t, Topic> topics;
    std::string error;  // why the book cannot be read; empty when it can
};

// The book file for a help file path (see help.h); empty when none exists.
QString BookPath(const std::string& helpFile)
{
    const QString path = QString::fromLocal8Bit(helpFile.c_str());
    const QFileInfo named(path);
    if (named.isFile()) return named.absoluteFilePath();
    const QDir helpDir(named.absolutePath() + "/help");
    if (!helpDir.exists()) return {};
    const QString stem = named.completeBaseName();
    QStringList candidates = helpDir.entryList(QDir::Files, QDir::Name);
    // A ".txt" book first, then any other.
    std::stable_partition(candidates.begin(), candidates.end(),
                          [](const QString& name) { return name.endsWith(".txt", Qt::CaseInsensitive); });
    for (const QString& name : candidates)
        if (QFileInfo(name).completeBaseName().compare(stem, Qt::CaseInsensitive) == 0)
            return helpDir.absoluteFilePath(name);
    return {};
}

std::string TrimText(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool ParseBook(const QString& path, Book& book)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        book.error = "the file cannot be opened (" + FromQ(file.errorString()) + ")";
        return false;
    }
    const QByteArray content = file.readAll();
    std::string text(content.constData(), static_cast<size_t>(content.size()));
    Topic* current = nullptr;
    size_t start = 0;
    int lineNumber = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '#') continue;
        if (line.rfind("@title ", 0) == 0) {
            book.title = TrimText(line.substr(7));
        } else if (line.rfind("@blocks", 0) == 0) {
            book.blocks.clear();
            const QStringList sizes = ToQ(line.substr(7)).split(' ', Qt::SkipEmptyParts);
            for (const QString& size : sizes) {
                bool ok = false;
                const qlonglong value = size.toLongLong(&ok);
                if (!ok || value < 1) {
                    book.error = "line " + std::to_string(lineNumber) + ": block sizes must be whole numbers above 0";
                    return false;
                }
                book.blocks.push_back(value);
            }
        } else if (line.rfind("@topic ", 0) == 0) {
            const std::string rest = TrimText(line.substr(7));
            const size_t blank = rest.find(' ');
            bool ok = false;
            const int number = ToQ(rest.substr(0, blank)).toInt(&ok);
            if (!ok || number < 1) {
                book.error = "line " + std::to_string(lineNumber) + ": a topic needs a number above 0";
                return false;
            }
            current = &book.topics[number];
            current->number = number;
            current->title = blank == std::string::npos ? std::string() : TrimText(rest.substr(blank + 1));
            current->lines.clear();
        } else if (current) {
            current->lines.push_back(line);
        }
        if (end == text.size()) break;
    }
    return true;
}

// The book of a help file, read again when its file has changed.
const Book& LoadBook(const std::string& helpFile)
{
    static std::map<QString, Book> books;
    static Book missing;
    const QString path = BookPath(helpFile);
    if (path.isEmpty()) {
        missing = Book{};
        missing.error = "no help book was found for " + helpFile;
        return missing;
    }
    const QDateTime modified = QFileInfo(path).lastModified();
    Book& book = books[path];
    if (book.path != path || book.modified != modified) {
        book = Book{};
        book.path = path;
        book.modified = modified;
        if (!ParseBook(path, book)) book.topics.clear();
    }
    return book;
}

// The topic above `number` in the book's block layout, 0 for a topic of the
// first level (or a book without a layout).
int32_t ParentTopic(const Book& book, int32_t number)
{
    int64_t start = 1;
    int32_t parent = 0;
    for (const int64_t size : book.blocks) {
        if (number < start) return parent;
        const int64_t blockStart = start + ((number - start) / size) * size;
        if (number == blockStart) return parent;
        parent = static_cast<int32_t>(blockStart);
        start = blockStart + 1;
    }
    return parent;
}

QString Escape(const std::string& text)
{
    return ToQ(text).toHtmlEscaped();
}

// One line of topic text as HTML, with its links.
QString InlineHtml(const Book& book, const std::string& text)
{
    QString html;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t open = text.find("[[", pos);
        const size_t close = open == std::string::npos ? std::string::npos : text.find("]]", open + 2);
        if (close == std::string::npos) {
            html += Escape(text.substr(pos));
            break;
        }
        html += Escape(text.substr(pos, open - pos));
        const std::string link = text.substr(open + 2, close - open - 2);
        const size_t bar = link.find('|');
        bool ok = false;
        const int target = ToQ(link.substr(0, bar)).trimmed().toInt(&ok);
        std::string label = bar == std::string::npos ? std::string() : link.substr(bar + 1);
        if (label.empty() && ok) {
            const auto found = book.topics.find(target);
            label = found != book.topics.end() ? found->second.title : "topic " + std::to_string(target);
        }
        if (ok)
            html += QString("<a href=\"topic:%1\">%2</a>").arg(target).arg(Escape(label));
        else
            html += Escape(text.substr(open, close + 2 - open));
        pos = close + 2;
    }
    // "**" pairs mark bold text.
    for (qsizetype open = html.indexOf("**"); open >= 0; open = html.indexOf("**", open)) {
        const qsizetype close = html.indexOf("**", open + 2);
        if (close < 0) break;
        html.replace(close, 2, "</b>");
        html.replace(open, 2, "<b>");
        open = close + 5;
    }
    return html;
}

QString TopicHtml(const Book& book, const Topic& topic)
{
    QString html = "<h2>" + Escape(topic.title) + "</h2>";
    QString paragraph;
    QStringList items;
    auto flushParagraph = [&] {
        if (!paragraph.isEmpty()) html += "<p>" + paragraph + "</p>";
        paragraph.clear();
    };
    auto flushList = [&] {
        if (items.isEmpty()) return;
        html += "<ul>";
        for (const QString& item : items) html += "<li>" + item + "</li>";
        html += "</ul>";
        items.clear();
    };
    for (const std::string& line : topic.lines) {
        const std::string trimmed = TrimText(line);
        if (trimmed.empty()) {
            flushParagraph();
            flushList();
        } else if (line.rfind("- ", 0) == 0) {
            flushParagraph();
            items << InlineHtml(book, TrimText(line.substr(2)));
        } else if (!items.isEmpty() && line.rfind("  ", 0) == 0) {
            items.last() += " " + InlineHtml(book, trimmed);
        } else {
            flushList();
            if (!paragraph.isEmpty()) paragraph += " ";
            paragraph += InlineHtml(book, trimmed);
        }
    }
    flushParagraph();
    flushList();
    return html;
}

QString ContentsHtml(const Book& book)
{
    // The topics by levels: each under the nearest topic above it that the
    // book has.
    std::map<int32_t, std::vector<int32_t>> children;
    for (const auto& [number, topic] : book.topics) {
        int32_t parent = ParentTopic(book, number);
        while (parent != 0 && !book.topics.count(parent)) parent = ParentTopic(book, parent);
        children[parent].push_back(number);
    }
    QString html = "<h2>" + Escape(book.title) + "</h2>";
    std::function<void(int32_t)> list = [&](int32_t parent) {
        const auto found = children.find(parent);
        if (found == children.end()) return;
        html += "<ul>";
        for (int32_t number : found->second) {
            html += QString("<li><a href=\"topic:%1\">%2</a>").arg(number).arg(Escape(book.topics.at(number).title));
            list(number);
            html += "</li>";
        }
        html += "</ul>";
    };
    list(0);
    return html;
}

class HelpViewer : public QWidget {
public:
    HelpViewer()
    {
        setObjectName("HelpWindow");
        setWindowFlag(Qt::Window, true);
        auto* layout = new QVBoxLayout(this);
        auto* buttons = new QHBoxLayout;
        contents_ = new QPushButton("&Contents", this);
        back_ = new QPushButton("&Back", this);
        buttons->addWidget(contents_);
        buttons->addWidget(back_);
        buttons->addStretch();
        layout->addLayout(buttons);
        browser_ = new QTextBrowser(this);
        browser_->setObjectName("HelpText");
        browser_->setOpenLinks(false);
        layout->addWidget(browser_);
        resize(460, 560);
        connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
            if (url.scheme() == "topic") {
                history_.push_back(topic_);
                Show(url.path().toInt());
            }
        });
        connect(contents_, &QPushButton::clicked, this, [this] {
            history_.push_back(topic_);
            ShowContents();
        });
        connect(back_, &QPushButton::clicked, this, [this] {
            if (history_.empty()) return;
            const int32_t previous = history_.back();
            history_.pop_back();
            if (previous == 0)
                ShowContents();
            else
                Show(previous);
        });
    }

    void SetBook(const std::string& helpFile)
    {
        if (helpFile != helpFile_) history_.clear();
        helpFile_ = helpFile;
    }

    int32_t Show(int32_t number)
    {
        const Book& book = LoadBook(helpFile_);
        topic_ = 0;
        if (!book.error.empty()) {
            SetPage("Help", "<h2>Help</h2><p>The help cannot be shown: " + Escape(book.error) + ".</p>");
            return 0;
        }
        int32_t shown = number;
        while (shown > 0 && !book.topics.count(shown)) shown = ParentTopic(book, shown);
        if (shown <= 0) {
            SetPage(ToQ(book.title), "<h2>" + Escape(book.title) + "</h2><p>There is no help for topic " +
                                         QString::number(number) + ".</p>");
            return 0;
        }
        const Topic& topic = book.topics.at(shown);
        topic_ = shown;
        SetPage(ToQ(book.title + " - " + topic.title), TopicHtml(book, topic));
        return shown;
    }

    bool ShowContents()
    {
        const Book& book = LoadBook(helpFile_);
        topic_ = 0;
        if (!book.error.empty()) {
            SetPage("Help", "<h2>Help</h2><p>The help cannot be shown: " + Escape(book.error) + ".</p>");
            return false;
        }
        SetPage(ToQ(book.title), ContentsHtml(book));
        return true;
    }

    int32_t ShownTopic() const { return topic_; }

private:
    void SetPage(const QString& title, const QString& html)
    {
        setWindowTitle(title);
        browser_->setHtml(html);
        back_->setEnabled(!history_.empty());
        if (!isVisible()) show();
        raise();
    }

    QTextBrowser* browser_ = nullptr;
    QPushButton* contents_ = nullptr;
    QPushButton* back_ = nullptr;
    std::string helpFile_;
    std::vector<int32_t> history_;
    int32_t topic_ = 0;
};

QPointer<HelpViewer>& Viewer()
{
    static QPointer<HelpViewer> viewer;
    return viewer;
}

void DestroyViewer()
{
    delete Viewer().data();
}

HelpViewer& EnsureViewer()
{
    if (!Viewer()) {
        static const bool cleanupRegistered = [] {
            // The window must go while the application object still exists.
            qAddPostRoutine(&DestroyViewer);
            return true;
        }();
        (void)cleanupRegistered;
        Viewer() = new HelpViewer;
    }
    return *Viewer();
}

}  // namespace

int32_t ShowHelpTopic(const std::string& helpFile, int32_t topic)
{
    HelpViewer& viewer = EnsureViewer();
    viewer.SetBook(helpFile);
    return viewer.Show(topic);
}

bool ShowHelpContents(const std::string& helpFile)
{
    HelpViewer& viewer = EnsureViewer();
    viewer.SetBook(helpFile);
    return viewer.ShowContents();
}

void PlaceHelpWindow(int left, int top, int width, int height, int state)
{
    HelpViewer* viewer = Viewer();
    if (!viewer) return;
    QScreen* screen = viewer->screen() ? viewer->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const auto scale = [](int value, int extent) { return static_cast<int>(static_cast<int64_t>(value) * extent / 1024); };
    viewer->setGeometry(area.x() + scale(left, area.width()), area.y() + scale(top, area.height()),
                        std::max(1, scale(width, area.width())), std::max(1, scale(height, area.height())));
    if (state == 2)
        viewer->showMinimized();
    else if (state == 3)
        viewer->showMaximized();
    else
        viewer->showNormal();
}

void CloseHelpWindow()
{
    if (HelpViewer* viewer = Viewer()) {
        viewer->hide();
        viewer->deleteLater();
        Viewer() = nullptr;
    }
}

QWidget* HelpWindow()
{
    return Viewer();
}

int32_t HelpWindowTopic()
{
    return Viewer() ? Viewer()->ShownTopic() : 0;
}

}  // namespace winsys
