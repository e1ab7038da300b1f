// SCHMAIN's menu bar and popup menu. The menus follow the numbering their
// items' help positions give (menu, item): File 1, Page 2, Colour 3,
// Style 4, Mode 5, Options 6, Auto 7, Database 8, View 9, Unit 10, Help 11.
#include "editor/shell/schmain.h"

#include "editor/shell/controls.h"
#include "editor/shell/menus.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <string>

void SCHMAIN::CreateMenus(QMainWindow* window)
{
    QMenuBar* bar = window->menuBar();

    // A menu of the bar or a submenu, registered as a control.
    auto top = [&](const char* name, const char* caption) {
        MenuItem* item = MenuItem::BarMenu(bar, caption);
        AddControl(item, name);
        return item;
    };
    auto sub = [&](MenuItem* in, const char* name, const char* caption) {
        MenuItem* item = MenuItem::Submenu(in->Menu(), caption);
        AddControl(item, name);
        return item;
    };
    // A command whose Click runs `procedure`.
    auto command = [&](MenuItem* in, const char* name, const char* caption, void (SCHMAIN::*procedure)(),
                       bool checkable = false) {
        MenuItem* item = MenuItem::Command(in->Menu(), caption, checkable);
        AddControl(item, name);
        item->Click.Connect([this, procedure] { (this->*procedure)(); });
        return item;
    };
    // An element of a menu control array whose Click runs `procedure(Index)`.
    auto element = [&](MenuItem* in, ControlArray<MenuItem>& array, const char* name, int index,
                       const std::string& caption, void (SCHMAIN::*procedure)(int), bool checkable) {
        MenuItem* item = MenuItem::Command(in->Menu(), caption, checkable);
        array.Add(index, item);
        AddControl(item, name, index);
        item->Click.Connect([this, procedure, index] { (this->*procedure)(index); });
        return item;
    };
    auto separator = [](MenuItem* in) { MenuItem::Separator(in->Menu()); };

    // 1 File.
    M_File = top("M_File", "&File");
    M_Tsave = command(M_File, "M_Tsave", "Save &Backup", &SCHMAIN::M_Tsave_Click);
    M_Tload = command(M_File, "M_Tload", "&Load Backup", &SCHMAIN::M_Tload_Click);
    separator(M_File);
    M_SaveDnotes = command(M_File, "M_SaveDnotes", "Save &Design Notes...", &SCHMAIN::M_SaveDnotes_Click);
    M_LoadDnotes = command(M_File, "M_LoadDnotes", "Load D&esign Notes...", &SCHMAIN::M_LoadDnotes_Click);
    M_SavePnotes = command(M_File, "M_SavePnotes", "Save &Page Notes...", &SCHMAIN::M_SavePnotes_Click);
    M_LoadPnotes = command(M_File, "M_LoadPnotes", "Load P&age Notes...", &SCHMAIN::M_LoadPnotes_Click);
    separator(M_File);
    M_Scopy = command(M_File, "M_Scopy", "&Copy Picture to Clipboard", &SCHMAIN::M_Scopy_Click);
    separator(M_File);
    M_Exit = command(M_File, "M_Exit", "E&xit", &SCHMAIN::M_Exit_Click);

    // 2 Page. Opening it runs M_Page_Click (it enables the print items).
    M_Page = top("M_Page", "&Page");
    M_Page->Click.Connect([this] { M_Page_Click(); });
    M_PageNew = command(M_Page, "M_PageNew", "&New Page...", &SCHMAIN::M_PageNew_Click);
    M_PageClean = command(M_Page, "M_PageClean", "&Clean Page", &SCHMAIN::M_PageClean_Click);
    M_PageRen = command(M_Page, "M_PageRen", "&Rename Page...", &SCHMAIN::M_PageRen_Click);
    M_PageDel = command(M_Page, "M_PageDel", "&Delete Page", &SCHMAIN::M_PageDel_Click);
    separator(M_Page);
    M_Print = command(M_Page, "M_Print", "&Print Page", &SCHMAIN::M_Print_Click);
    M_Psetup = command(M_Page, "M_Psetup", "Printer &Setup...", &SCHMAIN::M_Psetup_Click);
    M_PrintSchd = command(M_Page, "M_PrintSchd", "Print Sc&hematics...", &SCHMAIN::M_PrintSchd_Click);

    // 3 Colour of new graphic items: the category colours (32 and above)
    // and the 32 palette colours.
    M_Color = top("M_Color", "&Colour");
    M_CcolorMenu = sub(M_Color, "M_CcolorMenu", "&Category Colour");
    element(M_CcolorMenu, M_Ccolor, "M_Ccolor", 32, "&By Category", &SCHMAIN::M_Ccolor_Click, true);
    M_ScolorMenu = sub(M_Color, "M_ScolorMenu", "&Palette Colour");
    for (int i = 0; i <= 31; ++i)
        element(M_ScolorMenu, M_Scolor, "M_Scolor", i, "Colour &" + std::to_string(i), &SCHMAIN::M_Scolor_Click,
                true);

    // 4 Line style of new graphic items.
    M_Style = top("M_Style", "&Style");
    const char* styles[] = {"&Solid", "&Dashed", "D&otted", "Dash-Do&t", "Dash-Dot-Dot"};
    for (int i = 0; i <= 4; ++i)
        element(M_Style, M_DrawStyle, "M_DrawStyle", i, styles[i], &SCHMAIN::M_DrawStyle_Click, true);

    // 5 Mode: the edit modes.
    M_Edit = top("M_Edit", "&Mode");
    const char* modes[] = {"&Components", "&Wires&&Buses",   "&Design Notes",         "&Nets",
                           "&Block Edit", "Page &Format",    "&Page Notes",           "Bit&maps",
                           "Pl&acement Patterns", "&Keep Off Zone"};
    for (int i = 1; i <= 10; ++i) element(M_Edit, M_FSI, "M_FSI", i, modes[i - 1], &SCHMAIN::M_FSI_Click, true);

    // 6 Options: window parts and drawing aids.
    M_Options = top("M_Options", "&Options");
    M_Short = command(M_Options, "M_Short", "Tool&box", &SCHMAIN::M_Short_Click, true);
    M_Tbar = command(M_Options, "M_Tbar", "&Toolbar", &SCHMAIN::M_Tbar_Click, true);
    M_Sbars = command(M_Options, "M_Sbars", "&Scroll Bars", &SCHMAIN::M_Sbars_Click, true);
    M_Tpan = command(M_Options, "M_Tpan", "Settings &Panel", &SCHMAIN::M_Tpan_Click, true);
    M_ViewPort = command(M_Options, "M_ViewPort", "&Viewport", &SCHMAIN::M_ViewPort_Click, true);
    separator(M_Options);
    M_InstName = command(M_Options, "M_InstName", "&Ask for Net Names", &SCHMAIN::M_InstName_Click, true);
    M_SRatsnest = command(M_Options, "M_SRatsnest", "&Guidelines per Net", &SCHMAIN::M_SRatsnest_Click, true);
    M_NRatsnest =
        command(M_Options, "M_NRatsnest", "Guideline to Next &Node", &SCHMAIN::M_NRatsnest_Click, true);
    element(M_Options, M_TcModeSLN, "M_TcModeSLN", 1, "T-connect Same &Net Only", &SCHMAIN::M_TcModeSLN_Click,
            true);
    // Bit 2 of the T-connect options has no meaning yet; its item exists
    // for the array's handler and stays hidden.
    element(M_Options, M_TcModeSLN, "M_TcModeSLN", 2, "T-connect Option 2", &SCHMAIN::M_TcModeSLN_Click, true)
        ->SetVisible(false);
    separator(M_Options);
    M_Coords = command(M_Options, "M_Coords", "X/Y Coords:", &SCHMAIN::M_Coords_Click);
    SetControlTag(M_Coords, "991417");
    const char* measure[] = {"&Centre", "&Format Datum", "&RefPoint"};
    for (int i = 0; i <= 2; ++i)
        element(M_Options, M_XYMeasure, "M_XYMeasure", i, measure[i], &SCHMAIN::M_XYMeasure_Click, true);

    // 7 Auto: packaging, placement and routing.
    M_Auto = top("M_Auto", "&Auto");
    M_Apack = command(M_Auto, "M_Apack", "Auto Pac&kaging", &SCHMAIN::M_Apack_Click);
    M_Aplace = sub(M_Auto, "M_Aplace", "Auto&place");
    SetControlTag(M_Aplace, "99232");
    M_AutPlcGrdPrefix = command(M_Aplace, "M_AutPlcGrdPrefix", "&Assign to Pattern by Prefix",
                                &SCHMAIN::M_AutPlcGrdPrefix_Click);
    SetControlTag(M_AutPlcGrdPrefix, "131");
    M_AutPlcOrntPrefix =
        command(M_Aplace, "M_AutPlcOrntPrefix", "&Orientation Prefix", &SCHMAIN::M_AutPlcOrntPrefix_Click);
    SetControlTag(M_AutPlcOrntPrefix, "9962");
    M_AutPlcGlbPara = command(M_Aplace, "M_AutPlcGlbPara", "&Global Parameters", &SCHMAIN::M_AutPlcGlbPara_Click);
    SetControlTag(M_AutPlcGlbPara, "9943");
    separator(M_Aplace);
    M_AutPlcExecute = command(M_Aplace, "M_AutPlcExecute", "E&xecute", &SCHMAIN::M_AutPlcExecute_Click);
    SetControlTag(M_AutPlcExecute, "99592");
    M_Aroute = command(M_Auto, "M_Aroute", "Auto&route", &SCHMAIN::M_Aroute_Click);
    SetControlTag(M_Aroute, "1328");

    // 8 Database: maps and the hierarchy.
    M_Info = top("M_Info", "&Database");
    const char* maps[] = {"&Components", "&Parts", "Pac&kages", "&Symbols", "&Nets", "&Buses"};
    for (int i = 1; i <= 6; ++i) element(M_Info, M_Imap, "M_Imap", i, maps[i - 1], &SCHMAIN::M_Imap_Click, false);
    separator(M_Info);
    M_HierStack = command(M_Info, "M_HierStack", "Hierarchy S&tack", &SCHMAIN::M_HierStack_Click);
    M_HierStructure = command(M_Info, "M_HierStructure", "Hierarchy St&ructure", &SCHMAIN::M_HierStructure_Click);

    // 9 View: what the page shows.
    M_View = top("M_View", "&View");
    M_Nodes = command(M_View, "M_Nodes", "&Nodes", &SCHMAIN::M_Nodes_Click, true);
    M_Ratsnest = command(M_View, "M_Ratsnest", "&Ratsnest", &SCHMAIN::M_Ratsnest_Click, true);
    M_Pnotes = command(M_View, "M_Pnotes", "&Page Notes", &SCHMAIN::M_Pnotes_Click, true);
    M_Dnotes = command(M_View, "M_Dnotes", "&Design Notes", &SCHMAIN::M_Dnotes_Click, true);
    M_Bitmaps = command(M_View, "M_Bitmaps", "&Bitmaps", &SCHMAIN::M_Bitmaps_Click, true);
    M_Entry = command(M_View, "M_Entry", "&Entries", &SCHMAIN::M_Entry_Click, true);
    M_PageO = command(M_View, "M_PageO", "Page &Outline", &SCHMAIN::M_PageO_Click, true);
    M_Mono = command(M_View, "M_Mono", "&Monochrome", &SCHMAIN::M_Mono_Click, true);
    separator(M_View);
    M_APlcPtrns = sub(M_View, "M_APlcPtrns", "Placement &Cells");
    for (int i = 1; i <= 4; ++i)
        element(M_APlcPtrns, M_PlcCell, "M_PlcCell", i, "Pattern #&" + std::to_string(i), &SCHMAIN::M_PlcCell_Click,
                true);
    separator(M_APlcPtrns);
    M_PlcCellOff = command(M_APlcPtrns, "M_PlcCellOff", "&Hide Cells", &SCHMAIN::M_PlcCellOff_Click);

    // 10 Unit of the read-outs and settings.
    M_Unit = top("M_Unit", "&Unit");
    M_Inches = command(M_Unit, "M_Inches", "&Inches", &SCHMAIN::M_Inches_Click, true);
    M_Mm = command(M_Unit, "M_Mm", "&Millimetres", &SCHMAIN::M_Mm_Click, true);

    // 11 Help.
    M_HelpMenu = top("M_HelpMenu", "&Help");
    M_Help = command(M_HelpMenu, "M_Help", "&Contents", &SCHMAIN::M_Help_Click);

    // The question popup: not in the menu bar; its first item carries the
    // question, a click on it just closes the menu.
    M_Conf = MenuItem::PopupMenu(window, " ");
    AddControl(M_Conf, "M_Conf");
    M_Conf->SetVisible(false);
    M_Conf->SetEnabled(false);
    M_Query = MenuItem::Command(M_Conf->Menu(), " ");
    AddControl(M_Query, "M_Query");
    M_Yes = command(M_Conf, "M_Yes", "Yes", &SCHMAIN::M_Yes_Click);
    SetControlTag(M_Yes, "991426");
    M_No = command(M_Conf, "M_No", "No", &SCHMAIN::M_No_Click);
    SetControlTag(M_No, "99938");
}
