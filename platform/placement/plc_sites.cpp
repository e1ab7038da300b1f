// The legality of sites and the cells taken (see plc_sites.h).
//
// What makes it fast: the sites of a footprint are computed once and looked
// up; with one line set in use the cell owners alone decide whether a site
// is free (blocks of cells apart keep outlines, room and clearances apart);
// with several, placed components are found through square buckets.
#include "platform/placement/plc_sites.h"
#include "platform/placement/plc_rules.h"

#include <algorithm>
#include <limits>

namespace plc {

namespace {

// Entries of the site tables of all footprints together; beyond it sites are
// computed each time they are asked for.
constexpr size_t kTableBudget = size_t{1} << 22;

bool Same(const Rect& p, const Rect& q)
{
    return p.x1 == q.x1 && p.y1 == q.y1 && p.x2 == q.x2 && p.y2 == q.y2;
}

}  // namespace

CellMap::CellMap(const Model& m) : m_(m), at_(m.comps.size()), placed_(m.comps.size(), 0)
{
    for (int s = 0; s < kLineSets; ++s) {
        const LineSet& ls = m.lines[s];
        cols_[s] = ls.cols.size() > 1 ? static_cast<int>(ls.cols.size()) - 1 : 0;
        rows_[s] = ls.rows.size() > 1 ? static_cast<int>(ls.rows.size()) - 1 : 0;
        owner_[s].assign(static_cast<size_t>(cols_[s]) * rows_[s], -1);
    }
    const Rect& f = m.frame;
    const int64_t span = std::max<int64_t>({f.x2 - f.x1, f.y2 - f.y1, 1});
    bucket_ = std::max<int64_t>(span / 64, 1);
    int set = -1;
    Rect widest;
    for (const Comp& comp : m.comps) {
        if (comp.locked) {
            obstacles_.push_back(Widened(Moved(comp.current.box, comp.x, comp.y), comp.currentRoom));
            continue;
        }
        singleSet_ = singleSet_ && (set < 0 || set == comp.lineSet);
        set = comp.lineSet;
        for (const Rect& r : comp.room)
            widest = {std::max(widest.x1, r.x1), std::max(widest.y1, r.y1), std::max(widest.x2, r.x2),
                      std::max(widest.y2, r.y2)};
    }
    scan_ = Widened(f, widest);
    BuildTables();
}

void CellMap::BuildTables()
{
    table_.assign(m_.comps.size(), -1);
    size_t used = 0;
    for (int c = 0; c < static_cast<int>(m_.comps.size()); ++c) {
        const Comp& comp = m_.comps[c];
        if (comp.locked) continue;
        auto same = [&](const SiteTable& t) {
            if (t.set != comp.lineSet) return false;
            for (int a = 0; a < kAngles; ++a)
                if (!Same(t.boxes[a], comp.shapes[a].box) || !Same(t.room[a], comp.room[a])) return false;
            return true;
        };
        auto it = std::find_if(tables_.begin(), tables_.end(), same);
        if (it != tables_.end()) {
            table_[c] = static_cast<int>(it - tables_.begin());
            continue;
        }
        const size_t size = static_cast<size_t>(cols_[comp.lineSet]) * rows_[comp.lineSet] * kAngles;
        if (used + size > kTableBudget || m_.lines[comp.lineSet].cols.size() > 32000 ||
            m_.lines[comp.lineSet].rows.size() > 32000)
            continue;
        used += size;
        SiteTable t;
        t.set = comp.lineSet;
        for (int a = 0; a < kAngles; ++a) t.boxes[a] = comp.shapes[a].box, t.room[a] = comp.room[a];
        t.known.assign(size, 0);
        t.sites.resize(size);
        table_[c] = static_cast<int>(tables_.size());
        tables_.push_back(std::move(t));
    }
}

bool CellMap::Shape(int c, int a, int i, int k, Site& s) const
{
    const Comp& comp = m_.comps[c];
    const LineSet& ls = m_.lines[comp.lineSet];
    const Rect& b = comp.shapes[a].box;
    const Rect& room = comp.room[a];
    s.angle = a;
    s.i = i;
    s.k = k;
    s.x = plc_prefix::AlignRelocated(ls.cols[i] - b.x1, m_.align);
    s.y = plc_prefix::AlignRelocated(ls.rows[k] - b.y1, m_.align);
    const int64_t right = s.x + b.x2 + m_.clearX + room.x2, top = s.y + b.y2 + m_.clearY + room.y2;
    auto j = std::lower_bound(ls.cols.begin() + i + 1, ls.cols.end(), right);
    auto l = std::lower_bound(ls.rows.begin() + k + 1, ls.rows.end(), top);
    if (j == ls.cols.end() || l == ls.rows.end()) return false;
    s.j = static_cast<int>(j - ls.cols.begin());
    s.l = static_cast<int>(l - ls.rows.begin());
    // The block reaches left and down to the last line the room leaves free.
    const int64_t left = s.x + b.x1 - room.x1, bottom = s.y + b.y1 - room.y1;
    const int bi = static_cast<int>(std::upper_bound(ls.cols.begin(), ls.cols.end(), left) - ls.cols.begin()) - 1;
    const int bk = static_cast<int>(std::upper_bound(ls.rows.begin(), ls.rows.end(), bottom) - ls.rows.begin()) - 1;
    if (bi < 0 || bk < 0) return false;
    s.bi = std::min(bi, i);
    s.bk = std::min(bk, k);
    const Rect box = Outline(c, s);
    const Rect& f = m_.frame;
    if (box.x1 < f.x1 || box.y1 < f.y1 || box.x2 > f.x2 || box.y2 > f.y2) return false;
    const Rect wide = Widened(box, {room.x1 + m_.clearX, room.y1 + m_.clearY, room.x2 + m_.clearX, room.y2 + m_.clearY});
    for (const Rect& z : m_.zones)
        if (Overlaps(wide, z)) return false;
    for (const Rect& z : obstacles_)
        if (Overlaps(wide, z)) return false;
    return true;
}

bool CellMap::Legal(int c, int a, int i, int k, Site& s)
{
    if (table_[c] < 0) return Shape(c, a, i, k, s);
    SiteTable& t = tables_[table_[c]];
    const size_t at = (static_cast<size_t>(k) * cols_[t.set] + i) * kAngles + a;
    if (t.known[at] == 0) {
        if (Shape(c, a, i, k, s)) {
            t.known[at] = 1;
            t.sites[at] = {static_cast<int32_t>(s.x), static_cast<int32_t>(s.y), static_cast<int16_t>(s.bi),
                           static_cast<int16_t>(s.bk), static_cast<int16_t>(s.j), static_cast<int16_t>(s.l)};
            return true;
        }
        t.known[at] = -1;
    }
    if (t.known[at] < 0) return false;
    const Packed& p = t.sites[at];
    s.angle = a, s.i = i, s.k = k;
    s.x = p.x, s.y = p.y, s.bi = p.bi, s.bk = p.bk, s.j = p.j, s.l = p.l;
    return true;
}

bool CellMap::Free(int c, const Site& s, int skipA, int skipB) const
{
    const int set = m_.comps[c].lineSet;
    const int nc = cols_[set];
    for (int r = s.bk; r < s.l; ++r)
        for (int q = s.bi; q < s.j; ++q) {
            const int o = owner_[set][static_cast<size_t>(r) * nc + q];
            if (o >= 0 && o != c && o != skipA && o != skipB) return false;
        }
    if (singleSet_) return true;
    const Rect wide = Widened(Reach(c, s), {m_.clearX, m_.clearY, m_.clearX, m_.clearY});
    // Placed outlines with their room lie inside scan_, so the buckets beyond
    // it are empty: the scan keeps to it, however far a large clearance
    // reaches past it.
    const int64_t x1 = Floor(std::max(wide.x1, scan_.x1)), x2 = Floor(std::min(wide.x2 - 1, scan_.x2));
    const int64_t y1 = Floor(std::max(wide.y1, scan_.y1)), y2 = Floor(std::min(wide.y2 - 1, scan_.y2));
    for (int64_t bx = x1; bx <= x2; ++bx)
        for (int64_t by = y1; by <= y2; ++by) {
            auto it = buckets_.find(Key(bx, by));
            if (it == buckets_.end()) continue;
            for (int o : it->second)
                if (o != c && o != skipA && o != skipB && Overlaps(wide, Reach(o, at_[o]))) return false;
        }
    return true;
}

int CellMap::Holder(int c, const Site& s) const
{
    const int set = m_.comps[c].lineSet;
    const int nc = cols_[set];
    int holder = -1;
    for (int r = s.bk; r < s.l; ++r)
        for (int q = s.bi; q < s.j; ++q) {
            const int o = owner_[set][static_cast<size_t>(r) * nc + q];
            if (o < 0 || o == c || o == holder) continue;
            if (holder >= 0) return -2;
            holder = o;
        }
    return holder;
}

void CellMap::Occupy(int c, const Site& s, bool on)
{
    const int set = m_.comps[c].lineSet;
    const int nc = cols_[set];
    for (int r = s.bk; r < s.l; ++r)
        for (int q = s.bi; q < s.j; ++q) owner_[set][static_cast<size_t>(r) * nc + q] = on ? c : -1;
    placed_[c] = on ? 1 : 0;
    if (on) at_[c] = s;
    if (singleSet_) return;
    const Rect box = Reach(c, s);
    for (int64_t bx = Floor(box.x1); bx <= Floor(box.x2 - 1 < box.x1 ? box.x1 : box.x2 - 1); ++bx)
        for (int64_t by = Floor(box.y1); by <= Floor(box.y2 - 1 < box.y1 ? box.y1 : box.y2 - 1); ++by) {
            auto& v = buckets_[Key(bx, by)];
            if (on) v.push_back(c);
            else v.erase(std::remove(v.begin(), v.end(), c), v.end());
        }
}

int CellMap::ColumnOf(int set, int64_t x) const
{
    const std::vector<int64_t>& v = m_.lines[set].cols;
    return std::clamp(static_cast<int>(std::upper_bound(v.begin(), v.end(), x) - v.begin()) - 1, 0,
                      std::max(cols_[set] - 1, 0));
}

int CellMap::RowOf(int set, int64_t y) const
{
    const std::vector<int64_t>& v = m_.lines[set].rows;
    return std::clamp(static_cast<int>(std::upper_bound(v.begin(), v.end(), y) - v.begin()) - 1, 0,
                      std::max(rows_[set] - 1, 0));
}

bool CellMap::AnySite(int c)
{
    const Comp& comp = m_.comps[c];
    const int nc = cols_[comp.lineSet], nr = rows_[comp.lineSet];
    for (int k = 0; k < nr; ++k)
        for (int i = 0; i < nc; ++i)
            for (int a = 0; a < kAngles; ++a) {
                Site s;
                if (comp.allowed[a] && Legal(c, a, i, k, s)) return true;
            }
    return false;
}

}  // namespace plc
