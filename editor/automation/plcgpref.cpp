#include "editor/automation/plcgpref.h"

#include "editor/automation/placement_settings.h"

namespace {

PrefixGridForm::Layout PatternLayout()
{
    const std::vector<PrefixGridForm::Title> patterns = {
        {"991027", "Pattern #1"}, {"991028", "Pattern #2"}, {"991029", "Pattern #3"}, {"991030", "Pattern #4"}};
    PrefixGridForm::Layout l;
    l.windowText = "Assign Comps to Patterns by Name prefixes";
    l.windowTextId = "99225";
    l.rowTitles = patterns;
    l.rowNames = patterns;
    l.widestTitle = "  Pattern #B ";
    l.finalLayout = false;
    l.clearEditOnLoad = true;
    l.editInFrame = true;
    l.gridName = "GPrefGrid";
    l.editName = "GPrefText";
    l.captionName = "GPrefFrameText";
    l.acceptName = "GPrefAccept";
    l.cancelName = "GPrefCancel";
    l.reload = &g_GPrefReload;
    l.row = &g_GPrefRow;
    l.col = &g_GPrefCol;
    return l;
}

}  // namespace

PLCGPREF::PLCGPREF() : PrefixGridForm("PLCGPREF", PatternLayout()) {}

std::string& PLCGPREF::Entry(int row, int col)
{
    return g_PatternPrefixes[static_cast<size_t>(row)][static_cast<size_t>(col)];
}
