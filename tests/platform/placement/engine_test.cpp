// The placement engine on designs in the kernel: legality of every site
// (cells, frame, zones, locked components, clearances, orientations, no
// rotation, mirrored components), the error codes, the all-or-nothing
// write-back and determinism.
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "platform/placement/nvosplc32.h"
#include "platform/placement/plc_rules.h"
#include "tests/support/design_builder.h"
#include "tests/support/kernel_fixture.h"

#include <algorithm>
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

class PlacementEngine : public palvane_test::KernelTest {
protected:
    // A 10 x 8 inch page (or `frame`) with `count` resistors in a chain,
    // R1 .. Rn, all at the origin of the page; `extra` lines go into the page.
    void Build(int count, const std::string& extra = {}, const std::string& frame = "10in 8in")
    {
        std::string text = "include discrete.nls\nunit 1mil\ndesign D\nlevel MAIN\npage P frame " + frame + "\n";
        for (int i = 1; i <= count; ++i) text += "  component R" + std::to_string(i) + " R at 0 0\n";
        text += extra;
        for (int i = 1; i < count; ++i)
            text += "  net N" + std::to_string(i) + " R" + std::to_string(i) + ".2 R" + std::to_string(i + 1) + ".1\n";
        text += "end\n";
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

}  // namespace
