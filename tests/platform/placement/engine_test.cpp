// The placement engine on designs in the kernel: legality of every site
// (cells, frame, zones and the page's notes, locked components, clearances,
// orientations, no rotation, mirrored components), the use of the page
// (centred, shaped like the frame, room for wires growing with a part's
// nets), the error codes and the part a failed run names, the
// all-or-nothing write-back, determinism, what the settling anneal gains
// over the greedy passes, and the placement of boards of 400 and more parts
// centred in the frame with no part off on its own (through the engine's
// own model).
#include "bench/boards/board_page.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "platform/placement/nvosplc32.h"
#include "platform/placement/plc_model.h"
#include "platform/placement/plc_rules.h"
#include "platform/placement/plc_sites.h"
#include "tests/support/design_builder.h"
#include "tests/support/kernel_fixture.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int32_t kInch = 2540000;
constexpr int32_t kMil = 2540;

struct Box {
    int64_t x1, y1, x2, y2;
};

struct Placed {
    int32_t x, y, angle, flags;
    Box box;
};

// A square symbol of `perSide` pins 0.1 inch apart on each of its four sides.
std::string FourSideSymbol(const std::string& name, int perSide)
{
    std::string s = "symbol " + name + " schematic\n";
    const int half = 50 * (perSide - 1), edge = half + 100, tip = half + 200;
    int pin = 0;
    for (int side = 0; side < 4; ++side)
        for (int i = 0; i < perSide; ++i) {
            const int along = -half + 100 * i;
            const int x = side == 0 ? -tip : side == 2 ? tip : along, y = side == 1 ? -tip : side == 3 ? tip : along;
            s += "  entry " + std::to_string(++pin) + " at " + std::to_string(x) + " " + std::to_string(y) + "\n";
        }
    s += "  rect " + std::to_string(-edge) + " " + std::to_string(-edge) + " " + std::to_string(2 * edge) + " " +
         std::to_string(2 * edge) + "\n";
    return s + "  text U at " + std::to_string(-edge) + " " + std::to_string(tip + 20) + " role reference\nend\n";
}

// A mesh: `rows` chains of `cols` resistors (pin 2 of each on one net with
// pin 1 of the next), the nets of neighbouring chains joined by capacitors,
// so that nets have two to four pins.
std::string MeshPage(int cols, int rows)
{
    std::string page, nets;
    auto net = [&](int c, int r) { return "H" + std::to_string(r * cols + c + 1); };
    std::vector<std::string> pins(static_cast<size_t>(cols * rows));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const std::string name = "R" + std::to_string(r * cols + c + 1);
            page += "  component " + name + " R at 0 0\n";
            if (c + 1 < cols) pins[static_cast<size_t>(r * cols + c)] += " " + name + ".2";
            if (c > 0) pins[static_cast<size_t>(r * cols + c - 1)] += " " + name + ".1";
        }
    for (int r = 0; r + 1 < rows; ++r)
        for (int c = 0; c + 1 < cols; ++c) {
            const std::string name = "C" + std::to_string(r * cols + c + 1);
            page += "  component " + name + " C at 0 0\n";
            pins[static_cast<size_t>(r * cols + c)] += " " + name + ".1";
            pins[static_cast<size_t>((r + 1) * cols + c)] += " " + name + ".2";
        }
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c + 1 < cols; ++c) nets += "  net " + net(c, r) + pins[static_cast<size_t>(r * cols + c)] + "\n";
    return page + nets;
}

class PlacementEngine : public palvane_test::KernelTest {
protected:
    // A 10 x 8 inch page (or `frame`) with `count` resistors in a chain,
    // R1 .. Rn, all at the origin of the page; `extra` lines go into the page.
    void Build(int count, const std::string& extra = {}, const std::string& frame = "10in 8in")
    {
        std::string page;
        for (int i = 1; i <= count; ++i) page += "  component R" + std::to_string(i) + " R at 0 0\n";
        page += extra;
        for (int i = 1; i < count; ++i)
            page += "  net N" + std::to_string(i) + " R" + std::to_string(i) + ".2 R" + std::to_string(i + 1) + ".1\n";
        BuildText({}, page, frame);
    }

    // A design of the given source lines (`symbols` before the design,
    // `page` inside the page of `frame`), with the placement symbols made.
    void BuildText(const std::string& symbols, const std::string& page, const std::string& frame)
    {
        BuildSource("include discrete.nls\nunit 1mil\n" + symbols + "design D\nlevel MAIN\npage P frame " + frame + "\n" +
                    page + "end\n");
    }

    // A whole design source, with the placement symbols made.
    void BuildSource(const std::string& text)
    {
        ASSERT_TRUE(palvane_test::BuildDesign(text));
        page_ = DB_CurPage();
        ASSERT_NE(page_, 0);
        grid_ = -(DB_CurHier() + 13000);
        zone_ = -(DB_CurHier() + 12000);
        ASSERT_EQ(S_CreateSymbol(grid_, "GridSymbol"), grid_);
        ASSERT_EQ(S_CreateSymbol(zone_, "ZoneSymbol"), zone_);
        ASSERT_GT(B_FrameBranchLines(-100 - page_, 63, frame_), 0);
    }

    void AddItem(int32_t symb, ItemRec r)
    {
        r.Flags = 1;
        r.Layer = 191;
        r.Width = 1;
        ASSERT_GT(OA_Add(S_SymbolItemArray(symb), I_MakeItem(&r)), 0);
    }

    // Row and column lines of one pattern over the frame.
    void AddPattern(int32_t rowLink, int32_t rowStep, int32_t colStep)
    {
        for (int32_t y = frame_[1]; y <= frame_[3]; y += rowStep) {
            ItemRec r{};
            r.Kind = 1, r.Link = rowLink, r.X = frame_[0], r.Y = y, r.P1 = frame_[2] - frame_[0];
            AddItem(grid_, r);
        }
        for (int32_t x = frame_[0]; x <= frame_[2]; x += colStep) {
            ItemRec r{};
            r.Kind = 1, r.Link = rowLink + 1, r.X = x, r.Y = frame_[1], r.P2 = frame_[3] - frame_[1];
            AddItem(grid_, r);
        }
    }

    void AddText(int32_t link, const char* text)
    {
        ItemRec r{};
        r.Kind = 6, r.Link = link, r.Text = text;
        AddItem(grid_, r);
    }

    void AddZone(int32_t x, int32_t y, int32_t dx, int32_t dy)
    {
        ItemRec r{};
        r.Kind = 3, r.Link = 1, r.X = x, r.Y = y, r.P1 = dx, r.P2 = dy;
        AddItem(zone_, r);
    }

    // The record as the editor fills it: lengths as twice the value.
    PlcParamRec Params(int32_t clear = 100 * kMil, int32_t align = 100 * kMil, int32_t edge = 100 * kMil) const
    {
        PlcParamRec p{};
        p.ClearX = p.ClearY = 2 * clear;
        p.BoardEdge = 2 * edge;
        p.Align = 2 * align;
        p.GridSymb = grid_;
        p.ZoneSymb = zone_;
        p.Page = page_;
        return p;
    }

    // The editor's call order. Returns the final error code.
    int32_t Run(const PlcParamRec& p)
    {
        int32_t ok = PLCDLL_SetParameters(&p) && PLCDLL_DBaseOpen() && PLCDLL_PlaceLocked() &&
                     PLCDLL_PlaceFirstComponent();
        if (ok) PLCDLL_PlaceNextComponent();
        const int32_t code = PLCDLL_GetErrorCode();
        PLCDLL_DBaseClose();
        return code;
    }

    std::map<std::string, Placed> Positions() const
    {
        std::map<std::string, Placed> out;
        const int32_t map = DB_SchCompMap();
        int32_t cursor = OM_GetFirst(map);
        while (int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
            CompRec rec{};
            EXPECT_EQ(C_ReadComponent(id, &rec), 1);
            int32_t a[4], b[4];
            C_FrameCompEntries(id, a);
            C_FrameCompItems(id, b);
            Box box{std::min({a[0], a[2], b[0], b[2]}), std::min({a[1], a[3], b[1], b[3]}),
                    std::max({a[0], a[2], b[0], b[2]}), std::max({a[1], a[3], b[1], b[3]})};
            std::string name = rec.Name;  // "R1/1": the reference before the gate number
            out[name.substr(0, name.find('/'))] = {rec.X, rec.Y, rec.Angle, rec.Flags, box};
        }
        return out;
    }

    int32_t IdOf(const char* name) const
    {
        const int32_t map = DB_SchCompMap();
        int32_t cursor = OM_GetFirst(map);
        while (int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
            const std::string full = O_GetName(C_Component(id));
            if (full.substr(0, full.find('/')) == name) return id;
        }
        return 0;
    }

    // Checks every component of `placed` against the rules: inside the frame
    // less the edge, clear of zones and of each other by the clearance, the
    // origin on a relocated cell corner of the lines `rows`/`cols`, and the
    // outline plus clearance within a block of cells.
    void ExpectLegal(const std::map<std::string, Placed>& placed, int64_t clear, int64_t align, int64_t edge,
                     const std::vector<int64_t>& rows, const std::vector<int64_t>& cols,
                     const std::vector<Box>& zones = {}, const std::vector<std::string>& skipCells = {})
    {
        for (const auto& [name, p] : placed) {
            const Box& b = p.box;
            EXPECT_GE(b.x1, frame_[0] + edge) << name;
            EXPECT_GE(b.y1, frame_[1] + edge) << name;
            EXPECT_LE(b.x2, frame_[2] - edge) << name;
            EXPECT_LE(b.y2, frame_[3] - edge) << name;
            for (const Box& z : zones)
                EXPECT_FALSE(b.x1 - clear < z.x2 && z.x1 < b.x2 + clear && b.y1 - clear < z.y2 && z.y1 < b.y2 + clear)
                    << name << " in a zone";
            for (const auto& [other, q] : placed) {
                if (other <= name) continue;
                const Box& o = q.box;
                EXPECT_FALSE(b.x1 - clear < o.x2 && o.x1 < b.x2 + clear && b.y1 - clear < o.y2 && o.y1 < b.y2 + clear)
                    << name << " and " << other << " closer than the clearance";
            }
            if (std::find(skipCells.begin(), skipCells.end(), name) != skipCells.end()) continue;
            // The origin is the relocated corner of some cell.
            bool corner = false;
            for (int64_t cx : cols)
                for (int64_t ry : rows)
                    if (plc_prefix::AlignRelocated(cx + (p.x - b.x1), align) == p.x &&
                        plc_prefix::AlignRelocated(ry + (p.y - b.y1), align) == p.y && b.x1 >= cx && b.y1 >= ry)
                        corner = true;
            EXPECT_TRUE(corner) << name << " not on a cell corner";
            EXPECT_LE(b.x2 + clear, cols.back()) << name;
            EXPECT_LE(b.y2 + clear, rows.back()) << name;
        }
    }

    std::vector<int64_t> Lines(int32_t from, int32_t to, int32_t step) const
    {
        std::vector<int64_t> v;
        for (int32_t c = from; c <= to; c += step) v.push_back(c);
        return v;
    }

    int32_t page_ = 0, grid_ = 0, zone_ = 0;
    int32_t frame_[4] = {};
};

TEST_F(PlacementEngine, PlacesEveryComponentOnLegalSites)
{
    Build(8);
    AddPattern(1, kInch / 2, kInch);
    ASSERT_EQ(Run(Params()), PLC_DONE);
    const auto placed = Positions();
    ExpectLegal(placed, 100 * kMil, 100 * kMil, 100 * kMil, Lines(frame_[1], frame_[3], kInch / 2),
                Lines(frame_[0], frame_[2], kInch));
    // Nothing stays at the common starting point.
    int atOrigin = 0;
    for (const auto& [name, p] : placed) atOrigin += (p.x == 0 && p.y == 0);
    EXPECT_LE(atOrigin, 1);
}

TEST_F(PlacementEngine, ConnectedChainStaysShorterThanItsSpread)
{
    Build(6);
    AddPattern(1, kInch / 2, kInch);
    ASSERT_EQ(Run(Params()), PLC_DONE);
    const auto placed = Positions();
    // Each link of the chain stays close: neighbours within two cells.
    for (int i = 1; i < 6; ++i) {
        const Placed& a = placed.at("R" + std::to_string(i));
        const Placed& b = placed.at("R" + std::to_string(i + 1));
        EXPECT_LE(std::abs(a.x - b.x) + std::abs(a.y - b.y), 2 * kInch) << i;
    }
}

TEST_F(PlacementEngine, KeepsClearOfZonesAndLockedComponents)
{
    Build(6, "  component L1 R at -2000 -1000\n");
    AddPattern(1, kInch / 2, kInch);
    AddZone(-5 * kInch, 0, 4 * kInch, 4 * kInch);  // the upper left of the page
    AddZone(3 * kInch, -4 * kInch, -2 * kInch, 2 * kInch);  // given with a negative extent
    const int32_t locked = IdOf("L1");
    ASSERT_EQ(O_Mask(C_Component(locked), 32, 32), 1);
    const auto before = Positions();
    ASSERT_EQ(Run(Params()), PLC_DONE);
    auto placed = Positions();
    EXPECT_EQ(placed.at("L1").x, before.at("L1").x);
    EXPECT_EQ(placed.at("L1").y, before.at("L1").y);
    EXPECT_EQ(placed.at("L1").angle, before.at("L1").angle);
    ExpectLegal(placed, 100 * kMil, 100 * kMil, 100 * kMil, Lines(frame_[1], frame_[3], kInch / 2),
                Lines(frame_[0], frame_[2], kInch),
                {{-5 * kInch, 0, -kInch, 4 * kInch}, {kInch, -4 * kInch, 3 * kInch, -2 * kInch}}, {"L1"});
}

// The texts and drawings the page shows are kept off as zones are: those of
// its own notes move the parts off them; a hidden text (drawn as nothing, in
// the middle of where a part goes without it) and the notes of another page
// change nothing.
TEST_F(PlacementEngine, KeepsOffTheNotesThePageShowsOnly)
{
    const std::string across = "  text \"A TEXT ACROSS THE MIDDLE OF THE PAGE\" at -3000 -50 size 0.2in\n";
    struct Case {
        const char* what;
        std::string page;   // notes of the page placed
        std::string other;  // a second page after it
        bool moves;
    } cases[] = {
        {"no notes", "", "", false},
        {"a hidden text", "", "", false},
        {"a text of another page", "", "end\npage Q frame 10in 8in\n" + across, false},
        {"a text of the page", across, "", true},
    };
    std::map<std::string, Placed> alone;
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.what == std::string("a hidden text")) {
            const Box& b = alone.at("R4").box;
            c.page = "  text \"HIDDEN\" at " + std::to_string((b.x1 + b.x2) / 2 / kMil) + " " +
                     std::to_string((b.y1 + b.y2) / 2 / kMil) + " hidden\n";
        }
        Build(8, c.page + c.other);
        AddPattern(1, kInch / 2, kInch);
        ASSERT_EQ(Run(Params()), PLC_DONE);
        const auto placed = Positions();
        if (alone.empty()) alone = placed;
        bool moved = false;
        for (const auto& [name, p] : placed) moved = moved || p.x != alone.at(name).x || p.y != alone.at(name).y;
        EXPECT_EQ(moved, c.moves);
        // The text the page shows, clear of every part by the clearance.
        std::vector<Box> notes;
        if (c.moves) {
            const int32_t pageNotes = -((DB_CurHier() + 9) * 100 + page_);
            S_SetCompLocation(0, 0, 0, 0);
            int32_t b[4] = {};
            ASSERT_EQ(S_FrameSymbolItem(pageNotes, 1, b), 1);
            notes.push_back({b[0], b[1], b[2], b[3]});
        }
        ExpectLegal(placed, 100 * kMil, 100 * kMil, 100 * kMil, Lines(frame_[1], frame_[3], kInch / 2),
                    Lines(frame_[0], frame_[2], kInch), notes);
    }
}

TEST_F(PlacementEngine, RotationFollowsTheFlagsAndOrientationPrefixes)
{
    struct Case {
        int32_t noRotate;
        const char* vertical;  // prefix in the "Vertical" orientation row
        std::vector<int32_t> angles;
    } cases[] = {
        {1, "", {0}},                         // no rotation: the angle stays
        {1, "R*", {0}},                       // no rotation wins over a preference
        {0, "R*", {90000, 270000}},           // vertical only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vertical);
        Build(4);
        AddPattern(1, kInch, kInch);
        if (*c.vertical) AddText(36, c.vertical);
        PlcParamRec p = Params();
        p.NoRotate[0] = c.noRotate;
        ASSERT_EQ(Run(p), PLC_DONE);
        const auto placed = Positions();
        for (const auto& [name, q] : placed)
            EXPECT_NE(std::find(c.angles.begin(), c.angles.end(), q.angle), c.angles.end()) << name << " " << q.angle;
        ExpectLegal(placed, 100 * kMil, 100 * kMil, 100 * kMil, Lines(frame_[1], frame_[3], kInch),
                    Lines(frame_[0], frame_[2], kInch));
    }
}

TEST_F(PlacementEngine, PrefixesChooseThePatternAndMirroredPartsTheSolderSide)
{
    Build(4, "  component Q1 R at 0 0\n");
    AddPattern(1, kInch / 2, kInch);       // pattern #1
    AddPattern(3, kInch, 2 * kInch);       // pattern #2, for Q*
    AddPattern(9, kInch, 3 * kInch / 2);   // solder side pattern #1
    AddText(22, "Q*");
    const int32_t q1 = IdOf("Q1"), r4 = IdOf("R4");
    ASSERT_EQ(C_ChangeCompDispAttr(r4, 0, 1), 1);  // mirrored
    ASSERT_EQ(Run(Params(100 * kMil, 10 * kMil)), PLC_DONE);
    const auto placed = Positions();
    // Q1 sits on a relocated corner of pattern #2, R4 on the solder pattern.
    auto onCorner = [&](const Placed& p, int32_t rowStep, int32_t colStep) {
        for (int64_t cx : Lines(frame_[0], frame_[2], colStep))
            for (int64_t ry : Lines(frame_[1], frame_[3], rowStep))
                if (plc_prefix::AlignRelocated(cx + (p.x - p.box.x1), 10 * kMil) == p.x &&
                    plc_prefix::AlignRelocated(ry + (p.y - p.box.y1), 10 * kMil) == p.y)
                    return true;
        return false;
    };
    EXPECT_TRUE(onCorner(placed.at("Q1"), kInch, 2 * kInch));
    EXPECT_TRUE(onCorner(placed.at("R4"), kInch, 3 * kInch / 2));
    EXPECT_TRUE(placed.at("R4").flags & 2) << "the mirror bit stays";
    EXPECT_NE(q1, 0);
    // Overall no overlaps across patterns.
    for (const auto& [a, pa] : placed)
        for (const auto& [b, pb] : placed)
            if (a < b) {
                EXPECT_FALSE(pa.box.x1 < pb.box.x2 && pb.box.x1 < pa.box.x2 && pa.box.y1 < pb.box.y2 &&
                             pb.box.y1 < pa.box.y2)
                    << a << " " << b;
            }
}

TEST_F(PlacementEngine, TooFewCellsGivesElevenAndMovesNothing)
{
    struct Case {
        const char* what;
        int32_t rowStep, colStep;
    } cases[] = {
        {"a single line each way: no cell at all", 9 * kInch, 11 * kInch},
        {"too few cells", 4 * kInch, 5 * kInch},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Build(6);
        AddPattern(1, c.rowStep, c.colStep);
        const auto before = Positions();
        EXPECT_EQ(Run(Params()), PLC_ERR_NO_CELLS);
        const auto after = Positions();
        for (const auto& [name, p] : before) {
            EXPECT_EQ(after.at(name).x, p.x);
            EXPECT_EQ(after.at(name).y, p.y);
            EXPECT_EQ(after.at(name).angle, p.angle);
        }
    }
}

TEST_F(PlacementEngine, NoPatternLinesGivesEleven)
{
    Build(2);
    EXPECT_EQ(Run(Params()), PLC_ERR_NO_CELLS);
    EXPECT_EQ(PLCDLL_GetErrorFunction(), PLC_FN_PLACE_FIRST);
}

TEST_F(PlacementEngine, ARefusedWriteRestoresEveryPosition)
{
    for (const char* call : {"O_ChangePosition", "C_ChangeCompDispAttr"}) {
        SCOPED_TRACE(call);
        Build(6);
        AddPattern(1, kInch / 2, kInch);
        const auto before = Positions();
        KT_FailCall(call, 3);
        const PlcParamRec p = Params();
        ASSERT_EQ(PLCDLL_SetParameters(&p), 1);
        ASSERT_EQ(PLCDLL_DBaseOpen(), 1);
        ASSERT_EQ(PLCDLL_PlaceLocked(), 1);
        ASSERT_EQ(PLCDLL_PlaceFirstComponent(), 1);
        if (std::string(call) == "C_ChangeCompDispAttr") {
            // Only reached when some component turns; the run may then still succeed.
            PLCDLL_PlaceNextComponent();
        } else {
            EXPECT_EQ(PLCDLL_PlaceNextComponent(), 0);
        }
        const int32_t code = PLCDLL_GetErrorCode();
        PLCDLL_DBaseClose();
        KT_FailCall("", 0);
        if (code == PLC_DONE) continue;
        EXPECT_EQ(code, PLC_ERR_WRITE);
        EXPECT_EQ(PLCDLL_GetErrorFunction(), PLC_FN_PLACE_NEXT);
        const auto after = Positions();
        for (const auto& [name, q] : before) {
            EXPECT_EQ(after.at(name).x, q.x) << name;
            EXPECT_EQ(after.at(name).y, q.y) << name;
            EXPECT_EQ(after.at(name).angle, q.angle) << name;
        }
    }
}

TEST_F(PlacementEngine, ARerunGivesTheSamePositions)
{
    Build(10);
    AddPattern(1, kInch / 2, kInch);
    ASSERT_EQ(Run(Params()), PLC_DONE);
    const auto first = Positions();
    ASSERT_EQ(Run(Params()), PLC_DONE);
    const auto second = Positions();
    for (const auto& [name, p] : first) {
        EXPECT_EQ(second.at(name).x, p.x) << name;
        EXPECT_EQ(second.at(name).y, p.y) << name;
        EXPECT_EQ(second.at(name).angle, p.angle) << name;
    }
}

TEST_F(PlacementEngine, ErrorsOfTheCallOrderAndParameters)
{
    Build(2);
    AddPattern(1, kInch / 2, kInch);
    PLCDLL_DBaseClose();
    EXPECT_EQ(PLCDLL_PlaceFirstComponent(), 0);
    EXPECT_EQ(PLCDLL_GetErrorCode(), PLC_ERR_NOT_OPEN);
    EXPECT_EQ(PLCDLL_SetParameters(nullptr), 0);
    EXPECT_EQ(PLCDLL_GetErrorCode(), PLC_ERR_PARAMS);
    EXPECT_EQ(PLCDLL_GetErrorFunction(), PLC_FN_SET_PARAMETERS);
    PlcParamRec p = Params();
    p.ClearX = -2;
    EXPECT_EQ(PLCDLL_SetParameters(&p), 0);
    p = Params();
    p.Page = page_ + 50;  // no such page
    ASSERT_EQ(PLCDLL_SetParameters(&p), 1);
    EXPECT_EQ(PLCDLL_DBaseOpen(), 0);
    EXPECT_EQ(PLCDLL_GetErrorCode(), PLC_ERR_NO_DATABASE);
    EXPECT_EQ(PLCDLL_GetErrorFunction(), PLC_FN_DBASE_OPEN);
    EXPECT_EQ(PLCDLL_DBaseClose(), 1);
    // Alignment 0 is taken as one unit: no division by zero.
    p = Params(100 * kMil, 0);
    EXPECT_EQ(Run(p), PLC_DONE);
}

TEST_F(PlacementEngine, ClearancesFarWiderThanTheFrameEndAndMoveNothing)
{
    // Components of two line sets (one mirrored) on a small page, with
    // pattern lines over the whole coordinate space so that a block of cells
    // can hold a clearance many times the page's size.
    struct Case {
        const char* frame;
        int32_t clear;
    } cases[] = {
        {"3in 3in", 200000000},
        {"1in 1in", 100000000},
        {"10in 8in", 150000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        Build(1, "  component M1 R at 0 0 mirror\n", c.frame);
        for (int32_t link : {1, 9})
            for (int32_t v = -86 * kInch; v <= 86 * kInch; v += kInch) {
                ItemRec row{}, col{};
                row.Kind = 1, row.Link = link, row.X = -86 * kInch, row.Y = v, row.P1 = 172 * kInch;
                col.Kind = 1, col.Link = link + 1, col.X = v, col.Y = -86 * kInch, col.P2 = 172 * kInch;
                AddItem(grid_, row);
                AddItem(grid_, col);
            }
        const auto before = Positions();
        EXPECT_EQ(Run(Params(c.clear, 10 * kMil, 0)), PLC_ERR_NO_CELLS);
        const auto after = Positions();
        for (const auto& [name, q] : before) {
            EXPECT_EQ(after.at(name).x, q.x) << name;
            EXPECT_EQ(after.at(name).y, q.y) << name;
        }
    }
}

TEST_F(PlacementEngine, PlacementIsCentredAndShapedLikeTheFrame)
{
    // A mesh of 83 parts on a landscape and on a portrait page: the parts
    // spread over most of the frame, about its centre, wider than tall on
    // the landscape page and taller than wide on the portrait one.
    struct Case {
        const char* frame;
        bool landscape;
    } cases[] = {{"16in 10in", true}, {"10in 16in", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        BuildText("", MeshPage(8, 6), c.frame);
        AddPattern(1, kInch / 2, kInch / 2);
        ASSERT_EQ(Run(Params()), PLC_DONE);
        const auto placed = Positions();
        ExpectLegal(placed, 100 * kMil, 100 * kMil, 100 * kMil, Lines(frame_[1], frame_[3], kInch / 2),
                    Lines(frame_[0], frame_[2], kInch / 2));
        Box span{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
        for (const auto& [name, p] : placed)
            span = {std::min(span.x1, p.box.x1), std::min(span.y1, p.box.y1), std::max(span.x2, p.box.x2),
                    std::max(span.y2, p.box.y2)};
        const double fw = frame_[2] - frame_[0], fh = frame_[3] - frame_[1];
        const double w = static_cast<double>(span.x2 - span.x1), h = static_cast<double>(span.y2 - span.y1);
        EXPECT_GE(w / fw, 0.6);
        EXPECT_GE(h / fh, 0.6);
        EXPECT_LE(std::fabs((span.x1 + span.x2) / 2.0 - (frame_[0] + frame_[2]) / 2.0), 0.05 * fw);
        EXPECT_LE(std::fabs((span.y1 + span.y2) / 2.0 - (frame_[1] + frame_[3]) / 2.0), 0.05 * fh);
        if (c.landscape) EXPECT_GT(w, 1.2 * h);
        else EXPECT_GT(h, 1.2 * w);
    }
}

TEST_F(PlacementEngine, RoomBesideAPartGrowsWithItsNets)
{
    // A square part with k pins on each side, each pin wired to a resistor
    // of its own, on a roomy page with fine cells: the nearest outline
    // keeps further off as k grows, always further than the clearance.
    int64_t before = 100 * kMil;
    for (int k : {1, 4, 8, 16}) {
        SCOPED_TRACE(k);
        std::string page = "  component U1 symbol QUAD at 0 0\n";
        for (int i = 1; i <= 4 * k; ++i)
            page += "  component R" + std::to_string(i) + " R at 0 0\n  net N" + std::to_string(i) + " U1." +
                    std::to_string(i) + " R" + std::to_string(i) + ".1\n";
        BuildText(FourSideSymbol("QUAD", k), page, "24in 18in");
        AddPattern(1, kInch / 5, kInch / 5);
        ASSERT_EQ(Run(Params()), PLC_DONE);
        const auto placed = Positions();
        ExpectLegal(placed, 100 * kMil, 100 * kMil, 100 * kMil, Lines(frame_[1], frame_[3], kInch / 5),
                    Lines(frame_[0], frame_[2], kInch / 5));
        const Box& u = placed.at("U1").box;
        int64_t gap = INT64_MAX;
        for (const auto& [name, p] : placed) {
            if (name == "U1") continue;
            const int64_t sx = std::max({int64_t{0}, p.box.x1 - u.x2, u.x1 - p.box.x2});
            const int64_t sy = std::max({int64_t{0}, p.box.y1 - u.y2, u.y1 - p.box.y2});
            gap = std::min(gap, std::max(sx, sy));
        }
        EXPECT_GT(gap, before);
        before = gap;
    }
}

TEST_F(PlacementEngine, TheSameDesignGetsTheSamePlacement)
{
    // Built afresh the same design is placed the same way, and placing the
    // placed page again moves nothing: designs with several nets a pin, a
    // keep-off zone, a locked part and parts of many pins.
    struct Case {
        const char* what;
        std::string symbols, page;
    } cases[] = {
        {"mesh", "", MeshPage(6, 4) + "  component L1 R at -3000 2000\n"},
        {"part of many pins", FourSideSymbol("QUAD", 6),
         [] {
             std::string page = "  component U1 symbol QUAD at 0 0\n  component U2 symbol QUAD at 0 0\n";
             for (int i = 1; i <= 12; ++i)
                 page += "  component R" + std::to_string(i) + " R at 0 0\n  net N" + std::to_string(i) + " U1." +
                         std::to_string(i) + " R" + std::to_string(i) + ".1 U2." + std::to_string(25 - i) + "\n";
             return page;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::map<std::string, Placed> runs[3];
        for (int run = 0; run < 3; ++run) {
            if (run < 2) {
                BuildText(c.symbols, c.page, "12in 9in");
                AddPattern(1, kInch / 2, kInch / 2);
                AddZone(2 * kInch, -4 * kInch, 3 * kInch, 2 * kInch);
                if (const int32_t locked = IdOf("L1")) {
                    ASSERT_EQ(O_Mask(C_Component(locked), 32, 32), 1);
                }
            }
            ASSERT_EQ(Run(Params()), PLC_DONE);
            runs[run] = Positions();
        }
        for (int run = 1; run < 3; ++run)
            for (const auto& [name, p] : runs[0]) {
                EXPECT_EQ(runs[run].at(name).x, p.x) << name << " run " << run;
                EXPECT_EQ(runs[run].at(name).y, p.y) << name << " run " << run;
                EXPECT_EQ(runs[run].at(name).angle, p.angle) << name << " run " << run;
            }
    }
}

// Whether the sites are legal together by the engine's own rule: each
// legal where it stands and free of those placed before it.
bool AllLegal(const plc::Model& model, const std::vector<plc::Site>& sites)
{
    plc::CellMap cells(model);
    for (size_t c = 0; c < model.comps.size(); ++c) {
        if (model.comps[c].locked) continue;
        const plc::Site& s = sites[c];
        plc::Site legal;
        if (!cells.Legal(static_cast<int>(c), s.angle, s.i, s.k, legal) || legal.x != s.x || legal.y != s.y ||
            legal.angle != s.angle || !cells.Free(static_cast<int>(c), s))
            return false;
        cells.Occupy(static_cast<int>(c), s, true);
    }
    return true;
}

TEST_F(PlacementEngine, SettlingShortensTheGreedyPlacementAndKeepsItLegal)
{
    // The short anneal after the greedy passes: on a mesh and on a page of
    // parts of many pins (where turns count) it gives legal sites, never
    // longer wires than the passes alone (the passes' placement stands when
    // the anneal ends longer), shorter ones on the larger mesh and the parts
    // of many pins, and the same
    // sites on every run; the spread it all starts from is legal and longer
    // still.
    std::string quads = "  component U1 symbol QUAD at 0 0\n  component U2 symbol QUAD at 0 0\n"
                        "  component U3 symbol QUAD at 0 0\n";
    for (int i = 1; i <= 18; ++i)
        quads += "  component R" + std::to_string(i) + " R at 0 0\n  net N" + std::to_string(i) + " U" +
                 std::to_string(1 + i % 3) + "." + std::to_string(i) + " R" + std::to_string(i) + ".1 U" +
                 std::to_string(1 + (i + 1) % 3) + "." + std::to_string(19 + (i - 1) / 3) + "\n";
    struct Case {
        const char* what;
        std::string symbols, page;
        bool shorter;
    } cases[] = {
        {"small mesh (the anneal ends longer: the passes' placement stands)", "", MeshPage(8, 6), false},
        {"larger mesh", "", MeshPage(12, 8), true},
        {"parts of many pins", FourSideSymbol("QUAD", 6), quads, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BuildText(c.symbols, c.page, "16in 12in");
        AddPattern(1, kInch / 2, kInch / 2);
        plc::Model model;
        ASSERT_EQ(plc::ReadModel(Params(), model), 0);
        plc::Model greedyModel = model;
        std::vector<plc::Site> settled, again, greedy, spread;
        ASSERT_TRUE(plc::Solve(model, settled));
        ASSERT_TRUE(plc::Solve(greedyModel, greedy, nullptr, false));
        ASSERT_EQ(model.roomScale, greedyModel.roomScale);
        ASSERT_TRUE(plc::Spread(model, spread));
        EXPECT_TRUE(AllLegal(model, settled));
        EXPECT_TRUE(AllLegal(model, greedy));
        EXPECT_TRUE(AllLegal(model, spread));
        const double hSettled = plc::Hpwl(model, settled), hGreedy = plc::Hpwl(model, greedy);
        EXPECT_LE(hSettled, hGreedy);
        if (c.shorter) {
            EXPECT_LT(hSettled, hGreedy);
        }
        EXPECT_LT(hGreedy, plc::Hpwl(model, spread));
        ASSERT_TRUE(plc::Solve(model, again));
        for (size_t i = 0; i < settled.size(); ++i) {
            EXPECT_EQ(again[i].x, settled[i].x) << i;
            EXPECT_EQ(again[i].y, settled[i].y) << i;
            EXPECT_EQ(again[i].angle, settled[i].angle) << i;
        }
    }
}

TEST_F(PlacementEngine, LargeBoardsArePlacedCentredWithNoPartOffOnItsOwn)
{
    // Boards shaped like real ones (ICs of 20 to 200 pins with their
    // decoupling capacitors, pull-ups and filters, headers, supply nets of
    // nearly 400 pins) on a page of 56.5 x 43.5 inches with the editor's
    // default pattern (rows 0.8, columns 0.4 inch apart). A capacitor on the
    // two supply nets alone costs the same wire length anywhere inside their
    // span: the anneal let such parts wander to the page's first row, inches
    // below the rest, and the extent of the parts stood 3.3 to 3.8 % of the
    // page's height off its middle. The extent's middle lies within 2 % of
    // the frame's size of the frame's middle on both axes, every site is
    // legal, and the wires are no longer than the greedy passes' alone.
    struct Case {
        int parts, seed;
    } cases[] = {{445, 2}, {440, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.parts) + " parts, seed " + std::to_string(c.seed));
        BuildSource(bench_boards::GenerateBoard(c.parts, c.seed, 56500, 43500).text);
        AddPattern(1, 8 * kInch / 10, 4 * kInch / 10);
        plc::Model model;
        ASSERT_EQ(plc::ReadModel(Params(), model), 0);
        plc::Model greedyModel = model;
        std::vector<plc::Site> sites, greedy;
        ASSERT_TRUE(plc::Solve(model, sites));
        ASSERT_TRUE(plc::Solve(greedyModel, greedy, nullptr, false));
        EXPECT_TRUE(AllLegal(model, sites));
        EXPECT_LE(plc::Hpwl(model, sites), plc::Hpwl(greedyModel, greedy));
        plc::Rect span{INT64_MAX, INT64_MAX, INT64_MIN, INT64_MIN};
        int placed = 0;
        for (size_t i = 0; i < model.comps.size(); ++i) {
            if (model.comps[i].locked) continue;
            ++placed;
            const plc::Rect b = plc::Moved(model.comps[i].shapes[sites[i].angle].box, sites[i].x, sites[i].y);
            span = {std::min(span.x1, b.x1), std::min(span.y1, b.y1), std::max(span.x2, b.x2), std::max(span.y2, b.y2)};
        }
        EXPECT_GE(placed, 400);
        const plc::Rect& f = model.frame;
        const double fw = static_cast<double>(f.x2 - f.x1), fh = static_cast<double>(f.y2 - f.y1);
        EXPECT_LE(std::fabs(((span.x1 + span.x2) - (f.x1 + f.x2)) / 2.0), 0.02 * fw);
        EXPECT_LE(std::fabs(((span.y1 + span.y2) - (f.y1 + f.y2)) / 2.0), 0.02 * fh);
    }
}

TEST_F(PlacementEngine, AFailedRunNamesThePartThatFitsNoBlock)
{
    // The run fails with 11 and writes nothing. Named: the part too big for
    // any block of cells; when cells run short, a part that found none; when
    // there are no cells at all, none (0).
    struct Case {
        const char* what;
        int32_t rowStep, colStep;  // 0: no pattern lines
        const char* named;         // "" none, "R": one of the resistors
    } cases[] = {
        {"a part larger than the page", kInch / 2, kInch / 2, "U1"},
        {"too few cells", 3 * kInch, 4 * kInch, "R"},
        {"no cells", 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string page;
        for (int i = 1; i <= 6; ++i) page += "  component R" + std::to_string(i) + " R at " + std::to_string(300 * i) + " 0\n";
        if (std::string(c.named) == "U1") page += "  component U1 symbol BIG at 0 0\n";
        BuildText(FourSideSymbol("BIG", 60), page, "8in 6in");
        if (c.rowStep) AddPattern(1, c.rowStep, c.colStep);
        const auto before = Positions();
        PlcParamRec p = Params();
        ASSERT_EQ(PLCDLL_SetParameters(&p), 1);
        ASSERT_EQ(PLCDLL_DBaseOpen(), 1);
        ASSERT_EQ(PLCDLL_PlaceLocked(), 1);
        EXPECT_EQ(PLCDLL_PlaceFirstComponent(), 0);
        EXPECT_EQ(PLCDLL_GetErrorCode(), PLC_ERR_NO_CELLS);
        EXPECT_EQ(PLCDLL_GetErrorFunction(), PLC_FN_PLACE_FIRST);
        const int32_t named = PLCDLL_GetErrorComponent();
        PLCDLL_DBaseClose();
        if (std::string(c.named) == "U1") {
            EXPECT_EQ(named, IdOf("U1"));
        } else if (std::string(c.named) == "R") {
            bool resistor = false;
            for (int i = 1; i <= 6; ++i) resistor = resistor || named == IdOf(("R" + std::to_string(i)).c_str());
            EXPECT_TRUE(resistor) << named;
        } else {
            EXPECT_EQ(named, 0);
        }
        const auto after = Positions();
        for (const auto& [name, q] : before) {
            EXPECT_EQ(after.at(name).x, q.x) << name;
            EXPECT_EQ(after.at(name).y, q.y) << name;
            EXPECT_EQ(after.at(name).angle, q.angle) << name;
        }
        // A new run starts with nobody named.
        ASSERT_EQ(PLCDLL_SetParameters(&p), 1);
        EXPECT_EQ(PLCDLL_GetErrorComponent(), 0);
    }
}

}  // namespace
