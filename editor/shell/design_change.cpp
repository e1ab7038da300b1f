#include "editor/shell/design_change.h"

#include "editor/shell/platform_calls.h"

#include <utility>
#include <vector>

namespace {

std::function<void(PutBackReason)>& PutBackHandler()
{
    static std::function<void(PutBackReason)> handler;
    return handler;
}

std::vector<std::function<void()>>& Listeners()
{
    static std::vector<std::function<void()>> listeners;
    return listeners;
}

// 3: put back after a failed step; 5: a step failed before anything
// changed.
bool Refused(int32_t endResult)
{
    return endResult == 3 || endResult == 5;
}

}  // namespace

DesignChange::DesignChange(Ending ending) : open_(DB_BeginChange() == 1), ending_(ending)
{
    outermost_ = open_ && DB_ChangeDepth() == 1;
}

DesignChange::~DesignChange()
{
    if (!open_) return;
    open_ = false;
    const int32_t result = DB_EndChange(ending_ == Ending::Finish ? 2 : 0);
    // An edit that stopped after a failed step without saying so: the user
    // hears it from here.
    if (Refused(result) && (outermost_ || ending_ == Ending::Undo)) TellDesignPutBack(PutBackReason::Refused);
}

bool DesignChange::Keep()
{
    if (!open_) return true;
    open_ = false;
    return DB_EndChange(1) == 1;
}

bool DesignChange::Finish()
{
    if (!open_) return true;
    open_ = false;
    const int32_t result = DB_EndChange(2);
    if (Refused(result) && outermost_) TellDesignPutBack(PutBackReason::Refused);
    return result == 1;
}

bool DesignChange::Undo()
{
    if (!open_) return false;
    open_ = false;
    // 3: put back after a failed step; 4: put back, the edit ended early.
    const int32_t result = DB_EndChange(0);
    if (Refused(result)) TellDesignPutBack(PutBackReason::Refused);
    return result == 3 || result == 4;
}

void SetDesignPutBackHandler(std::function<void(PutBackReason)> handler)
{
    PutBackHandler() = std::move(handler);
}

void TellDesignPutBack(PutBackReason reason)
{
    for (const auto& listener : Listeners()) listener();
    if (PutBackHandler()) PutBackHandler()(reason);
}

void AddDesignPutBackListener(std::function<void()> listener)
{
    Listeners().push_back(std::move(listener));
}
