#include "host/command_reader.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CommandReader::CommandReader(Receiver receiver, Refusal tooLong, int fd)
    : receiver_(std::move(receiver)), tooLong_(std::move(tooLong)), fd_(fd)
{
}

CommandReader::~CommandReader() = default;

void CommandReader::Start()
{
    struct stat st {};
    if (fstat(fd_, &st) != 0) return;
    if (S_ISREG(st.st_mode)) {
        // A file never blocks and is always "readable": read it through.
        char buffer[65536];
        for (;;) {
            const ssize_t n = read(fd_, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            Take(buffer, static_cast<size_t>(n));
        }
        EndOfInput();
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
            Take(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            Schedule();
            return;
        }
        if (n < 0 && errno == EINTR) continue;
        // End of input (or a read error): stop reading; the editor goes on.
        notifier_.reset();
        EndOfInput();
        return;
    }
}

void CommandReader::Take(const char* data, size_t size)
{
    while (size > 0) {
        const auto* nl = static_cast<const char*>(std::memchr(data, '\n', size));
        const size_t part = nl ? static_cast<size_t>(nl - data) : size;
        pendingLength_ += part;
        if (pendingLength_ <= kMaxLineBytes)
            pending_.append(data, part);
        else if (pending_.size() < kLineStartBytes)
            pending_.append(data, std::min(part, kLineStartBytes - pending_.size()));
        else if (pending_.size() > kLineStartBytes)
            pending_.resize(kLineStartBytes);  // the line just passed the limit
        if (!nl) return;
        EndLine();
        data += part + 1;
        size -= part + 1;
    }
}

void CommandReader::EndLine()
{
    Line line;
    line.tooLong = pendingLength_ > kMaxLineBytes ? pendingLength_ : 0;
    line.text = std::move(pending_);
    pending_.clear();
    pendingLength_ = 0;
    lines_.push_back(std::move(line));
}

void CommandReader::EndOfInput()
{
    if (pendingLength_ > 0) EndLine();
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
    Line line = std::move(lines_.front());
    lines_.pop_front();
    delivering_ = true;
    if (line.tooLong != 0) {
        if (tooLong_) tooLong_(line.text, line.tooLong);
    } else {
        std::string aname, command;
        ParseLine(std::move(line.text), aname, command);
        receiver_(aname, command);
    }
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
