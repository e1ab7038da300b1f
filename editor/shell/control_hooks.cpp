// The window-system controls of winsys (the grid) run their users' events
// and raise their property errors the way every control of the editor does:
// through RunEventProcedure and as the editor's RuntimeError.
#include "editor/shell/errors.h"
#include "editor/shell/forms.h"
#include "platform/winsys/grid.h"

namespace {

const bool installed = [] {
    winsys::SetControlHooks([](const std::function<void()>& procedure) { RunEventProcedure(procedure); },
                            [](int number) { RaiseError(number); });
    return true;
}();

}  // namespace
