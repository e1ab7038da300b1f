// The netlist of a generated board shaped like a real one, for the
// benchmarks that generate such boards (the router's and the placement's):
// ICs of dual in-line and quad rows with their symbols, the passives that
// serve them, pin headers, and the nets such a board has. Where the parts
// stand on the page is each benchmark's own.
//
// A board of about n parts holds max(2, n / 9) ICs, max(2, n / 30) headers
// and passives for the rest. Its nets: VCC and GND over every IC's supply
// pins, the decoupling capacitors, pull-ups, filters and headers; buses of
// 4 to 12 lines between neighbouring ICs (some with a third IC); series
// resistors between ICs and headers; header lines to the ICs; short nets of
// 2 or 3 pins among neighbours. A quarter or so of the IC pins stay free.
#pragma once

#include <array>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace bench_boards {

// An IC centred on the origin, pins 0.1 inch apart.
struct BoardIc {
    int pins = 0;
    bool quad = false;
    int lo = 0, hi = 0;                  // pin rows span lo..hi (mils) along each side
    std::vector<int> px, py, side;       // pin i+1: position and side (0 left, 1 bottom, 2 right, 3 top)
    std::vector<char> used;              // taken by a net
    std::vector<int> vcc, gnd;           // supply pins (0-based)
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // outline with the pin tips
};

// Dual in-line: pin 1 top left, counted anticlockwise; GND the last pin of
// the left row, VCC the last pin, as on a logic package. Quad: rows on all
// four sides, one supply pair in the middle of each side (two on sides of
// 25 pins and more). The supply pins are marked used.
BoardIc MakeIc(int pins, bool quad);

// The schematic symbol `name` of `ic` in the source form: entries at the pin
// tips, the body, a lead of 0.1 inch per pin and the reference text.
std::string IcSymbol(const BoardIc& ic, const std::string& name);

// An IC kind a board draws from, by weight.
struct IcKind {
    int pins;
    bool quad;
    int weight;
};

enum class Role { Decoupling, PullUp, Series, Filter };

struct Passive {
    int ic = 0;                    // the IC it serves
    Role role = Role::Decoupling;  // decoupling: between VCC and GND
    int pin = -1;                  // the IC pin it serves (decoupling: a VCC pin); -1 none yet
    bool res = false;              // a resistor (RES), else a capacitor (CAP)
};

// "R" or "C" and the passive's number (k + 1, k its index on the board).
std::string PassiveName(const Passive& pa, size_t k);

// When the passives other than the decoupling ones get their IC pins: as
// each is drawn (one with no free pin left on its IC becomes one more
// decoupling part), or later, by the caller (FreePin), after all are drawn.
enum class PinChoice { AsDrawn, Later };

// A board's parts and nets, drawn from one seeded random sequence; the
// steps below draw from it in turn, so a board is the same for the same
// calls in the same order.
class BoardNetlist {
public:
    // Draws the ICs (the first one of the last three kinds, meant to be the
    // largest; the others by weight) and the headers' pin counts (2 on the
    // first, which brings VCC and GND, 3 to 10 on the others); VCC and GND
    // take the ICs' supply pins.
    BoardNetlist(int n, unsigned seed, std::span<const IcKind> kinds);

    // A number in 0..k-1 from the board's sequence.
    int Pick(int k);
    // A free pin of IC i at random, now used; -1 when none is left.
    int FreePin(int i);
    // Pin p (0-based) of IC i by reference, "U3.14".
    static std::string IcPin(int i, int p);

    // The passives: a decoupling capacitor on every VCC pin (while the count
    // lasts), then pull-ups, series resistors and filter capacitors (3 : 4 :
    // 3) spread over the ICs by their pin counts.
    std::vector<Passive> DrawPassives(PinChoice choice);
    // The nets of passive `name`, its end `nearPin` (1 or 2) at its IC pin:
    // decoupling from VCC (near) to GND, a pull-up to VCC, a filter to GND,
    // a series resistor's far end left for a header or a nearby IC.
    void ConnectPassive(const Passive& pa, const std::string& name, int nearPin);
    // The nets among ICs and headers, after the passives: buses between
    // neighbouring ICs, the header lines (to series resistors or ICs), the
    // series resistors left to an IC near their own, short nets.
    void AddSignalNets();

    // The source up to the page: the libraries, the IC symbols, the design
    // and its nets.
    std::string SourceHead() const;
    // The heights of the two header columns (odd headers on the left, even
    // ones on the right), 0.3 inch between headers.
    std::array<int, 2> HeaderColumns() const;
    // The headers' component lines: odd ones on the left (turned half round,
    // pins facing the board), even ones on the right, `inset` inside the
    // edges of a frame `frameW` wide centred on the origin; pin 1 at the
    // symbol's origin, the pins below it (above it when turned); each column
    // from its top y.
    std::string HeaderComponents(int frameW, int inset, std::array<int, 2> tops) const;
    // The fewest and most pins of an IC on the board.
    std::pair<int, int> IcPinRange() const;

    int icCount = 0, headerCount = 0, passiveCount = 0;
    std::vector<BoardIc> ics;
    std::vector<std::string> icSymbol;  // the symbol of each IC
    std::vector<int> headerPins;        // the pins of each header (CONN2..CONN10)
    std::vector<std::string> vcc, gnd;  // the supply nets' pins
    std::vector<std::vector<std::string>> nets;  // the other nets, N0, N1, ...

private:
    // The free pins of IC i on its side with the most, `width` of them in a
    // row at random when there are more.
    std::vector<int> BusRun(int i, int width);

    std::mt19937 rng_;
    std::string symbols_;             // each IC symbol once, in the source form
    std::vector<std::string> farSeries_;  // series resistors' far ends, not yet connected
    std::vector<int> farSeriesIc_;        // and the IC each serves
};

}  // namespace bench_boards
