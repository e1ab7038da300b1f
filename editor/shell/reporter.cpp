#include "editor/shell/reporter.h"

#include "editor/shell/dlgservices.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/interaction.h"

namespace {

enum class Join {
    Text,              // the text alone
    TextDetail,        // text, detail
    TextDetailText,    // text, detail, second text
    TextDetailBlank,   // text, detail, a blank, second text
    TextLineText,      // text, a line break, second text (no detail)
};

enum class Icon { Warning, Critical, None };

struct Row {
    int32_t code;
    Join join;
    const char* text;
    const char* id;
    const char* text2;
    const char* id2;
    Icon icon;
};

constexpr Icon W = Icon::Warning;
constexpr Icon C = Icon::Critical;

// The numbered message table; every text is the English default of its
// message id.
constexpr Row kRows[] = {
    {1, Join::TextDetail, "Can't find Part: ", "99345", nullptr, nullptr, W},
    {2, Join::TextDetail, "Can't read Part: ", "99364", nullptr, nullptr, W},
    {3, Join::TextDetail, "Can't load Part: ", "99353", nullptr, nullptr, W},
    {4, Join::TextDetailText, "Component: ", "99472", " already exists", "99196", W},
    {5, Join::TextDetail, "Can't load Symbol/Package: ", "99357", nullptr, nullptr, W},
    {6, Join::TextDetail, "Can't find Symbol/Package: ", "99350", nullptr, nullptr, W},
    {7, Join::Text, "Format definition incomplete", "99699", nullptr, nullptr, W},
    {8, Join::Text, "Cant Read Menu Profile", "99394", nullptr, nullptr, C},
    {9, Join::TextDetail, "Can't create Symbol/Package: ", "99327", nullptr, nullptr, W},
    {10, Join::TextDetail, "Can't create Item: ", "99308", nullptr, nullptr, W},
    {11, Join::TextDetail, "Can't create Page Format: ", "99318", nullptr, nullptr, W},
    {12, Join::TextDetail, "Can't assign Symbol/Package: ", "99286", nullptr, nullptr, W},
    {13, Join::TextDetail, "Can't assign Part: ", "99285", nullptr, nullptr, W},
    {14, Join::TextDetail, "Missing group(s) in Part: ", "99891", nullptr, nullptr, W},
    {15, Join::TextDetail, "Can't create Component: ", "99300", nullptr, nullptr, W},
    {16, Join::TextDetail, "Missing group(s) in Component: ", "99890", nullptr, nullptr, W},
    {17, Join::TextDetail, "Can't create group within Component: ", "99305", nullptr, nullptr, W},
    {18, Join::TextDetail, "Can't read group in Part: ", "99366", nullptr, nullptr, W},
    {19, Join::TextDetail, "Can't read pin in Part: ", "99371", nullptr, nullptr, W},
    {20, Join::TextDetail, "Can't find entry in Symbol/Package: ", "99346", nullptr, nullptr, W},
    {21, Join::TextDetail, "Cant't read entry in Symbol/Package: ", "99398", nullptr, nullptr, W},
    {22, Join::TextDetail, "Cant't assign number to Prefix: ", "99395", nullptr, nullptr, W},
    {23, Join::TextDetailText, "Component: ", "99472", " not found", "99962", W},
    {24, Join::TextDetailText, "Net: ", "99931", " not found", "99962", W},
    {25, Join::TextDetail, "Can't read Net: ", "99370", nullptr, nullptr, W},
    {26, Join::TextDetail, "Can't read Net/Node: ", "99369", nullptr, nullptr, W},
    {27, Join::TextDetailText, "Net: ", "99931", " already exists", "99196", W},
    {28, Join::TextDetail, "Can't find number for Net/Bus Name prefix: ", "99349", nullptr, nullptr, W},
    {29, Join::TextDetail, "Part/Component incompatible: ", "99560", nullptr, nullptr, W},
    {30, Join::Text, "Net Text Edit - syntax error", "99929", nullptr, nullptr, W},
    {31, Join::TextDetail, "Net Text Edit - Node included in Net: ", "99928", nullptr, nullptr, W},
    {32, Join::TextDetail, "Net Text Edit - Component not found: ", "99927", nullptr, nullptr, W},
    {33, Join::TextDetail, "Next Text Edit - Pin Not Found: ", "99937", nullptr, nullptr, Icon::None},
    {34, Join::TextDetail, "Can't create node: ", "99313", nullptr, nullptr, W},
    {35, Join::TextDetail, "Cant't create Net: ", "99396", nullptr, nullptr, W},
    {36, Join::TextDetailText, "Some nodes in Net: ", "991239", " are layout only - can't split", "99212", W},
    {40, Join::Text, "Can't create Pad Stack for Vias", "99315", nullptr, nullptr, W},
    {41, Join::Text, "Can't create Via Pad Stack Item", "99333", nullptr, nullptr, W},
    {50, Join::Text, "Can't create Branch", "99297", nullptr, nullptr, W},
    {51, Join::Text, "Can't Create Branch Segment", "99298", nullptr, nullptr, W},
    {52, Join::Text, "Can't Create Via", "99332", nullptr, nullptr, W},
    {53, Join::TextDetail, "Can't Create Bus: ", "99299", nullptr, nullptr, W},
    {54, Join::TextDetail, "Can't connect ", "99288", nullptr, nullptr, W},
    {55, Join::TextDetail, "Can't change side of ", "99287", nullptr, nullptr, W},
    {56, Join::TextDetail, "Can't create B-point", "99294", nullptr, nullptr, W},
    {57, Join::Text, "Can't merge Pwr/Gnd with bus member", "99358", nullptr, nullptr, W},
    {58, Join::Text, "Can't merge two bus members", "99359", nullptr, nullptr, W},
    {59, Join::TextDetailText, "Bus: ", "99272", " not found", "99962", W},
    {60, Join::Text, "Can't create more pages", "99310", nullptr, nullptr, W},
    {61, Join::TextDetail, "Missing page: ", "99893", nullptr, nullptr, W},
    {62, Join::TextDetail, "Can't create new page: ", "99311", nullptr, nullptr, W},
    {63, Join::TextDetailText, "Page: ", "991012", " already exists", "99196", W},
    {64, Join::TextDetail, "Can't rename Page: ", "99372", nullptr, nullptr, W},
    {65, Join::TextDetail, "Can't delete Page: ", "99341", nullptr, nullptr, W},
    {70, Join::Text, "This component cannot be packaged", "991315", nullptr, nullptr, W},
    {71, Join::Text, "This component is already packaged", "991316", nullptr, nullptr, W},
    {72, Join::Text, "This component is unpacked", "991317", nullptr, nullptr, W},
    {73, Join::Text, "Gate unpackaged - can't swap", "99716", nullptr, nullptr, W},
    {74, Join::Text, "Gates of different type - can't swap", "99719", nullptr, nullptr, W},
    {75, Join::TextDetail, "Can't execute swap: - ", "99343", nullptr, nullptr, W},
    {76, Join::Text, "Packaged components - change reference in Layout Design", "99993", nullptr, nullptr, W},
    {77, Join::TextDetailText, "Bus: ", "99272", " already exists", "99196", W},
    {78, Join::TextDetail, "Can't split Bus Memeber: ", "99384", nullptr, nullptr, W},
    {80, Join::TextDetail, "Can't save Temporary Backup: ", "99381", nullptr, nullptr, W},
    {81, Join::TextDetail, "Cant't load Temporary Backup: ", "99397", nullptr, nullptr, W},
    {84, Join::Text, "Set Point(s) to define rotation.", "991201", nullptr, nullptr, W},
    {85, Join::TextDetail, "Can't load ", "99351", nullptr, nullptr, W},
    {86, Join::TextDetailText, "Save of ", "991131", " failed", "99680", W},
    {90, Join::Text, "Can't create input for Clearance Check", "99306", nullptr, nullptr, W},
    {95, Join::TextDetail, "No components with name prefix: ", "99939", nullptr, nullptr, W},
    {96, Join::TextDetail, "Edit Comp. Relocate Error", "99596", nullptr, nullptr, W},
    {97, Join::TextDetail, "Edit Comp. List Create Error", "99595", nullptr, nullptr, W},
    {100, Join::Text, "Start Main Norvo32 Application", "991254", nullptr, nullptr, C},
    {101, Join::TextDetail, "Pins Must be in the same gate: ", "991047", nullptr, nullptr, W},
    {102, Join::TextDetail, "Swaplevels for selected pins does not match: ", "991272", nullptr, nullptr, W},
    {103, Join::Text, "Pin(s) cannot be swaped logically swaplevel = -1", "991041", nullptr, nullptr, W},
    {104, Join::Text, "Pin(s) are not nodes", "991040", nullptr, nullptr, W},
    {105, Join::Text, "Both componets must be either packaded or unpackaged", "99259", nullptr, nullptr, W},
    {111, Join::Text, "No printing boundaries selected", "13145", nullptr, nullptr, W},
    {500, Join::TextDetail, "Recursive Assignment! ", "991472", nullptr, nullptr, W},
    {501, Join::TextDetailBlank, "Hierachy: ", "991473", "already assigned to other type of component", "991474", W},
    {502, Join::TextDetail, "Can't assign Hierarchy: ", "991475", nullptr, nullptr, W},
    {1000, Join::TextLineText, "Placement cannot be completed", "991051", "Check Page Size & Placement Patterns.", "99406", C},
    {1001, Join::TextLineText, "Placement cannot be completed", "991051", "Check Page Size & Placement Patterns.", "99406", C},
    {2000, Join::Text, "Can't create router database", "", nullptr, nullptr, W},
    {2001, Join::Text, "Can't create router field array", "", nullptr, nullptr, W},
    {2002, Join::Text, "Can't load prerouted wires", "", nullptr, nullptr, W},
};

constexpr Row kUnknown = {0, Join::Text, "Unknown Error", "991362", nullptr, nullptr, C};

const Row& RowOf(int32_t code)
{
    for (const Row& row : kRows)
        if (row.code == code) return row;
    return kUnknown;
}

struct ReportedMessage {
    std::string text;
    std::string caption;
    int style = 0;
};

ReportedMessage ComposeReportMsg(int32_t code, const std::string& detail)
{
    const Row& row = RowOf(code);
    const std::string text = GetMsgText(row.text, row.id);
    const std::string text2 = row.text2 ? GetMsgText(row.text2, row.id2) : std::string();
    ReportedMessage message;
    switch (row.join) {
    case Join::Text: message.text = text; break;
    case Join::TextDetail: message.text = text + detail; break;
    case Join::TextDetailText: message.text = text + detail + text2; break;
    case Join::TextDetailBlank: message.text = text + detail + " " + text2; break;
    case Join::TextLineText: message.text = text + g_CrLf + text2; break;
    }
    message.caption = MessageCaption();
    message.style = winsys::mb::OkOnly | winsys::mb::SystemModal;
    if (row.icon == Icon::Warning) message.style |= winsys::mb::Exclamation;
    if (row.icon == Icon::Critical) message.style |= winsys::mb::Critical;
    return message;
}

}  // namespace

std::string MessageCaption()
{
    const std::string caption = GetMsgText("Norvo32 - ", "99607") + g_AppTitle;
    return g_Prompt.empty() ? caption : caption + " (" + g_Prompt + ")";
}

void ReportMsg(int32_t code, std::string& detail)
{
    detail = DisplayText(detail);
    const ReportedMessage message = ComposeReportMsg(code, detail);
    winsys::Ui().MessageBox(message.text, message.caption, message.style);
}

void ReportMsg(int32_t code)
{
    std::string none;
    ReportMsg(code, none);
}
