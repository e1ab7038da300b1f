#include "editor/objects/net_text.h"

#include "editor/dialogs/schinet.h"
#include "editor/objects/components.h"
#include "editor/objects/net_lookups.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/shared_services.h"
#include "editor/shell/textnum.h"

#include <set>
#include <utility>

std::string g_NetNodeText;
int32_t g_NetEditMode = 0;
int32_t g_NetTextSelStart = 0;
int32_t g_NetTextSelLen = 0;
int32_t g_NetEditFlags = 0;

namespace {

// A component name, a blank-padded pin name and a comma fit in this; a
// longer line cannot name a pin.
constexpr size_t kMaxLineLength = 2 * 255 + 1;

struct ParseError {
    int32_t code = 0;
    std::string detail;
    int32_t start = 0;
    int32_t length = 0;
};

bool HasControlCharacter(const std::string& line)
{
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte == 127) return true;
    }
    return false;
}

void AppendNode(int32_t comp, int32_t entry)
{
    const long next = g_NetNodes.UBound() + 1;
    g_NetNodes.RedimPreserve(next);
    g_NetNodeIds.RedimPreserve(next);
    NodeRec node{};
    node.Flags = 1;
    node.Comp = comp;
    node.Entry = entry;
    g_NetNodes(next) = node;
    g_NetNodeIds(next) = 0;
}

// One line: its pin appended, or the error.
ParseError ParseLine(const std::string& line, int32_t start, std::set<std::pair<int32_t, int32_t>>& seen)
{
    const ParseError syntax{30, {}, start, static_cast<int32_t>(line.size())};
    if (Trim(line).empty() || line.size() > kMaxLineLength || HasControlCharacter(line)) return syntax;
    SplitFields(line);
    if (g_ArgNum(0) != 2) return syntax;
    const std::string name = Trim(g_ArgStr(1));
    const std::string pin = Trim(g_ArgStr(2));
    int32_t status = 0;
    int32_t comp = 0;
    FindCompByName(status, 0, comp, name);
    if (status != 0 || comp == 0 || name.empty()) return {32, name, syntax.start, syntax.length};
    EntryRec entryRec{};
    const int32_t entry = pin.empty() ? 0 : FindEntryByName(1, comp, pin, entryRec);
    status = 0;
    CheckCompEntry(status, comp, entry);
    if (entry == 0 || status != 0) return {33, name + "," + pin, syntax.start, syntax.length};
    int32_t net = 0;
    int32_t node = 0;
    std::string netName;
    status = 0;
    FindPinNet(status, 0, comp, entry, net, netName, node);
    if (status == 0) return {31, netName, syntax.start, syntax.length};
    // The same pin twice would make two nodes on one pin.
    if (!seen.emplace(comp, entry).second) return {31, g_CurNetName, syntax.start, syntax.length};
    AppendNode(comp, entry);
    return {};
}

ParseError ParseOnce(const std::string& text)
{
    std::set<std::pair<int32_t, int32_t>> seen;
    size_t pos = 0;
    while (pos < text.size()) {
        // A line ends at CR LF, LF or CR.
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(pos, end - pos);
        const auto start = static_cast<int32_t>(pos);
        if (Trim(line) == "END") {
            if (pos == 0) return {30, {}, 0, 1};
            return {};
        }
        if (ParseError error = ParseLine(line, start, seen); error.code != 0) return error;
        pos = end;
        if (pos < text.size() && text[pos] == '\r') {
            ++pos;
            if (pos < text.size() && text[pos] == '\n') ++pos;
        } else if (pos < text.size()) {
            ++pos;  // '\n'
        }
    }
    // No line "END".
    return {30, {}, 0, 1};
}

}  // namespace

void MakeNetNodeText(int32_t net, int32_t& node, const NetRec& netRec)
{
    g_NetNodeText.clear();
    const int32_t map = N_NodeMap(net);
    node = OM_GetFirst(map);
    while (const int32_t id = OM_SearchMask(map, &node, 0, 0)) {
        NodeRec nodeRec{};
        if (N_ReadNode(net, id, &nodeRec) == 0) continue;
        NodeInfoRec info;
        ReadNodeInfo(net, id, netRec, nodeRec, info);
        if (info.Comp == 0 || info.Entry == 0) continue;
        g_NetNodeText += info.CompName + "," + Trim(info.EntryName) + g_CrLf;
    }
    g_NetNodeText += "END" + g_CrLf;
}

void ParseNetText(int32_t& status)
{
    for (;;) {
        g_NetNodes.Redim(0, 0);
        g_NetNodeIds.Redim(0, 0);
        ParseError error = ParseOnce(g_NetNodeText);
        if (error.code == 0) {
            status = 0;
            return;
        }
        g_NetNodes.Redim(0, 0);
        g_NetNodeIds.Redim(0, 0);
        ReportMsg(error.code, error.detail);
        ShowNetEditDialog(1, 1, error.start, error.length);
        if (g_NetEditFlags == 0) {
            status = 1;
            return;
        }
    }
}

void ShowNetEditDialog(int32_t style, int32_t mode, int32_t selStart, int32_t selLen)
{
    g_NetEditMode = mode;
    g_NetTextSelStart = selStart;
    g_NetTextSelLen = selLen;
    g_DlgOpening = true;
    SCHINET& dialog = FormInstance<SCHINET>();
    if (style == 1) {
        ShowModal(dialog);
        return;
    }
    dialog.Show();
    dialog.SetTopmost(true);
}
