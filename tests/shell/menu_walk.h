// What the walks over the main window's menu commands share: the stand-in
// that answers every question without a person, the look at what a user
// sees before and after a choice, the demo design, and the fixture that
// loads the editor with the shipped settings and a job folder of its own.
#pragma once

#include "editor/automation/placement_symbols.h"
#include "editor/interaction/commands.h"
#include "editor/shell/controls.h"
#include "editor/shell/forms.h"
#include "editor/shell/menus.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/view/canvas.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/printer.h"
#include "tests/support/editor_fixture.h"
#include "tools/sources/source_builder.h"
#include "tools/sources/source_reader.h"

#include <QAction>
#include <QApplication>
#include <QColorSpace>
#include <QImage>
#include <QMenu>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace menu_walk {

// Answers every question without a person: with Cancel (or No, or the
// window closed), or with the default (the default button, the proposed
// text, the print set-up as it stands). File dialogs are always cancelled,
// so the walk writes no file of the user's.
class WalkInteraction : public winsys::Interaction {
public:
    bool defaults = false;
    int questions = 0;

    // The answer a message box of `style` gets: its default button with
    // `defaults`, else Cancel or No where it offers one.
    int BoxAnswer(int style) const
    {
        using namespace winsys::mb;
        const int buttons = style & ButtonsMask;
        const int index = (style & DefaultButtonMask) >> 8;
        static const std::map<int, std::vector<int>> answers = {
            {OkOnly, {AnswerOk}},
            {OkCancel, {AnswerOk, AnswerCancel}},
            {AbortRetryIgnore, {AnswerAbort, AnswerRetry, AnswerIgnore}},
            {YesNoCancel, {AnswerYes, AnswerNo, AnswerCancel}},
            {YesNo, {AnswerYes, AnswerNo}},
            {RetryCancel, {AnswerRetry, AnswerCancel}},
        };
        const std::vector<int>& set = answers.at(buttons);
        if (defaults) return index < static_cast<int>(set.size()) ? set[index] : set.front();
        for (int a : set)
            if (a == AnswerCancel || a == AnswerNo) return a;
        return set.front();
    }

    int MessageBox(const std::string&, const std::string&, int style) override
    {
        ++questions;
        return BoxAnswer(style);
    }
    bool InputBox(const winsys::InputBoxRequest& request, std::string& answer) override
    {
        ++questions;
        answer = request.defaultText;
        return defaults;
    }
    void PopupMenu(QMenu*, QPoint) override { ++questions; }
    bool FileDialog(winsys::FileDialogRequest&) override
    {
        ++questions;
        return false;
    }
    bool PrinterSetup(winsys::PrinterSetupRequest&) override
    {
        ++questions;
        return defaults;
    }
    bool PrintScaleSetup(winsys::PrintScaleRequest&) override
    {
        ++questions;
        return defaults;
    }
    void ShowModal(QWidget* window) override
    {
        ++questions;
        if (window) window->hide();
    }
    void ShowAndWait(QWidget* window, bool& waiting) override
    {
        ++questions;
        if (window) window->hide();
        waiting = false;
    }
    void Beep() override { ++beeps; }
    bool KeyPressed(int) override { return false; }
    QPoint CursorPos() override { return {}; }
    void SetCursorPos(QPoint) override {}

    int beeps = 0;
};

inline std::string DemoText()
{
    std::ifstream in(std::string(PALVANE_DEMO_DIR) + "/demo.txt");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline int32_t Count(int32_t map)
{
    return OM_GetCount(map);
}

// What a user can see of the editor and its design. The canvas's picture
// is kept by Before and compared with the canvas as it is now by Changed,
// so that a look after a choice or a click copies no picture.
struct Seen {
    int questions = 0;
    int beeps = 0;
    int32_t mode = 0;
    int32_t command = 0;
    std::string message;
    std::string caption;
    bool checked = false;
    std::string itemCaption;
    std::set<QWidget*> windows;
    std::vector<int32_t> design;
    bool operator==(const Seen&) const = default;
};

inline Seen Look(const WalkInteraction& ui, SCHMAIN& main, const MenuItem* item = nullptr)
{
    Seen s;
    s.questions = ui.questions;
    s.beeps = ui.beeps;
    s.mode = g_CurMode;
    s.command = g_CurCommand;
    s.message = main.F_MsgLine->Caption();
    s.caption = main.Caption();
    if (item) {
        s.checked = item->Checked();
        s.itemCaption = item->Caption();
    }
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w != main.Window()) s.windows.insert(w);
    s.design = {DB_CurHier(),          DB_CurPage(),          Count(DB_PageMap()), Count(DB_SchCompMap()),
                Count(DB_NetMap()),    Count(DB_HierarchyMap()), main.m_ViewOrgX,   main.m_ViewOrgY,
                main.m_ViewSize};
    return s;
}

// What a user sees before a choice or a click, the canvas's picture with it.
struct Before {
    Seen seen;
    QImage canvas;
};

inline Before LookBefore(const WalkInteraction& ui, SCHMAIN& main, const MenuItem* item = nullptr)
{
    return {Look(ui, main, item), main.ViewPicture->Image().copy()};
}

// Whether two pictures show the same, as QImage compares them. The canvas
// is RGB32, whose pixels QImage compares one by one without their unused
// alpha byte: equal bytes are equal pixels, found by one memcmp; only
// pictures whose bytes differ are left to QImage.
inline bool SamePicture(const QImage& a, const QImage& b)
{
    if (a.format() == QImage::Format_RGB32 && b.format() == QImage::Format_RGB32 && a.size() == b.size() &&
        a.colorSpace() == b.colorSpace() && a.bytesPerLine() == b.bytesPerLine() &&
        std::memcmp(a.constBits(), b.constBits(), static_cast<size_t>(a.sizeInBytes())) == 0)
        return true;
    return a == b;
}

// Whether a user sees something other than before: `now` is a look taken
// now; the canvas is compared as it is.
inline bool Changed(const Before& before, const Seen& now, SCHMAIN& main)
{
    return !(now == before.seen) || !SamePicture(main.ViewPicture->Image(), before.canvas);
}

// The commands of the main window's menus, in menu order, each named as
// its control is ("M_PageNew", "M_Imap(3)"); submenus are left out.
inline std::vector<std::pair<std::string, MenuItem*>> MenuCommands(SCHMAIN& main)
{
    std::vector<std::pair<std::string, MenuItem*>> commands;
    for (const Form::ControlEntry& c : main.Controls()) {
        auto* item = qobject_cast<MenuItem*>(c.object);
        if (!item || item->Menu()) continue;
        const std::string name = c.index >= 0 ? c.name + "(" + std::to_string(c.index) + ")" : c.name;
        commands.emplace_back(name, item);
    }
    return commands;
}

// Opens the menus that hold `item` as a user does before choosing it (the
// menus set their items' state as they open); true when the item is then
// offered, enabled and shown.
inline bool OpenMenusOf(MenuItem* item)
{
    for (QObject* owner : item->Action()->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(owner)) emit menu->aboutToShow();
    return item->Action()->isEnabled() && item->Action()->isVisible();
}

// The editor on the demo design with the shipped settings, the job folder
// and the printer's output in a temporary folder of the test, `walk`
// answering every question and the runtime errors collected in `errors`.
template <class UI>
class MenuWalkFixture : public palvane_test::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(LoadDemo());
        // The job folder (temporary backups) is the test's own.
        setenv("XDG_DATA_HOME", dir.filePath("data").toLocal8Bit().constData(), 1);
        // The shipped settings, with their shortcuts, and the placement
        // patterns of the new design's level.
        E_SetString("IniFile", PALVANE_TEST_DATA_DIR "/norvo32.ini");
        Main().LoadSettings();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        winsys::Printer::Get().SetOutputFile(dir.filePath("walk.pdf").toStdString());
        winsys::InstallInteraction(&walk);
        previous = SetEventErrorReporter([this](int number, const std::string& text) {
            errors.push_back(std::to_string(number) + ": " + text);
        });
    }
    void TearDown() override
    {
        SetEventErrorReporter(previous);
        winsys::InstallInteraction(&ui);
        EditorTest::TearDown();
    }

    // The demo design, as the editor shows it after loading it. The tool
    // walk builds it again and again: its text is read once, into `demo`.
    void LoadDemo()
    {
        std::string error;
        if (!demo) {
            nvo_sources::Source source;
            ASSERT_TRUE(nvo_sources::ReadSourceText(DemoText(), "design", PALVANE_DEMO_DIR, source, error)) << error;
            demo = std::move(source);
        }
        ASSERT_TRUE(nvo_sources::BuildDesign(*demo, error)) << error;
        RefreshPlacementSymbols(Main());
        Main().RefreshCanvas();
    }

    // Leaves what a command left going: its command ended, its windows shut.
    void Settle(SCHMAIN& main)
    {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
        if (g_CurCommand != 0 && main.F_OST.Exists(10)) main.F_OST(10)->SetValue(true);
        g_CmdRunning = 0;
        if (g_CurCommand != 0) main.EndCommand(g_CurCommand);
        // Routing mode is left as a user leaves it (the save question is
        // answered as every question of this pass).
        if (g_RouteImageActive != 0) main.SaveRoutedWires();
        for (Form* form : std::vector<Form*>(Forms()))
            if (form != &main && form->Visible()) form->Hide();
    }

    QTemporaryDir dir;
    std::optional<nvo_sources::Source> demo;
    UI walk;
    std::vector<std::string> errors;
    EventErrorReporter previous;
};

}  // namespace menu_walk
