#include "editor/automation/placement_messages.h"

#include "editor/shell/dlgservices.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/reporter.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/interaction.h"

namespace {

struct Row {
    int32_t code;
    const char* id;
    const char* text;
    bool detail;
    bool critical;
};

constexpr Row kRows[] = {
    {1, "991314", "The prefix allready exist in ", true, false},
    {2, "991357", "Undefined hierarchy", true, true},
    {5, "99382", "Can't setup default parameters for Pattern #", true, true},
    {6, "99320", "Can't create Pattern by X axis. Too huge component size or clearance or value of alignment", true, false},
    {7, "99321", "Can't create Pattern by Y axis. Too huge component size or clearance or value of alignment", true, false},
    {9, "99466", "Component must be unmirrored", false, false},
    {10, "99465", "Component must be mirrored", false, false},
    {12, "99379", "Can't save Pattern prefixes", false, true},
    {13, "99377", "Can't save orientation prefixes", false, true},
    {1503, "99326", "Can't create symbol for keep off zones", true, true},
    {1504, "1340", "Can't create symbol for Pattern lines", true, true},
    {1511, "99322", "Can't create prototype of page frame ", true, true},
};

}  // namespace

PlacementMessage ComposePlacementError(int32_t code, const std::string& detail)
{
    PlacementMessage m;
    bool critical = false;
    if (code == 8) {
        m.text = GetMsgText("Can't create Pattern #", "99319") + detail + GetMsgText(" in automatic mode", "99763");
    } else {
        const Row* found = nullptr;
        for (const Row& row : kRows)
            if (row.code == code) found = &row;
        if (found) {
            m.text = GetMsgText(found->text, found->id) + (found->detail ? detail : std::string());
            critical = found->critical;
        } else {
            m.text = GetMsgText("Undefined error #", "991356") + (code >= 0 ? " " : "") + std::to_string(code);
        }
    }
    m.caption = MessageCaption();
    m.style = winsys::mb::OkOnly | (critical ? winsys::mb::Critical : winsys::mb::Exclamation);
    return m;
}

void ReportPlacementError(int32_t code, const std::string& detail)
{
    const PlacementMessage m = ComposePlacementError(code, detail);
    winsys::Ui().MessageBox(m.text, m.caption, m.style);
}
