// What the objects of a design look like on the page: the figures of a
// component (its symbol's items at its placement, its entries, its texts),
// the points of a wire, where a node lies. Object drawing, frames and hit
// tests all take their geometry from here.
#pragma once

#include "platform/kernel/database.h"
#include "platform/kernel/draw_internal.h"

#include <vector>

namespace kernel::draw {

// A mask as the callers pass it: -1 takes every status, else any bit.
inline bool Takes(int32_t status, int32_t mask)
{
    return mask == -1 || (status & mask) != 0;
}

// A selector of S_DrawSymbol and the symbol frames: 1 and -1 take every
// item (or entry), other values the ones with any bit of it.
inline bool Selects(int32_t flags, int32_t selector)
{
    return selector == 1 || selector == -1 || (flags & selector) != 0;
}

Symbol* FindSymbol(int32_t id);

// Symbol texts that stand for a component's own texts (name, description,
// value, pin numbers, port texts): left out when a component is drawn.
bool IsTextTemplate(const Item& item);

// The category a component text takes when its Layer byte is 0.
int CompTextCategory(const Item& text);
// The category a wire text takes when its Layer byte is 0.
int BranchTextCategory(const Item& text);

// The items of a component's symbol that drawing shows, at the
// component's placement.
template <class F>
void ForEachCompItem(const Symbol& symbol, const Placement& placement, F&& f)
{
    symbol.items.ForEach([&](const Object& o) {
        const Item& item = static_cast<const Item&>(o);
        if (!IsTextTemplate(item)) f(item, ItemFigure(item, placement));
    });
}

// The entries of a symbol at a placement: number (from 1) and position.
struct EntryPoint {
    int32_t number;
    Pt at;
    const SymbolEntry* entry;
};
// Calls f(EntryPoint) for each entry of a symbol at a placement, in order.
template <class F>
void ForEachEntryPoint(const Symbol& symbol, const Placement& placement, F&& f)
{
    int32_t number = 0;
    symbol.entries.ForEach([&](const Object& o) {
        const SymbolEntry& e = static_cast<const SymbolEntry&>(o);
        Pt at;
        placement.Place(e.x, e.y, at.x, at.y);
        f(EntryPoint{++number, at, &e});
    });
}
std::vector<EntryPoint> EntryPoints(const Symbol& symbol, const Placement& placement);

// The entry name texts of a symbol at a placement (each entry's label, else
// its name, inside the symbol next to the entry).
struct EntryName {
    Figure figure;
    std::string text;
};
std::vector<EntryName> EntryNames(const Symbol& symbol, const Placement& placement);

// The current positions of a branch's point records (1..n in [0..n-1]).
void BranchPoints(const Level& level, Branch& branch, std::vector<Pt>& points);
// The position a point record shows now (that of the node or junction it
// refers to, else its own), without bringing the stored one up to date.
Pt ShownPoint(const Level& level, const BranchPoint& point);

// ---- Reach ----------------------------------------------------------------------
//
// Boxes (database units) that hold everything the page drawing of an object
// can touch, but for the few pixels a pen, mark or dot adds beyond a figure
// at any zoom (the margin of RasterSink::Shows): the drawing of part of a
// page looks objects up by them (hit_index.h, kCompReach and kBranchReach),
// and a put-back names them to be drawn again.

// A square about the component's point: whatever its symbol's items and
// entry names and its own texts reach, at any turn or mirroring, widths
// and the glyphs of texts included.
Box CompReachBox(const Component& comp);
// The wire's points as shown now and its texts with room for their glyphs;
// not the wire pen (WirePenReach).
bool BranchReachBox(const Level& level, const Branch& branch, Box& box);
// How far the widest wire pen reaches beyond a wire's points: the line
// width of table 14 (read live, so not kept in an index).
double WirePenReach();
// A junction's dot at its largest (a bus junction's).
Box JunctionReachBox(const Junction& junction);
// The nodes of a net shown on the current page (their marks, and the
// ratsnest between them); false when none is.
bool NetReachBox(const Level& level, const Net& net, Box& box);

// The position of a node on one side; false when that side is not set. With
// `onPage`, a schematic-side node must lie on the current page (its
// component's page).
bool NodeAt(const Level& level, const Node& node, int side, bool onPage, Pt& at);

}  // namespace kernel::draw
