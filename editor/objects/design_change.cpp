#include "editor/objects/design_change.h"

#include "platform/kernel/nvokernel32.h"

#include <utility>

namespace {

std::function<void()>& PutBackHandler()
{
    static std::function<void()> handler;
    return handler;
}

// 3: put back after a failed step; 5: a step failed before anything
// changed.
void TellIfRefused(int32_t endResult)
{
    if ((endResult == 3 || endResult == 5) && PutBackHandler()) PutBackHandler()();
}

}  // namespace

DesignChange::DesignChange(Ending ending) : open_(DB_BeginChange() == 1), ending_(ending) {}

DesignChange::~DesignChange()
{
    if (ending_ == Ending::Finish)
        Finish();
    else
        Undo();
}

bool DesignChange::Keep()
{
    if (!open_) return true;
    open_ = false;
    const int32_t result = DB_EndChange(1);
    TellIfRefused(result);
    return result == 1;
}

bool DesignChange::Finish()
{
    if (!open_) return true;
    open_ = false;
    const int32_t result = DB_EndChange(2);
    TellIfRefused(result);
    return result == 1;
}

bool DesignChange::Undo()
{
    if (!open_) return false;
    open_ = false;
    // 3: put back after a failed step; 4: put back, the edit ended early.
    const int32_t result = DB_EndChange(0);
    TellIfRefused(result);
    return result == 3 || result == 4;
}

void SetDesignPutBackHandler(std::function<void()> handler)
{
    PutBackHandler() = std::move(handler);
}
