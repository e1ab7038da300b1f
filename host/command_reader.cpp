#include "host/command_reader.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CommandReader::CommandReader(Receiver receiver, int fd) : receiver_(std::move(receiver)), fd_(fd) {}

CommandReader::~CommandReader() = default;

void CommandReader::Start()
{
    struct stat st {};
    if (fstat(fd_, &st) != 0) return;
    if (S_ISREG(st.st_mode)) {
        // A file never blocks and is always "readable": take it whole.
        char buffer[65536];
        for (;;) {
            const ssize_t n = read(fd_, buffer, sizeof buffer);
            if (n <= 0) break;
            pending_.append(buffer, static_cast<size_t>(n));
        }
        TakeLines(true);
        return;
    }
    const int flags = fcntl(fd_, F_GETFL);
    if (flags >= 0) fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { ReadAvailable(); });
}

void CommandReader::Stop()
{
    notifier_.reset();
    lines_.clear();
}

void CommandReader::ReadAvailable()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            pending_.append(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            TakeLines(false);
            return;
        }
        if (n < 0 && errno == EINTR) continue;
        // End of input (or a read error): stop reading; the editor goes on.
        notifier_.reset();
        TakeLines(true);
        return;
    }
}

void CommandReader::TakeLines(bool endOfInput)
{
    size_t start = 0;
    for (size_t nl; (nl = pending_.find('\n', start)) != std::string::npos; start = nl + 1)
        lines_.push_back(pending_.substr(start, nl - start));
    pending_.erase(0, start);
    if (endOfInput && !pending_.empty()) {
        lines_.push_back(pending_);
        pending_.clear();
    }
    Schedule();
}

void CommandReader::Schedule()
{
    if (scheduled_ || lines_.empty()) return;
    scheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        scheduled_ = false;
        DeliverNext();
    });
}

void CommandReader::DeliverNext()
{
    // One command at a time: a command that runs the event loop (a dialog,
    // a long operation) finishes before the next one starts.
    if (delivering_ || lines_.empty()) return;
    std::string line = std::move(lines_.front());
    lines_.pop_front();
    std::string aname, command;
    ParseLine(std::move(line), aname, command);
    delivering_ = true;
    receiver_(aname, command);
    delivering_ = false;
    Schedule();
}

void CommandReader::ParseLine(std::string line, std::string& aname, std::string& command)
{
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) {
        aname.clear();
        command = std::move(line);
    } else {
        aname = line.substr(0, tab);
        command = line.substr(tab + 1);
    }
}
