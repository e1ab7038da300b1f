// Automatic placement keeps the parts off the texts and drawings of the
// page's notes and the design notes, as it keeps them off keep-off zones:
// after the run from the menu command no part's body comes nearer the box of
// a notes item than the clearance, and nothing is stored in the zone symbol
// for them.
#include "editor/automation/placement_settings.h"
#include "editor/shell/controls.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"
#include "platform/placement/nvosplc32.h"
#include "platform/winsys/interaction.h"
#include "tests/automation/placement_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using placement_test::PlacementTest;
namespace mb = winsys::mb;

constexpr int32_t kMil = 2540;

struct Box {
    int32_t x1, y1, x2, y2;
};

// Whether two boxes share more than an edge; a box of no width or height
// (a line) counts where it runs through the other.
bool Crosses(const Box& a, const Box& b)
{
    return a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2;
}

std::string Describe(const Box& b)
{
    return "(" + std::to_string(b.x1) + ", " + std::to_string(b.y1) + ")-(" + std::to_string(b.x2) + ", " +
           std::to_string(b.y2) + ")";
}

// The box of every notes item the page shows (the page notes and the design
// notes, drawn at the identity placement; a hidden text shows nothing), by
// its text or kind.
std::vector<std::pair<std::string, Box>> NotesBoxes()
{
    std::vector<std::pair<std::string, Box>> out;
    S_SetCompLocation(0, 0, 0, 0);
    for (const int32_t symb : {g_PageNotesSymb, g_DesNotesSymb}) {
        const int32_t array = S_SymbolItemArray(symb);
        for (int32_t i = 1; i <= OA_GetCount(array); ++i) {
            ItemRec r{};
            int32_t b[4] = {};
            if (I_ReadItem(OA_Object(array, i), &r) != 1 || (r.Kind == 6 && r.P1 <= 0) ||
                S_FrameSymbolItem(symb, i, b) != 1)
                continue;
            if (r.Kind == 3 && !(r.Style & 16) && r.Angle == 0) {
                // A rectangle drawn as an outline shows its four sides.
                const Box box{b[0], b[1], b[2], b[3]};
                out.push_back({"left side", {box.x1, box.y1, box.x1, box.y2}});
                out.push_back({"right side", {box.x2, box.y1, box.x2, box.y2}});
                out.push_back({"bottom side", {box.x1, box.y1, box.x2, box.y1}});
                out.push_back({"top side", {box.x1, box.y2, box.x2, box.y2}});
                continue;
            }
            out.push_back({r.Kind == 6 ? std::string(r.Text) : "item of kind " + std::to_string(r.Kind),
                           {b[0], b[1], b[2], b[3]}});
        }
    }
    return out;
}

// The body of every part on the current page: its symbol's drawing and its
// pins, as the engine measures a part.
std::vector<std::pair<std::string, Box>> PartBoxes()
{
    std::vector<std::pair<std::string, Box>> out;
    const int32_t map = DB_SchCompMap();
    int32_t cursor = OM_GetFirst(map);
    while (int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
        CompRec rec{};
        if (C_ReadComponent(id, &rec) != 1 || rec.Page != DB_CurPage()) continue;
        int32_t a[4] = {}, b[4] = {};
        const bool entries = C_FrameCompEntries(id, a) > 0, items = C_FrameCompItems(id, b) > 0;
        Box box = entries ? Box{a[0], a[1], a[2], a[3]} : Box{b[0], b[1], b[2], b[3]};
        if (entries && items)
            box = {std::min(a[0], b[0]), std::min(a[1], b[1]), std::max(a[2], b[2]), std::max(a[3], b[3])};
        out.push_back({rec.Name, box});
    }
    return out;
}

// How many part bodies, widened by the clearance of the last run as the
// engine widens them against a zone, cross a notes item (each crossing
// reported).
int CrossingsOnThePage()
{
    const int32_t cx = g_PlcParams.ClearX / 2, cy = g_PlcParams.ClearY / 2;
    int crossings = 0;
    for (const auto& [part, body] : PartBoxes())
        for (const auto& [note, n] : NotesBoxes()) {
            const Box p{body.x1 - cx, body.y1 - cy, body.x2 + cx, body.y2 + cy};
            if (Crosses(p, n)) {
                ++crossings;
                ADD_FAILURE() << part << " " << Describe(body) << " with the clearance crosses \"" << note << "\" "
                              << Describe(n);
            }
        }
    return crossings;
}

void Settle()
{
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
}

// Auto > Placement > Execute, answered Yes: the run completes.
void PlaceThroughTheMenu(winsys::ScriptedInteraction& ui, SCHMAIN& m)
{
    ui.ExpectMessageBox(mb::AnswerYes, "Current positions of the components will be changed.");
    m.M_AutPlcExecute_Click();
    EXPECT_EQ(Trim(m.F_MsgLine->Caption()), "Placement Completed");
    EXPECT_EQ(PLCDLL_GetErrorCode(), PLC_DONE);
    Settle();
}

// Eight wired resistors on a 10 x 8 inch page (frame -5000..5000 x
// -4000..4000 mils), which the engine gathers about the page's middle, and
// notes there: the fault put the parts on them.
TEST_F(PlacementTest, PartsStayOffTheNotesItems)
{
    struct Case {
        const char* name;
        const char* page;        // notes lines of the page
        const char* designText;  // a text of the design notes, or null
        size_t notes;            // notes boxes the page shows (an outline by its sides)
    } cases[] = {
        {"a text", "  text \"ALL PARTS STAY OFF THIS TEXT\" at -1600 -100 size 0.2in\n", nullptr, 1},
        {"a notes item", "  rect -1200 -900 2400 1800\n  line -4000 300 4000 300\n", nullptr, 5},
        {"a filled notes rectangle", "  rect -1200 -900 2400 1800 filled\n", nullptr, 1},
        // A border drawn round the page keeps off its sides only: the parts
        // stand inside it.
        {"a border round the page", "  rect -4900 -3900 9800 7800\n", nullptr, 4},
        {"a text at the page edge", "  text \"FROM THE EDGE OF THE PAGE TO ITS MIDDLE\" at -5200 -100 size 0.25in\n",
         nullptr, 1},
        {"a design notes text", "", "A NOTE OF THE DESIGN ON EVERY PAGE", 1},
        {"a design with no texts", "", nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = placement_test::ChainDesign(8);
        text.insert(text.rfind("end"), c.page);
        ASSERT_TRUE(palvane_test::BuildDesign(text));
        SCHMAIN& m = Main();
        m.LoadSettings();
        RefreshPlacementSymbols(m);
        if (c.designText) {
            const int32_t item = I_MakeText(-1600 * kMil, 200 * kMil, 0, 30000, 30000, c.designText, 1, 0, 0);
            ASSERT_GT(OA_Add(S_SymbolItemArray(g_DesNotesSymb), item), 0);
        }
        const int32_t zones = OA_GetCount(S_SymbolItemArray(g_ZoneSymbol));
        ASSERT_EQ(NotesBoxes().size(), c.notes);
        PlaceThroughTheMenu(ui, m);
        EXPECT_EQ(CrossingsOnThePage(), 0);
        // The notes stay notes: none became a zone of the design.
        EXPECT_EQ(OA_GetCount(S_SymbolItemArray(g_ZoneSymbol)), zones);
        EXPECT_EQ(NotesBoxes().size(), c.notes);
    }
}

// The shipped demo: on both pages of the main level no part lands on the
// page's texts (the title and the notes about U1 and H1 on the amplifier),
// nor comes nearer them than the clearance (R2 was placed between the title
// and the note about U1, its name on the one and its value on the other).
TEST_F(PlacementTest, TheDemoPagesKeepTheirTextsFree)
{
    std::ifstream in(std::string(PALVANE_DEMO_DIR) + "/demo.txt");
    std::stringstream text;
    text << in.rdbuf();
    ASSERT_TRUE(palvane_test::BuildDesign(text.str(), PALVANE_DEMO_DIR));
    SCHMAIN& m = Main();
    m.LoadSettings();
    RefreshPlacementSymbols(m);
    m.ViewPicture->window()->resize(1100, 800);
    Settle();
    for (const char* page : {"Amplifier", "Blinker"}) {
        SCOPED_TRACE(page);
        m.F_Pages->SetText(page);
        m.F_Pages_Click();
        ASSERT_GE(NotesBoxes().size(), 2u);
        PlaceThroughTheMenu(ui, m);
        EXPECT_EQ(CrossingsOnThePage(), 0);
    }
}

}  // namespace
