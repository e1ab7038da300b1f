#include "editor/shell/msgtext.h"

#include "editor/shell/platform_calls.h"
#include "editor/shell/textnum.h"

std::string GetMsgText(const std::string& defaultText, const std::string& id)
{
    const size_t lead = defaultText.find_first_not_of(' ');
    const size_t leading = lead == std::string::npos ? defaultText.size() : lead;
    const size_t trailing =
        lead == std::string::npos ? defaultText.size() : defaultText.size() - 1 - defaultText.find_last_not_of(' ');
    const char* found = L32_Object_GetMessage(ToLong(ReadNumber(id)));
    if (!found) return defaultText;
    return std::string(leading, ' ') + Trim(PtrToStr(found)) + std::string(trailing, ' ');
}
