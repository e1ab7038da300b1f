// An event that a form or class raises and any number of handlers receive,
// in the order they were connected.
#pragma once

#include <functional>
#include <utility>
#include <vector>

template <class... Args>
class Event {
public:
    using Handler = std::function<void(Args...)>;

    // Connects a handler; the result identifies it for Disconnect.
    int Connect(Handler handler)
    {
        handlers_.push_back({++lastId_, std::move(handler)});
        return lastId_;
    }

    void Disconnect(int id)
    {
        for (auto it = handlers_.begin(); it != handlers_.end(); ++it)
            if (it->first == id) {
                handlers_.erase(it);
                return;
            }
    }

    // Runs every handler; a handler may connect or disconnect handlers while
    // it runs, which affects the next raise only.
    void Raise(Args... args) const
    {
        const auto handlers = handlers_;
        for (const auto& h : handlers) h.second(args...);
    }

    bool HasHandlers() const { return !handlers_.empty(); }

private:
    std::vector<std::pair<int, Handler>> handlers_;
    int lastId_ = 0;
};
