// The accept pass of the walk over the main window's menu commands. Every
// command that opens a dialog or asks a question is chosen on the demo
// design twice in a row, and what it asks is accepted as a user accepts
// it: a question with its default answer, a typed question with the text
// it proposes (or, where it proposes none, a name typed in), a file dialog
// with a path in the test's own folder, a dialog with its Accept button
// clicked. Each choice must then show the effect the dialog exists for,
// checked in the design, the settings, the files or the printer's output;
// a message or a beep alone counts only for the commands that only report.
// No runtime error may show and the design must stay sound. A command that
// asks something without a row in the table fails the pass, so a new
// dialog cannot slip past it.
#include "tests/shell/menu_walk.h"

#include "editor/automation/placement_settings.h"
#include "editor/documents/printing.h"
#include "editor/objects/integrity.h"
#include "editor/objects/notes_files.h"
#include "editor/objects/packaging.h"
#include "editor/shell/caption.h"
#include "editor/shell/listbox.h"
#include "editor/shell/nvoinpbg.h"
#include "editor/shell/textarea.h"
#include "editor/shell/textnum.h"
#include "platform/kernel/records.h"
#include "platform/winsys/grid.h"
#include "router/corvex.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTest>

#include <functional>
#include <memory>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// Accepts every question and dialog as a user does, with the steps the
// current command's row gives for its dialog, and keeps what each choice
// asked and showed.
class AcceptInteraction : public menu_walk::WalkInteraction {
public:
    AcceptInteraction() { defaults = true; }

    // The row's answers for the choice being made (time 1 or 2).
    int time = 1;
    // The user's steps in a dialog shown (not the input box), ending with
    // its Accept; the window must be closed by them.
    std::function<void(Form&, int)> dialog;
    // The names typed into a typed question that proposes no text, one per
    // time.
    std::vector<std::string> typed;
    // The path a file dialog is answered with; empty: none expected.
    std::string file;
    // What the user changes in the printer setup before OK.
    std::function<void(winsys::PrinterSetupRequest&, int)> printer;

    // What the current choice asked and showed.
    std::vector<std::string> asked;
    std::vector<std::string> messages;  // boxes with only an OK button: reports
    std::vector<std::string> stayedOpen;
    std::vector<winsys::FileDialogRequest> files;
    std::vector<winsys::PrinterSetupRequest> printers;  // as the dialog was offered

    void StartChoice(int t)
    {
        time = t;
        asked.clear();
        messages.clear();
        stayedOpen.clear();
        files.clear();
        printers.clear();
    }

    static Form* FormOf(QWidget* window)
    {
        for (Form* form : Forms())
            if (form->Window() == window) return form;
        return nullptr;
    }

    int MessageBox(const std::string& text, const std::string& caption, int style) override
    {
        asked.push_back("message box: " + text);
        if ((style & winsys::mb::ButtonsMask) == winsys::mb::OkOnly) messages.push_back(text);
        return WalkInteraction::MessageBox(text, caption, style);
    }
    bool InputBox(const winsys::InputBoxRequest& request, std::string& answer) override
    {
        ++questions;
        asked.push_back("input box: " + request.prompt);
        answer = request.defaultText.empty() && time <= static_cast<int>(typed.size()) ? typed[time - 1]
                                                                                        : request.defaultText;
        return true;
    }
    void PopupMenu(QMenu* menu, QPoint at) override
    {
        asked.push_back("popup menu");
        WalkInteraction::PopupMenu(menu, at);
    }
    bool FileDialog(winsys::FileDialogRequest& request) override
    {
        ++questions;
        asked.push_back("file dialog: " + request.title);
        files.push_back(request);
        if (file.empty()) return false;
        request.fileName = file;
        return true;
    }
    bool PrinterSetup(winsys::PrinterSetupRequest& request) override
    {
        ++questions;
        asked.push_back("printer setup");
        printers.push_back(request);
        if (printer) printer(request, time);
        return true;
    }
    bool PrintScaleSetup(winsys::PrintScaleRequest&) override
    {
        // The scale and sheets as the setup proposes them.
        ++questions;
        asked.push_back("print scale");
        return true;
    }
    void ShowModal(QWidget* window) override
    {
        ++questions;
        Answer(window);
    }
    void ShowAndWait(QWidget* window, bool& waiting) override
    {
        ++questions;
        Answer(window);
        waiting = false;
    }
    void Beep() override
    {
        asked.push_back("beep");
        WalkInteraction::Beep();
    }

private:
    // Shows the window as a modal show does and takes the user's steps in
    // it; a window still shown after them stayed open.
    void Answer(QWidget* window)
    {
        Form* form = window ? FormOf(window) : nullptr;
        const std::string name = form ? form->Name() : "an unknown window";
        asked.push_back("window: " + name);
        if (!window) return;
        window->show();
        QApplication::processEvents();
        if (auto* box = dynamic_cast<NvoInpBG*>(form)) {
            // The proposed answer as it stands; a name typed where none is
            // proposed.
            if (box->InpText()->Text().empty() && time <= static_cast<int>(typed.size()))
                QTest::keyClicks(box->InpText(), QString::fromStdString(typed[time - 1]));
            QTest::mouseClick(box->InpOK(), Qt::LeftButton);
        } else if (form && dialog) {
            dialog(*form, time);
        }
        QApplication::processEvents();
        if (window->isVisible()) {
            stayedOpen.push_back(name);
            window->hide();
        }
    }
};

// A control of a form, by name and index.
template <class T>
T* Control(Form& form, const std::string& name, int index = -1)
{
    auto* control = dynamic_cast<T*>(form.FindControl(name, index));
    EXPECT_NE(control, nullptr) << form.Name() << " has no " << name;
    return control;
}

// The user clicks a button.
void ClickButton(Form& form, const std::string& name, int index = -1)
{
    QApplication::processEvents();
    if (auto* button = Control<QAbstractButton>(form, name, index)) QTest::mouseClick(button, Qt::LeftButton);
    QApplication::processEvents();
}

// The user clicks cell (row, col) of a grid.
void ClickCell(winsys::NorvoGrid* grid, int row, int col)
{
    grid->scrollToItem(grid->item(row, col));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row, col)).center());
    QApplication::processEvents();
}

// The user clicks a line of a list.
void ClickLine(ListBox* list, int line)
{
    list->scrollToItem(list->item(line));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(line)).center());
    QApplication::processEvents();
}

// The row of a grid whose cell in column `col` reads `text`; -1 when none.
int RowReading(winsys::NorvoGrid* grid, int col, const std::string& text)
{
    for (int row = 0; row < grid->Rows(); ++row)
        if (grid->TextMatrix(row, col) == text) return row;
    return -1;
}

// The line of a list that reads `text`; -1 when none.
int LineReading(ListBox* list, const std::string& text)
{
    for (int line = 0; line < list->ListCount(); ++line)
        if (list->List(line) == text) return line;
    return -1;
}

std::string Bytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().toStdString();
}

int32_t PageNamed(const std::string& name)
{
    return OM_FindNameMask(DB_PageMap(), name.c_str(), 0, 0);
}

// The schematic components on `page`, by name, with their places.
std::map<std::string, std::pair<int32_t, int32_t>> ComponentsOn(int32_t page)
{
    std::map<std::string, std::pair<int32_t, int32_t>> found;
    const int32_t map = DB_SchCompMap();
    int32_t position = OM_GetFirst(map);
    for (int32_t id; (id = OM_SearchMask(map, &position, 0, 0)) > 0;) {
        CompRec rec{};
        if (C_ReadComponent(id, &rec) > 0 && rec.Page == page) found[rec.Name ? rec.Name : ""] = {rec.X, rec.Y};
    }
    return found;
}

// The net and bus wires on `page`.
int WiresOn(int32_t page)
{
    int count = 0;
    for (int32_t kind : {0, 1}) {
        int32_t cursor = OM_GetFirst(DB_BranchMap());
        while (B_SearchNetPage(&cursor, kind, 0, page) > 0) ++count;
    }
    return count;
}

// The schematic components with a part that are not packaged.
int Unpackaged()
{
    int count = 0;
    const int32_t map = DB_SchCompMap();
    int32_t position = OM_GetFirst(map);
    for (int32_t id; (id = OM_SearchMask(map, &position, 0, 0)) > 0;) {
        CompRec rec{};
        if (C_ReadComponent(id, &rec) > 0 && rec.Device != 0 && rec.LayComp == 0) ++count;
    }
    return count;
}

// The texts of a notes symbol's items.
std::vector<std::string> NotesTexts(int32_t symbol)
{
    std::vector<std::string> texts;
    const int32_t items = S_SymbolItemArray(symbol);
    for (int32_t i = 1; i <= OA_GetCount(items); ++i) {
        ItemRec rec{};
        I_ReadItem(OA_Object(items, i), &rec);
        texts.push_back(rec.Text ? rec.Text : "");
    }
    return texts;
}

// A text written into a notes symbol.
void AddNotesText(int32_t symbol, const char* text)
{
    OA_Add(S_SymbolItemArray(symbol), I_MakeText(0, 0, 0, 2540000 / 10, 2540000 / 10, text, 0, 0, 0));
}

// The PDF files printed into the test's folder.
QStringList PrintedFiles(const QString& folder)
{
    return QDir(folder).entryList({"*.pdf"}, QDir::Files);
}

// What a check compares with: the design and editor as they were before a
// choice.
struct State {
    int32_t page = 0;
    std::string pageName;
    int32_t pages = 0;
    std::map<std::string, std::pair<int32_t, int32_t>> onPage;
};

class MenuAcceptWalk;

// One command of the table: the effect its dialog exists for and how the
// pass checks it.
struct AcceptCase {
    std::string item;
    // The effect (or, for a command that only reports, why a report is all
    // it does).
    std::string effect;
    bool onlyReports = false;
    // The check reads the messages and beeps itself: the rest fail on any.
    bool checksMessages = false;
    // Run once on the fresh demo, before the first choice.
    std::function<void(MenuAcceptWalk&)> prepare;
    // Run before each choice.
    std::function<void(MenuAcceptWalk&, int)> beforeEach;
    // The user's steps in the dialog shown, ending with its Accept.
    std::function<void(MenuAcceptWalk&, Form&, int)> dialog;
    std::vector<std::string> typed;
    // The name, in the test's folder, a file dialog is answered with.
    std::string file;
    std::function<void(winsys::PrinterSetupRequest&, int)> printer;
    // How the effect is checked after each choice: "" when it is there,
    // else what is missing.
    std::function<std::string(MenuAcceptWalk&, const State&, int)> check;
};

// Commands that open a window that is no dialog, with the reason: there
// is nothing to accept, and the pass leaves them to the walk.
const std::map<std::string, std::string> kNoDialog = {
    {"M_Short", "shows the shortcut palette, a tool window beside the page with no Accept"},
    {"M_Help", "opens the help window, which has no Accept"},
};

// Commands the pass does not choose: they end the editor.
const std::set<std::string> kNotChosen = {"M_Exit"};

class MenuAcceptWalk : public menu_walk::MenuWalkFixture<AcceptInteraction> {
public:
    SCHMAIN& M() { return Main(); }
    QString Folder() const { return dir.path(); }
    std::string Path(const std::string& name) const { return dir.filePath(QString::fromStdString(name)).toStdString(); }
    const std::vector<std::pair<std::string, std::string>>& Sent() const { return sent; }
    AcceptInteraction& Walk() { return walk; }

    State Now()
    {
        State s;
        s.page = DB_CurPage();
        s.pageName = g_CurPageName;
        s.pages = menu_walk::Count(DB_PageMap());
        s.onPage = ComponentsOn(s.page);
        return s;
    }

    // The demo as the host gives it to the editor: built, then the
    // editor's update.
    void FreshDemo()
    {
        ASSERT_NO_FATAL_FAILURE(LoadDemo());
        Main().ReloadAfterUpdate();
        Settle(Main());
    }

    // The printer setup the pass changes is put back for the tests after
    // it.
    void SetUp() override
    {
        MenuWalkFixture::SetUp();
        orientation = winsys::Printer::Get().Orientation();
        copies = winsys::Printer::Get().Copies();
        printOrientation = g_PrintOrientation;
        printCopies = g_PrintCopies;
    }
    void TearDown() override
    {
        winsys::Printer::Get().EndDoc();
        winsys::Printer::Get().SetOrientation(orientation);
        winsys::Printer::Get().SetCopies(copies);
        g_PrintOrientation = printOrientation;
        g_PrintCopies = printCopies;
        MenuWalkFixture::TearDown();
    }

private:
    int orientation = 1;
    int copies = 1;
    int32_t printOrientation = 1;
    int32_t printCopies = 1;
};

// "" when `ok`, else `what`.
std::string Need(bool ok, const std::string& what)
{
    return ok ? std::string() : what;
}

// The checks of the notes commands, for design notes or page notes.
struct NotesKindTexts {
    NotesKind kind;
    const char* entry;
    const char* text;
};
const NotesKindTexts kDesignNotes{NotesKind::Design, "@DESNOTES", "Walk design notes"};
const NotesKindTexts kPageNotes{NotesKind::Page, "@PGENOTES", "Walk page notes"};

int32_t NotesSymbol(NotesKind kind)
{
    return kind == NotesKind::Design ? g_DesNotesSymb : g_PageNotesSymb;
}

AcceptCase SaveNotesCase(const char* item, const NotesKindTexts& k, const char* file)
{
    AcceptCase c;
    c.item = item;
    c.effect = "the notes written to the file chosen, a notes library holding them";
    c.file = file;
    c.prepare = [k](MenuAcceptWalk&) { AddNotesText(NotesSymbol(k.kind), k.text); };
    // The second save goes over the file of the first: what was there
    // before is gone.
    c.beforeEach = [file](MenuAcceptWalk& t, int time) {
        if (time == 2) palvane_test::WriteBytes(t.Path(file), "an older file");
    };
    c.check = [k, file](MenuAcceptWalk& t, const State&, int) {
        const std::string bytes = Bytes(QString::fromStdString(t.Path(file)));
        if (t.Walk().files.size() != 1 || !t.Walk().files[0].save) return std::string("no save dialog asked");
        return Need(bytes.find(k.entry) != std::string::npos && bytes.find(k.text) != std::string::npos,
                    "the file holds no notes entry " + std::string(k.entry) + " with their text");
    };
    return c;
}

AcceptCase LoadNotesCase(const char* item, const NotesKindTexts& k, const char* file, MenuItem* SCHMAIN::*shown,
                         bool* flag)
{
    AcceptCase c;
    c.item = item;
    c.effect = "the notes of the file chosen replace the notes and are shown";
    c.file = file;
    // A notes file holding the notes and one text more; that text then
    // taken out of the notes, and the notes hidden.
    auto held = std::make_shared<std::vector<std::string>>();
    c.prepare = [k, file, shown, flag, held](MenuAcceptWalk& t) {
        const int32_t symbol = NotesSymbol(k.kind);
        AddNotesText(symbol, k.text);
        *held = NotesTexts(symbol);
        int32_t status = 0;
        SaveNotesFile(status, k.kind, t.Path(file), symbol);
        ASSERT_EQ(status, 0);
        OA_Delete(S_SymbolItemArray(symbol), OA_GetCount(S_SymbolItemArray(symbol)));
        *flag = false;
        (t.M().*shown)->SetChecked(false);
        t.M().RefreshCanvas();
    };
    c.check = [k, shown, flag, held](MenuAcceptWalk& t, const State&, int) {
        // Loaded again, the notes are the file's, not twice as many.
        return Need(NotesTexts(NotesSymbol(k.kind)) == *held, "the notes are not the file's") +
               Need(*flag && (t.M().*shown)->Checked(), " the notes are not shown");
    };
    return c;
}

// The print written into the test's folder: removed before each choice,
// there again after it.
void RemovePrints(MenuAcceptWalk& t, int)
{
    winsys::Printer::Get().EndDoc();
    for (const QString& f : PrintedFiles(t.Folder())) QFile::remove(QDir(t.Folder()).filePath(f));
}

std::string Printed(MenuAcceptWalk& t)
{
    const QStringList files = PrintedFiles(t.Folder());
    if (files.isEmpty()) return "nothing was printed";
    if (winsys::Printer::Get().DocumentOpen()) return "the print was never ended";
    return Need(Bytes(QDir(t.Folder()).filePath(files.front())).rfind("%PDF", 0) == 0, "the print is no document");
}

// The user enters `prefix` in cell (row, col) of a prefix dialog's grid.
void EnterPrefix(Form& d, const char* grid, const char* box, int row, int col, const char* prefix)
{
    auto* g = Control<winsys::NorvoGrid>(d, grid);
    auto* text = Control<TextBox>(d, box);
    if (!g || !text) return;
    ClickCell(g, row, col);
    text->setFocus();
    text->selectAll();
    QTest::keyClicks(text, prefix);
    QTest::keyClick(text, Qt::Key_Return);
    QApplication::processEvents();
}

// The prefix dialogs: a prefix entered in a cell each time and accepted;
// the second opening shows the first prefix, kept.
AcceptCase PrefixCase(const char* item, const char* grid, const char* box, const char* accept,
                      std::string (*table)(int row, int col))
{
    AcceptCase c;
    c.item = item;
    c.effect = "a prefix entered in the table and accepted is kept in the placement settings";
    auto shownAgain = std::make_shared<std::string>();
    c.beforeEach = [shownAgain](MenuAcceptWalk&, int) { shownAgain->clear(); };
    c.dialog = [=](MenuAcceptWalk&, Form& d, int time) {
        if (time == 2) {
            auto* g = Control<winsys::NorvoGrid>(d, grid);
            *shownAgain = g ? g->TextMatrix(1, 1) : "";
        }
        EnterPrefix(d, grid, box, time, 1, time == 1 ? "RW" : "CW");
        ClickButton(d, accept);
    };
    c.check = [=](MenuAcceptWalk&, const State&, int time) {
        if (table(1, 1) != "RW") return std::string("the first prefix was not kept");
        if (time == 1) return std::string();
        return Need(*shownAgain == "RW", "the second opening did not show the kept prefix") +
               Need(table(2, 1) == "CW", " the second prefix was not kept");
    };
    return c;
}

// The information map dialog of `kind`: the list holds `entry`, which,
// clicked, fills the grid with a row reading `cell` in column `col`, one
// row for each thing shown and no empty row after them, and the summary
// line with `summary` (empty for the maps that have none).
AcceptCase MapCase(int kind, const char* entry, int col, const char* cell, const char* summary = "")
{
    AcceptCase c;
    c.item = "M_Imap(" + std::to_string(kind) + ")";
    c.effect = "the map's entries listed; one clicked shows what it holds";
    auto found = std::make_shared<std::string>();
    c.beforeEach = [found](MenuAcceptWalk&, int) { *found = "no map dialog was shown"; };
    c.dialog = [=](MenuAcceptWalk&, Form& d, int) {
        found->clear();
        auto* list = Control<ListBox>(d, "F_List");
        auto* items = Control<Label>(d, "F_Items");
        auto* grid = Control<winsys::NorvoGrid>(d, "F_Info");
        if (!list || !items || !grid) return;
        const int line = LineReading(list, entry);
        if (list->ListCount() == 0) {
            *found = "the list is empty";
        } else if (items->Caption() != " " + std::to_string(list->ListCount())) {
            *found = "the count reads '" + items->Caption() + "' for " + std::to_string(list->ListCount()) + " lines";
        } else if (line < 0) {
            *found = std::string("the list has no ") + entry;
        } else {
            ClickLine(list, line);
            auto* sinfo = Control<Label>(d, "F_Sinfo");
            if (RowReading(grid, col, cell) < 1)
                *found = std::string(entry) + " clicked shows no " + cell;
            else if (grid->TextMatrix(grid->Rows() - 1, col).empty())
                *found = std::string(entry) + " clicked leaves an empty row";
            else if (sinfo && sinfo->Caption() != summary)
                *found = std::string(entry) + " clicked sums up as '" + sinfo->Caption() + "'";
        }
        ClickButton(d, "F_Return");
    };
    c.check = [found](MenuAcceptWalk&, const State&, int) { return *found; };
    return c;
}

// The hierarchy reports: the report window shows the text of the report,
// naming the level shown.
AcceptCase ReportCase(const char* item)
{
    AcceptCase c;
    c.item = item;
    c.effect = "only reports: the command exists to show its hierarchy report in the report window";
    c.onlyReports = true;
    c.check = [](MenuAcceptWalk&, const State&, int) {
        Form* report = nullptr;
        for (Form* f : Forms())
            if (f->Name() == "SCHINFOB") report = f;
        if (!report || !report->Visible()) return std::string("no report window is shown");
        auto* text = Control<TextArea>(*report, "F_TxtBuffer");
        const std::string shown = text ? text->toPlainText().toStdString() : "";
        const std::string level = PtrToStr(O_GetName(OM_Object(DB_HierarchyMap(), DB_CurHier())));
        std::string missing = Need(!level.empty() && shown.find(level) != std::string::npos,
                                   "the report does not name the level " + level + ": '" + shown + "'");
        // Closed as a user closes it.
        ClickButton(*report, "F_Return");
        return missing + Need(!report->Visible(), " its Close left it open");
    };
    return c;
}

const std::vector<AcceptCase>& Cases()
{
    static const std::vector<AcceptCase> cases = [] {
        std::vector<AcceptCase> all;
        {
            AcceptCase c;
            c.item = "M_Tload";
            c.effect = "the design comes back as the backup holds it, and the suite is told to update";
            c.prepare = [](MenuAcceptWalk& t) { t.M().M_Tsave_Click(); };
            // A page made after the backup, which the load takes away.
            c.beforeEach = [](MenuAcceptWalk&, int time) {
                DB_CreatePage(0, ("AFTER" + std::to_string(time)).c_str());
            };
            c.check = [](MenuAcceptWalk& t, const State& before, int time) {
                return Need(PageNamed("AFTER" + std::to_string(time)) == 0, "the page made after the backup stayed") +
                       Need(menu_walk::Count(DB_PageMap()) == before.pages - 1, " the pages are not the backup's") +
                       Need(!t.Sent().empty() && t.Sent().back().second == "All,UP", " the suite was not told UP");
            };
            all.push_back(c);
        }
        all.push_back(SaveNotesCase("M_SaveDnotes", kDesignNotes, "walk.NDN"));
        all.push_back(LoadNotesCase("M_LoadDnotes", kDesignNotes, "load.NDN", &SCHMAIN::M_Dnotes, &g_ShowDesNotes));
        all.push_back(SaveNotesCase("M_SavePnotes", kPageNotes, "walk.NPN"));
        all.push_back(LoadNotesCase("M_LoadPnotes", kPageNotes, "load.NPN", &SCHMAIN::M_Pnotes, &g_ShowPageNotes));
        {
            AcceptCase c;
            c.item = "M_PageNew";
            c.effect = "a page of the name typed, with the main page's frame, made and shown";
            c.typed = {"WALK1", "WALK2"};
            c.check = [](MenuAcceptWalk&, const State& before, int time) {
                const std::string name = "WALK" + std::to_string(time);
                const int32_t page = PageNamed(name);
                BranchRec frame{}, template_{};
                B_ReadBranch(-100 - page, &frame);
                B_ReadBranch(-100 - PageNamed("MAINPAGE"), &template_);
                return Need(page != 0 && DB_CurPage() == page && g_CurPageName == name, "no page " + name + " shown") +
                       Need(menu_walk::Count(DB_PageMap()) == before.pages + 1, " the page count did not grow by one") +
                       Need(frame.Points > 1 && frame.Points == template_.Points, " the new page has not the frame");
            };
            all.push_back(c);
        }
        {
            AcceptCase c;
            c.item = "M_PageClean";
            c.effect = "every component and wire of the page shown deleted";
            c.check = [](MenuAcceptWalk&, const State& before, int) {
                return Need(ComponentsOn(before.page).empty() && WiresOn(before.page) == 0,
                            "components or wires are left on the page") +
                       Need(DB_CurPage() == before.page, " another page is shown");
            };
            all.push_back(c);
        }
        {
            AcceptCase c;
            c.item = "M_PageRen";
            c.effect = "the page shown renamed to the name typed";
            c.typed = {"RENAMED1", "RENAMED2"};
            c.check = [](MenuAcceptWalk& t, const State& before, int time) {
                const std::string name = "RENAMED" + std::to_string(time);
                return Need(PageNamed(name) == before.page && PageNamed(before.pageName) == 0,
                            "the page was not renamed to " + name) +
                       Need(g_CurPageName == name && t.M().Caption().find(name) != std::string::npos,
                            " the caption does not show " + name);
            };
            all.push_back(c);
        }
        {
            AcceptCase c;
            c.item = "M_PageDel";
            c.effect = "the page shown deleted and the main page shown; the second time, on the main page, "
                       "the refusal, as the main page is never deleted";
            c.checksMessages = true;
            c.check = [](MenuAcceptWalk& t, const State& before, int time) {
                const std::vector<std::string>& messages = t.Walk().messages;
                if (time == 2)
                    return Need(messages.size() == 1 && messages[0].find("Can't delete Page: MAINPAGE") == 0 &&
                                    menu_walk::Count(DB_PageMap()) == before.pages,
                                "the main page was not refused");
                return Need(messages.empty(), "a message showed") +
                       Need(PageNamed(before.pageName) == 0 && menu_walk::Count(DB_PageMap()) == before.pages - 1,
                            " the page was not deleted") +
                       Need(g_CurPageName == "MAINPAGE" && DB_CurPage() == PageNamed("MAINPAGE"),
                            " the main page is not shown");
            };
            all.push_back(c);
        }
        {
            AcceptCase c;
            c.item = "M_Print";
            c.effect = "the page printed at the scale proposed";
            c.beforeEach = RemovePrints;
            c.check = [](MenuAcceptWalk& t, const State&, int) { return Printed(t); };
            all.push_back(c);
        }
        {
            AcceptCase c;
            c.item = "M_Psetup";
            c.effect = "the orientation and copies chosen kept for the next prints and offered at the next setup";
            c.printer = [](winsys::PrinterSetupRequest& r, int time) {
                r.orientation = time == 1 ? 2 : 1;
                r.copies = time == 1 ? 2 : 3;
            };
            c.check = [](MenuAcceptWalk& t, const State&, int time) {
                const int orientation = time == 1 ? 2 : 1;
                const int copies = time == 1 ? 2 : 3;
                const std::vector<winsys::PrinterSetupRequest>& offered = t.Walk().printers;
                return Need(g_PrintOrientation == orientation && g_PrintCopies == copies &&
                                winsys::Printer::Get().Orientation() == orientation,
                            "the choice is not kept for the prints") +
                       Need(time == 1 || (offered.size() == 1 && offered[0].orientation == 2 && offered[0].copies == 2),
                            " the second setup did not offer the first choice");
            };
            all.push_back(c);
        }
        {
            AcceptCase c;
            c.item = "M_PrintSchd";
            c.effect = "the page marked, set up and accepted is printed; the page shown stays";
            auto marked = std::make_shared<bool>(false);
            c.beforeEach = [marked](MenuAcceptWalk& t, int time) {
                *marked = false;
                RemovePrints(t, time);
            };
            c.dialog = [marked](MenuAcceptWalk&, Form& d, int) {
                auto* table = Control<winsys::NorvoGrid>(d, "F_PrintPageSetup");
                const int row = table ? RowReading(table, 0, g_CurPageName) : -1;
                if (row >= 0) {
                    ClickCell(table, row, 0);
                    ClickButton(d, "F_Set");
                    ClickButton(d, "F_Accept");
                    *marked = table->TextMatrix(row, 1) == "Yes";
                    ClickButton(d, "F_Print");
                }
                ClickButton(d, "F_Close");
            };
            c.check = [marked](MenuAcceptWalk& t, const State& before, int) {
                if (!*marked) return std::string("the page shown could not be marked for printing");
                return Printed(t) + Need(DB_CurPage() == before.page, " the page shown changed");
            };
            all.push_back(c);
        }
        {
            AcceptCase c;
            c.item = "M_Apack";
            c.effect = "a component that is not packaged packaged into a part, every prefix marked Pack as it opens";
            // Each time a component is unpacked first, as a user does: the
            // demo has every component packaged.
            auto unpacked = std::make_shared<int32_t>(0);
            c.beforeEach = [unpacked](MenuAcceptWalk&, int) {
                *unpacked = 0;
                const int32_t map = DB_SchCompMap();
                int32_t position = OM_GetFirst(map);
                for (int32_t id; *unpacked == 0 && (id = OM_SearchMask(map, &position, 0, 0)) > 0;) {
                    CompRec rec{};
                    if (C_ReadComponent(id, &rec) > 0 && rec.Device != 0 && rec.LayComp != 0) {
                        UnpackComp(id, rec);
                        *unpacked = id;
                    }
                }
                ASSERT_EQ(Unpackaged(), 1);
            };
            c.dialog = [](MenuAcceptWalk&, Form& d, int) { ClickButton(d, "F_Accept"); };
            c.check = [unpacked](MenuAcceptWalk& t, const State&, int) {
                CompRec rec{};
                C_ReadComponent(*unpacked, &rec);
                return Need(Unpackaged() == 0 && rec.LayComp != 0, "the component unpacked was not packaged") +
                       Need(t.M().F_MsgLine->Caption().find("Autpackaging completed") != std::string::npos,
                            " the packaging did not complete");
            };
            all.push_back(c);
        }
        {
            AcceptCase c;
            c.item = "M_AutPlcGlbPara";
            c.effect = "the clearance chosen kept in the placement settings and shown at the next opening";
            auto shownAgain = std::make_shared<int>(-1);
            c.beforeEach = [shownAgain](MenuAcceptWalk&, int) { *shownAgain = -1; };
            c.dialog = [shownAgain](MenuAcceptWalk&, Form& d, int time) {
                auto* list = Control<ComboBox>(d, "C_ClearanceX");
                if (!list) return;
                if (time == 2) *shownAgain = list->ListIndex();
                // Two steps up, then back down three, with the keys.
                for (int i = 0; i < (time == 1 ? 2 : 3); ++i)
                    QTest::keyClick(list, time == 1 ? Qt::Key_Up : Qt::Key_Down);
                ClickButton(d, "Com_OK");
            };
            c.check = [shownAgain](MenuAcceptWalk&, const State&, int time) {
                if (time == 1) return Need(g_PlcClearXIdx == 3, "the clearance chosen was not kept");
                return Need(*shownAgain == 3, "the second opening did not show the kept clearance") +
                       Need(g_PlcClearXIdx == 6, " the second choice was not kept");
            };
            all.push_back(c);
        }
        all.push_back(PrefixCase("M_AutPlcGrdPrefix", "GPrefGrid", "GPrefText", "GPrefAccept",
                                 [](int row, int col) { return g_PatternPrefixes[row][col]; }));
        all.push_back(PrefixCase("M_AutPlcOrntPrefix", "OPrefGrid", "OPrefText", "OPref_Accept",
                                 [](int row, int col) { return g_OrientPrefixes[row][col]; }));
        {
            AcceptCase c;
            c.item = "M_AutPlcExecute";
            c.effect = "the components of the page placed by the placement library";
            c.check = [](MenuAcceptWalk& t, const State& before, int time) {
                const auto after = ComponentsOn(before.page);
                return Need(t.M().F_MsgLine->Caption().find("Placement Completed") != std::string::npos,
                            "the placement did not complete") +
                       Need(after.size() == before.onPage.size(), " components came or went") +
                       Need(time == 2 || after != before.onPage, " no component moved");
            };
            all.push_back(c);
        }
        {
            AcceptCase c;
            c.item = "M_Aroute";
            c.effect = "routing mode entered with the wire preload chosen in the dialog";
            auto bits = std::make_shared<int32_t>(-1);
            c.beforeEach = [bits](MenuAcceptWalk&, int) { *bits = -1; };
            c.dialog = [bits](MenuAcceptWalk&, Form& d, int) {
                *bits = 0;
                for (int k = 0; k < 3; ++k)
                    if (auto* box = Control<QCheckBox>(d, "PrKey", k); box && box->isChecked()) *bits |= 1 << k;
                ClickButton(d, "ButOk");
            };
            c.check = [bits](MenuAcceptWalk& t, const State&, int) {
                int32_t held = -1;
                SCR_GetPreloadBits(&held);
                return Need(g_CurMode == MODE_ROUTING && g_RouteImageActive != 0, "routing mode was not entered") +
                       Need(!t.M().M_Auto->Enabled(), " the menus stay enabled") +
                       Need(*bits >= 0 && held == *bits, " the router holds other preload bits than chosen");
            };
            all.push_back(c);
        }
        all.push_back(MapCase(1, "U1", 1, "SUM", "OPAMP_DUAL/DIP8"));
        all.push_back(MapCase(2, "R", 0, "R1/1"));
        all.push_back(MapCase(3, "DIP8", 0, "U1"));
        all.push_back(MapCase(4, "RES", 0, "R1/1"));
        all.push_back(MapCase(5, "VIN", 3, "R1/1", "Named"));
        all.push_back(MapCase(6, "CTRL", 0, "OSC_MID"));
        all.push_back(ReportCase("M_HierStack"));
        all.push_back(ReportCase("M_HierStructure"));
        return all;
    }();
    return cases;
}

TEST_F(MenuAcceptWalk, EveryDialogAcceptedDoesWhatItIsFor)
{
    SCHMAIN& main = M();
    std::map<std::string, const AcceptCase*> rows;
    for (const AcceptCase& c : Cases()) rows[c.item] = &c;
    const auto commands = menu_walk::MenuCommands(main);
    std::set<std::string> chosen;
    std::string clean;
    for (const auto& [name, item] : commands) {
        if (kNotChosen.count(name)) continue;
        SCOPED_TRACE(name);
        ASSERT_NO_FATAL_FAILURE(FreshDemo());
        if (clean.empty()) clean = RunIntegrityCheck(nullptr);
        const auto row = rows.find(name);
        const AcceptCase* c = row == rows.end() ? nullptr : row->second;
        walk.dialog = nullptr;
        walk.typed.clear();
        walk.file.clear();
        walk.printer = nullptr;
        if (c) {
            if (c->prepare) {
                ASSERT_NO_FATAL_FAILURE(c->prepare(*this));
            }
            if (c->dialog) walk.dialog = [this, c](Form& form, int time) { c->dialog(*this, form, time); };
            walk.typed = c->typed;
            if (!c->file.empty()) walk.file = Path(c->file);
            walk.printer = c->printer;
        }
        for (int time = 1; time <= 2; ++time) {
            SCOPED_TRACE("time " + std::to_string(time));
            if (c && c->beforeEach) c->beforeEach(*this, time);
            if (!menu_walk::OpenMenusOf(item)) {
                EXPECT_EQ(c, nullptr) << "not offered";
                break;
            }
            std::set<QWidget*> shown;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible()) shown.insert(w);
            const State before = Now();
            walk.StartChoice(time);
            errors.clear();
            item->Action()->trigger();
            QApplication::processEvents();
            EXPECT_TRUE(errors.empty()) << errors.front();
            std::string opened;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && !shown.count(w)) {
                    Form* form = AcceptInteraction::FormOf(w);
                    opened += " " + (form ? form->Name() : w->objectName().toStdString());
                }
            std::string asked;
            for (const std::string& a : walk.asked) asked += "\n  " + a;
            if (c) {
                chosen.insert(name);
                EXPECT_TRUE(walk.stayedOpen.empty()) << "the dialog's own steps left it open";
                if (!c->onlyReports && !c->checksMessages) {
                    EXPECT_TRUE(walk.messages.empty() && walk.beeps == 0) << "a message or beep showed:" << asked;
                }
                const std::string missing = c->check(*this, before, time);
                EXPECT_EQ(missing, "") << "the effect \"" << c->effect << "\" is missing; asked:" << asked;
            } else if (!kNoDialog.count(name)) {
                EXPECT_TRUE(walk.asked.empty() && opened.empty())
                    << "asks or opens a window without a row in the table:" << asked << opened;
            }
            walk.beeps = 0;
            Settle(main);
            EXPECT_EQ(RunIntegrityCheck(nullptr), clean);
        }
    }
    // Every row is a command of the menus, chosen.
    for (const AcceptCase& c : Cases()) EXPECT_TRUE(chosen.count(c.item)) << c.item << " was never chosen";
}

}  // namespace
