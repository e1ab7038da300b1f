#include "editor/shell/reporter.h"

#include "editor/shell/msgtext.h"
#include "platform/winsys/interaction.h"

// The complete message table comes with the shell services; until then
// every code shows its number.
void ReportMsg(int32_t code, std::string& detail)
{
    winsys::Ui().MessageBox("Message " + std::to_string(code) + ": " + detail,
                            GetMsgText("Norvo32 - ", "99607"), winsys::mb::Exclamation | winsys::mb::SystemModal);
}

void ReportMsg(int32_t code)
{
    std::string none;
    ReportMsg(code, none);
}
