// Reads command lines from standard input and hands them, one at a time,
// to a receiver from the event loop.
#pragma once

#include <QObject>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;

class CommandReader : public QObject {
    Q_OBJECT
public:
    // The longest line taken: its bytes before the line feed. A longer one
    // is not kept whole: its start is kept for the message and the rest is
    // counted and dropped as it arrives.
    static constexpr size_t kMaxLineBytes = 65536;
    // How much of a line too long is kept to name it.
    static constexpr size_t kLineStartBytes = 64;

    using Receiver = std::function<void(const std::string& aname, const std::string& command)>;
    // A line longer than kMaxLineBytes: its first bytes and its length.
    using Refusal = std::function<void(const std::string& start, uint64_t length)>;

    CommandReader(Receiver receiver, Refusal tooLong, int fd = 0);
    ~CommandReader() override;

    // Starts reading: a regular file is read through at once, a pipe or a
    // terminal as lines arrive.
    void Start();
    void Stop();

    // Splits a line into the sender's name and the command: "Aname<TAB>"
    // is optional; a trailing CR is dropped.
    static void ParseLine(std::string line, std::string& aname, std::string& command);

private:
    struct Line {
        std::string text;     // the line; only its start when too long
        uint64_t tooLong = 0;  // the length of a line too long, else 0
    };

    void ReadAvailable();
    // Takes bytes read: whole lines go to the queue, a line too long is
    // cut off as soon as it passes the limit.
    void Take(const char* data, size_t size);
    void EndLine();
    void EndOfInput();
    void Schedule();
    void DeliverNext();

    Receiver receiver_;
    Refusal tooLong_;
    int fd_;
    std::string pending_;
    uint64_t pendingLength_ = 0;  // the bytes of the pending line read so far
    std::deque<Line> lines_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool delivering_ = false;
    bool scheduled_ = false;
};
