// A walk over every command of the main window's menus on the demo design,
// as a user chooses them: each is chosen twice in a row, once with every
// question it asks answered with Cancel and once with its default. Each
// choice must do something a user sees (a window or question, a mode or
// command, a message, a check mark, the caption, the page or the design)
// without a runtime error, and the design must stay sound.
#include "tests/shell/menu_walk.h"

#include "editor/objects/integrity.h"
#include "editor/shell/tooltable.h"
#include "platform/kernel/records.h"

#include <QTest>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// The commands that do nothing a user sees on the demo's first page in the
// state the walk leaves, with the reason; the walk checks only that they
// report no error and leave the design sound.
const std::map<std::string, std::string> kQuietHere = {
    {"M_Query", "the question line of the popup confirmation; it is chosen only inside that popup"},
    {"M_Yes", "the popup confirmation's Yes: it only gives the answer to the question that popup asks"},
    {"M_No", "the popup confirmation's No: it only gives the answer to the question that popup asks"},
    {"M_TcModeSLN(2)", "the second T-connect bit has no meaning; its item stays hidden"},
    {"M_Help", "the help window it opens stays open; choosing it again shows the same window"},
    {"M_Scopy", "copies the page's picture to the clipboard; a second copy is the same picture"},
    {"M_Tsave", "a second backup save in a row writes the same file and says the same"},
    {"M_PlcCellOff", "hides the placement cells, and none are shown on the page"},
    {"M_PlcCell(1)", "in the placement-pattern and keep-off modes the mode draws its own cells"},
    {"M_PlcCell(2)", "in the placement-pattern and keep-off modes the mode draws its own cells"},
    {"M_PlcCell(3)", "in the placement-pattern and keep-off modes the mode draws its own cells"},
    {"M_PlcCell(4)", "in the placement-pattern and keep-off modes the mode draws its own cells"},
};

// Commands the walk does not choose: they end the editor.
const std::set<std::string> kNotChosen = {"M_Exit"};

using menu_walk::Before;
using menu_walk::Changed;
using menu_walk::Look;
using menu_walk::LookBefore;
using menu_walk::Seen;
using MenuWalk = menu_walk::MenuWalkFixture<menu_walk::WalkInteraction>;

TEST_F(MenuWalk, EveryMenuCommandDoesSomethingEachTimeItIsChosen)
{
    SCHMAIN& main = Main();
    const std::string clean = RunIntegrityCheck(nullptr);
    const std::vector<std::pair<std::string, MenuItem*>> commands = menu_walk::MenuCommands(main);
    ASSERT_GT(commands.size(), 60u);
    for (const bool defaults : {false, true}) {
        walk.defaults = defaults;
        for (const auto& [name, item] : commands) {
            if (kNotChosen.count(name)) continue;
            for (int time = 1; time <= 2; ++time) {
                SCOPED_TRACE(name + (defaults ? " with defaults" : " cancelled") + ", time " +
                             std::to_string(time));
                if (!menu_walk::OpenMenusOf(item)) {
                    EXPECT_TRUE(kQuietHere.count(name)) << "offered disabled " << item->Action()->isEnabled() << item->Action()->isVisible() << " " << item->Action()->text().toStdString();
                    continue;
                }
                const Before before = LookBefore(walk, main, item);
                errors.clear();
                item->Action()->trigger();
                const Seen after = Look(walk, main, item);
                const bool changed = Changed(before, after, main);
                EXPECT_TRUE(errors.empty()) << errors.front();
                // A choice that is already the one chosen changes nothing.
                const bool chosenAlready = before.seen.checked && after.checked;
                if (!kQuietHere.count(name) && !chosenAlready) {
                    EXPECT_TRUE(changed) << "nothing happened in mode " << g_CurMode;
                }
                Settle(main);
                EXPECT_EQ(RunIntegrityCheck(nullptr), clean);
            }
        }
    }
}

// The pixel of a page point.
QPoint PixelOf(SCHMAIN& main, int32_t x, int32_t y)
{
    main.OpenCanvasDC();
    int32_t p[2] = {x, y};
    G_LPtoDP(p);
    main.CloseCanvasDC();
    return {p[0], p[1]};
}

// The page point of a component's pin. Components are stored under their
// reference and gate ("R1/1").
QPoint PinPixel(SCHMAIN& main, const char* component, int32_t entry)
{
    EntryRec pin{};
    const int32_t id = OM_FindName(DB_SchCompMap(), component);
    EXPECT_NE(id, 0) << "no component " << component;
    EXPECT_NE(C_ReadEntry(id, entry, &pin), 0) << component << " has no pin " << entry;
    return PixelOf(main, pin.X, pin.Y);
}

// The demo's unit, a tenth of an inch.
constexpr int32_t kTenth = 254000;

// The first wire of the net on the current page.
int32_t FirstWire(const char* net)
{
    return B_FindNetPage(0, OM_FindName(DB_NetMap(), net), 0);
}

// The middle of the first segment of the net's first wire on the current page.
QPoint WirePixel(SCHMAIN& main, const char* net)
{
    BranchPointRec points[2]{};
    B_ReadRecords(FirstWire(net), points, 2);
    return PixelOf(main, (points[0].X + points[1].X) / 2, (points[0].Y + points[1].Y) / 2);
}

// The first junction of the net's first wire on the current page.
QPoint JunctionPixel(SCHMAIN& main, const char* net)
{
    BranchPointRec points[16]{};
    const int32_t n = B_ReadRecords(FirstWire(net), points, 16);
    for (int32_t i = 0; i < n && i < 16; ++i)
        if ((points[i].Flags & 6) == 4) return PixelOf(main, points[i].X, points[i].Y);
    return {};
}

// The first name text of the net's first wire on the current page.
QPoint WireTextPixel(SCHMAIN& main, const char* net)
{
    ItemRec text{};
    I_ReadItem(OA_Object(B_BranchTextArray(FirstWire(net)), 1), &text);
    return PixelOf(main, text.X, text.Y);
}

// A corner and the middle of the top side of the current page's frame.
std::pair<QPoint, QPoint> FramePixels(SCHMAIN& main)
{
    int32_t r[4] = {};
    B_FrameBranchLines(-100 - DB_CurPage(), 63, r);
    return {PixelOf(main, r[0], r[1]), PixelOf(main, (r[0] + r[2]) / 2, r[3])};
}

// The tools that show nothing after every click of the walk on the demo's
// first page, with the reason: by function (every option) or by option.
const std::map<std::string, std::string> kToolQuietHere = {
    {"mode 1 function 10 option 2", "giving another sheet stops quietly on a component without a sheet"},
    {"mode 2 function 4 option 3", "with Finish here pressed a point move ends where it starts"},
    {"mode 2 function 6 option 0", "renames a bus, and the first page has none"},
    {"mode 3 function 4", "changes the shape of a design note, and the demo has none"},
    {"mode 3 function 8", "edits a design note's text, and the demo has none"},
    {"mode 8 function 2", "moves a bitmap, and the demo has none"},
    {"mode 8 function 3", "deletes a bitmap, and the demo has none"},
    {"mode 10 function 1", "moves a keep-off zone, and the demo has none"},
    {"mode 10 function 2", "deletes a keep-off zone, and the demo has none"},
};

// Every tool of every edit mode, as the menu profile offers it: the mode
// chosen, the function pressed, each of its options (and none), and clicks
// on what tools act on: a wired pin, a wire's segment, a junction, a net's
// name text, a corner and a side of the page frame, the page's title
// text, a free place and a
// second free place (a box's other corner). Clicks stop at the first that
// shows something (a window or question, a mode or command, a message, the
// canvas, the design); each tool must show something, report no runtime
// error and leave the design sound.
TEST_F(MenuWalk, EveryToolActsOnAClick)
{
    SCHMAIN& main = Main();
    const std::string clean = RunIntegrityCheck(nullptr);
    std::vector<std::string> quiet;
    for (const bool defaults : {false, true}) {
        walk.defaults = defaults;
        for (int mode = 1; mode < kModeCount; ++mode) {
            if (!main.M_FSI.Exists(mode)) continue;
            for (int f = 0; f < kToolCount; ++f) {
                if (ModeTools(mode).Funcs.at(f).Avail == 0) continue;
                for (int option = -1; option < kToolCount; ++option) {
                    if (option >= 0 && ModeTools(mode).Funcs.at(f).Opts.at(option).Avail == 0) continue;
                    const std::string function = "mode " + std::to_string(mode) + " function " + std::to_string(f);
                    const std::string name = function + " option " + std::to_string(option);
                    SCOPED_TRACE(name + (defaults ? " with defaults" : " cancelled"));
                    if (g_CurMode != mode) main.M_FSI(mode)->Action()->trigger();
                    ASSERT_EQ(g_CurMode, mode);
                    if (!main.F_FSI(f)->Value()) QTest::mouseClick(main.F_FSI(f), Qt::LeftButton);
                    for (int o = 0; o < kToolCount; ++o) {
                        if (!main.F_OST.Exists(o) || !main.F_OST(o)->isVisible()) continue;
                        const bool wanted = o == option;
                        if (main.F_OST(o)->Value() != wanted && main.F_OST(o)->isEnabled())
                            QTest::mouseClick(main.F_OST(o), Qt::LeftButton);
                    }
                    // Each tool clicks on the demo as it is loaded: an
                    // earlier tool may have deleted or moved a target (the
                    // junction, the title text) or the wiring of R1's pin.
                    ASSERT_NO_FATAL_FAILURE(LoadDemo());
                    if (main.m_ResizePending) main.RefreshCanvas();
                    const auto [corner, side] = FramePixels(main);
                    const QPoint targets[] = {PinPixel(main, "R1/1", 2),      WirePixel(main, "SUM"),
                                              JunctionPixel(main, "SUM"),  WireTextPixel(main, "VIN"),
                                              corner,                      side,
                                              PixelOf(main, -22 * kTenth + kTenth / 2, 15 * kTenth + kTenth / 2),
                                              PixelOf(main, 0, 0) + QPoint(-200, 150),
                                              PixelOf(main, 0, 0) + QPoint(-120, 190)};
                    errors.clear();
                    bool shown = false;
                    // A click that shows nothing leaves all a user sees as
                    // it was, so the look before the first click is the
                    // look before each later one.
                    const Before before = LookBefore(walk, main);
                    for (const QPoint& at : targets) {
                        QTest::mouseMove(main.ViewPicture, at);
                        QTest::mouseClick(main.ViewPicture, Qt::LeftButton, {}, at);
                        if (Changed(before, Look(walk, main), main)) {
                            shown = true;
                            break;
                        }
                    }
                    EXPECT_TRUE(errors.empty()) << errors.front();
                    if (!shown && !kToolQuietHere.count(name) && !kToolQuietHere.count(function))
                        quiet.push_back(name);
                    Settle(main);
                    EXPECT_EQ(RunIntegrityCheck(nullptr), clean);
                }
            }
        }
    }
    std::string list;
    for (const std::string& q : quiet) list += "  " + q + "\n";
    EXPECT_TRUE(quiet.empty()) << "tools that showed nothing:\n" << list;
}

}  // namespace
