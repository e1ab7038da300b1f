// Where a component may stand on the page and which cells are taken: the
// one legality rule of the placement, shared by the engine and by every
// placement the benchmarks compare it with.
//
// A legal site puts a component's origin where the editor's relocation puts
// it (the corner of a cell plus the outline offset, rounded to the
// alignment) and its block into whole cells of its pattern: the block holds
// the outline, the clearance on its right and upper side and the wiring room
// (Comp::room) on every side. The outline lies inside the page frame less
// the edge; outline, room and clearance keep clear of keep-off zones and of
// locked components (their own room included); blocks of components on the
// same line set share no cell, and with several line sets in use the
// outlines with their room keep the clearance from each other.
#pragma once

#include "platform/placement/plc_model.h"

#include <unordered_map>
#include <vector>

namespace plc {

inline bool Overlaps(const Rect& a, const Rect& b)
{
    return a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2;
}

inline Rect Moved(const Rect& r, int64_t x, int64_t y)
{
    return {r.x1 + x, r.y1 + y, r.x2 + x, r.y2 + y};
}

// A rectangle widened by margins on each side (left, below, right, above).
inline Rect Widened(const Rect& r, const Rect& m)
{
    return {r.x1 - m.x1, r.y1 - m.y1, r.x2 + m.x2, r.y2 + m.y2};
}

class CellMap {
public:
    explicit CellMap(const Model& m);

    const Model& model() const { return m_; }
    int Cols(int set) const { return cols_[set]; }
    int Rows(int set) const { return rows_[set]; }
    bool SingleSet() const { return singleSet_; }

    // The site of component c at quarter turn a with its outline's corner on
    // column line i and row line k; false when it cannot stand there
    // whatever else is placed. Sites of a footprint are computed once.
    bool Legal(int c, int a, int i, int k, Site& s);

    // Whether site s of c is clear of the other placed components, those in
    // skipA and skipB not counted.
    bool Free(int c, const Site& s, int skipA = -1, int skipB = -1) const;

    // The one placed component other than c holding cells of site s of c:
    // -1 none, -2 more than one.
    int Holder(int c, const Site& s) const;

    // The placed component holding cell (i, k) of a line set, -1 none.
    int Owner(int set, int i, int k) const { return owner_[set][static_cast<size_t>(k) * cols_[set] + i]; }
    // The site of a placed component.
    const Site& At(int c) const { return at_[c]; }

    // Takes (on) or gives back the cells of c standing at s.
    void Occupy(int c, const Site& s, bool on);
    bool Placed(int c) const { return placed_[c] != 0; }

    // Whether two sites of the same line set share no cell.
    static bool Disjoint(const Site& a, const Site& b)
    {
        return a.j <= b.bi || b.j <= a.bi || a.l <= b.bk || b.l <= a.bk;
    }

    // The cell of a line set holding a coordinate, clamped to the cells.
    int ColumnOf(int set, int64_t x) const;
    int RowOf(int set, int64_t y) const;

    // Whether c has a legal site on the page with nothing else placed.
    bool AnySite(int c);

    Rect Outline(int c, const Site& s) const { return Moved(m_.comps[c].shapes[s.angle].box, s.x, s.y); }
    // The outline with its wiring room.
    Rect Reach(int c, const Site& s) const { return Widened(Outline(c, s), m_.comps[c].room[s.angle]); }

private:
    // A site as the tables keep it.
    struct Packed {
        int32_t x = 0, y = 0;
        int16_t bi = 0, bk = 0, j = 0, l = 0;
    };
    // The sites of one footprint (line set, outlines and room at the four
    // quarter turns) by quarter turn and corner; 0 not yet known, 1 legal,
    // -1 not.
    struct SiteTable {
        int set = 0;
        std::array<Rect, kAngles> boxes, room;
        std::vector<int8_t> known;
        std::vector<Packed> sites;
    };

    bool Shape(int c, int a, int i, int k, Site& s) const;
    void BuildTables();
    int64_t Floor(int64_t v) const { return v >= 0 ? v / bucket_ : -((-v + bucket_ - 1) / bucket_); }
    static uint64_t Key(int64_t bx, int64_t by) { return (static_cast<uint64_t>(bx) << 32) ^ static_cast<uint32_t>(by); }

    const Model& m_;
    std::array<int, kLineSets> cols_{}, rows_{};
    std::vector<Rect> obstacles_;  // locked components with their room
    std::vector<SiteTable> tables_;
    std::vector<int> table_;       // footprint table of every component, -1 none
    bool singleSet_ = true;
    std::array<std::vector<int>, kLineSets> owner_;
    std::vector<Site> at_;         // the site of every placed component
    std::vector<char> placed_;
    std::unordered_map<uint64_t, std::vector<int>> buckets_;
    int64_t bucket_ = 1;
    Rect scan_;                    // where placed outlines with their room can lie
};

}  // namespace plc
