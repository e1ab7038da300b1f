#include "editor/automation/plcopref.h"

#include "editor/automation/placement_settings.h"

namespace {

PrefixGridForm::Layout OrientationLayout()
{
    PrefixGridForm::Layout l;
    l.windowText = "Select Comps Orientation by Name Prefixes";
    l.windowTextId = "13193";
    l.rowTitles = {{"991252", "Standard"}, {"", "180"},          {"991452", "Up"},  {"99585", "Down"},
                   {"99759", "Horizontal"}, {"991390", "Vertical"}, {"99203", "Any"}};
    l.rowNames = {{"99692", "First pin left orientation"}, {"99693", "First pin right orientation"},
                  {"99694", "First pin up orientation"},   {"99691", "First pin down orientation"},
                  {"99760", "Horizontal orientation"},     {"991391", "Vertical orientation"},
                  {"99204", "Any orientation"}};
    l.widestTitle = " Horizontal ";
    l.finalLayout = true;
    l.clearEditOnLoad = false;
    l.editInFrame = false;
    l.gridName = "OPrefGrid";
    l.editName = "OPrefText";
    l.captionName = "OPrefLable";
    l.acceptName = "OPref_Accept";
    l.cancelName = "OPref_Cancel";
    l.reload = &g_OPrefReload;
    l.row = &g_OPrefRow;
    l.col = &g_OPrefCol;
    return l;
}

}  // namespace

PLCOPREF::PLCOPREF() : PrefixGridForm("PLCOPREF", OrientationLayout()) {}

std::string& PLCOPREF::Entry(int row, int col)
{
    return g_OrientPrefixes[static_cast<size_t>(row)][static_cast<size_t>(col)];
}
