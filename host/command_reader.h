// Reads command lines from standard input and hands them, one at a time,
// to a receiver from the event loop.
#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;

class CommandReader : public QObject {
    Q_OBJECT
public:
    using Receiver = std::function<void(const std::string& aname, const std::string& command)>;

    explicit CommandReader(Receiver receiver, int fd = 0);
    ~CommandReader() override;

    // Starts reading: a regular file is read whole at once, a pipe or a
    // terminal as lines arrive.
    void Start();
    void Stop();

    // Splits a line into the sender's name and the command: "Aname<TAB>"
    // is optional; a trailing CR is dropped.
    static void ParseLine(std::string line, std::string& aname, std::string& command);

private:
    void ReadAvailable();
    void TakeLines(bool endOfInput);
    void Schedule();
    void DeliverNext();

    Receiver receiver_;
    int fd_;
    std::string pending_;
    std::deque<std::string> lines_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool delivering_ = false;
    bool scheduled_ = false;
};
