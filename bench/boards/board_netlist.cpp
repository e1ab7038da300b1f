// The netlist of a generated board (see board_netlist.h).
#include "bench/boards/board_netlist.h"

#include <algorithm>
#include <sstream>

namespace bench_boards {

BoardIc MakeIc(int pins, bool quad)
{
    BoardIc ic;
    ic.pins = pins, ic.quad = quad;
    const int s = quad ? pins / 4 : pins / 2;
    ic.hi = 100 * ((s - 1) / 2), ic.lo = ic.hi - 100 * (s - 1);
    for (int i = 0; i < pins; ++i) {
        const int side = quad ? i / s : (i < s ? 0 : 2), k = i % s;
        int x = 0, y = 0;
        if (quad) {
            if (side == 0) x = ic.lo - 200, y = ic.hi - 100 * k;
            else if (side == 1) x = ic.lo + 100 * k, y = ic.lo - 200;
            else if (side == 2) x = ic.hi + 200, y = ic.lo + 100 * k;
            else x = ic.hi - 100 * k, y = ic.hi + 200;
        } else {
            x = side == 0 ? -300 : 300;
            y = side == 0 ? ic.hi - 100 * k : ic.lo + 100 * k;
        }
        ic.px.push_back(x), ic.py.push_back(y), ic.side.push_back(side);
    }
    ic.used.assign(size_t(pins), 0);
    if (quad) {
        const int pairs = s >= 25 ? 2 : 1;
        for (int side = 0; side < 4; ++side)
            for (int j = 0; j < pairs; ++j) {
                const int m = side * s + s * (j + 1) / (pairs + 1) - 1;
                ic.vcc.push_back(m), ic.gnd.push_back(m + 1);
            }
        ic.x1 = ic.y1 = ic.lo - 200, ic.x2 = ic.y2 = ic.hi + 200;
    } else {
        ic.gnd.push_back(s - 1), ic.vcc.push_back(pins - 1);
        ic.x1 = -300, ic.x2 = 300, ic.y1 = ic.lo - 100, ic.y2 = ic.hi + 100;
    }
    for (int p : ic.vcc) ic.used[size_t(p)] = 1;
    for (int p : ic.gnd) ic.used[size_t(p)] = 1;
    return ic;
}

std::string IcSymbol(const BoardIc& ic, const std::string& name)
{
    std::ostringstream s;
    s << "symbol " << name << " schematic\n";
    for (int i = 0; i < ic.pins; ++i) s << "  entry " << i + 1 << " at " << ic.px[size_t(i)] << " " << ic.py[size_t(i)] << "\n";
    const int bx1 = ic.quad ? ic.lo - 100 : -200, bx2 = ic.quad ? ic.hi + 100 : 200;
    const int by1 = ic.lo - 100, by2 = ic.hi + 100;
    s << "  rect " << bx1 << " " << by1 << " " << bx2 - bx1 << " " << by2 - by1 << "\n";
    for (int i = 0; i < ic.pins; ++i) {
        const int x = ic.px[size_t(i)], y = ic.py[size_t(i)], side = ic.side[size_t(i)];
        const int ex = side == 0 ? x + 100 : side == 2 ? x - 100 : x, ey = side == 1 ? y + 100 : side == 3 ? y - 100 : y;
        s << "  line " << x << " " << y << " " << ex << " " << ey << "\n";
    }
    s << "  text U at " << bx1 << " " << by2 + 20 << " role reference\nend\n";
    return s.str();
}

std::string PassiveName(const Passive& pa, size_t k)
{
    return (pa.res ? "R" : "C") + std::to_string(k + 1);
}

BoardNetlist::BoardNetlist(int n, unsigned seed, std::span<const IcKind> kinds)
    : rng_(seed * 15485863u + static_cast<unsigned>(n))
{
    icCount = std::max(2, n / 9), headerCount = std::max(2, n / 30);
    passiveCount = std::max(0, n - icCount - headerCount);
    int weightSum = 0;
    for (const IcKind& k : kinds) weightSum += k.weight;
    std::vector<std::string> defined;
    for (int i = 0; i < icCount; ++i) {
        const IcKind* k = nullptr;
        if (i == 0) {
            k = &kinds[kinds.size() - 3 + size_t(Pick(3))];
        } else {
            int w = Pick(weightSum);
            for (const IcKind& c : kinds)
                if ((w -= c.weight) < 0) {
                    k = &c;
                    break;
                }
        }
        ics.push_back(MakeIc(k->pins, k->quad));
        const std::string name = std::string(k->quad ? "QFP" : "DIP") + std::to_string(k->pins);
        icSymbol.push_back(name);
        if (std::find(defined.begin(), defined.end(), name) == defined.end())
            defined.push_back(name), symbols_ += IcSymbol(ics.back(), name);
    }
    for (int j = 0; j < headerCount; ++j) headerPins.push_back(j == 0 ? 2 : 3 + Pick(8));
    for (size_t i = 0; i < ics.size(); ++i) {
        for (int p : ics[i].vcc) vcc.push_back(IcPin(int(i), p));
        for (int p : ics[i].gnd) gnd.push_back(IcPin(int(i), p));
    }
}

int BoardNetlist::Pick(int k)
{
    return static_cast<int>(rng_() % unsigned(k));
}

int BoardNetlist::FreePin(int i)
{
    BoardIc& ic = ics[size_t(i)];
    std::vector<int> f;
    for (int p = 0; p < ic.pins; ++p)
        if (!ic.used[size_t(p)]) f.push_back(p);
    if (f.empty()) return -1;
    const int p = f[size_t(Pick(int(f.size())))];
    ic.used[size_t(p)] = 1;
    return p;
}

std::string BoardNetlist::IcPin(int i, int p)
{
    return "U" + std::to_string(i + 1) + "." + std::to_string(p + 1);
}

std::vector<Passive> BoardNetlist::DrawPassives(PinChoice choice)
{
    std::vector<Passive> passives;
    for (int i = 0; i < icCount && int(passives.size()) < passiveCount; ++i)
        for (int p : ics[size_t(i)].vcc)
            if (int(passives.size()) < passiveCount) passives.push_back(Passive{i, Role::Decoupling, p, false});
    int totalPins = 0;
    for (const BoardIc& ic : ics) totalPins += ic.pins;
    while (int(passives.size()) < passiveCount) {
        int w = Pick(totalPins), i = 0;
        while ((w -= ics[size_t(i)].pins) >= 0) ++i;
        const int r = Pick(10);
        const Role role = r < 3 ? Role::PullUp : r < 7 ? Role::Series : Role::Filter;
        Passive pa{i, role, -1, role != Role::Filter};
        if (choice == PinChoice::AsDrawn) {
            pa.pin = FreePin(i);
            if (pa.pin < 0) pa.role = Role::Decoupling;
        }
        passives.push_back(pa);
    }
    return passives;
}

void BoardNetlist::ConnectPassive(const Passive& pa, const std::string& name, int nearPin)
{
    const std::string nearEnd = name + "." + std::to_string(nearPin), farEnd = name + "." + std::to_string(3 - nearPin);
    if (pa.role == Role::Decoupling) {
        vcc.push_back(nearEnd), gnd.push_back(farEnd);
        return;
    }
    nets.push_back({IcPin(pa.ic, pa.pin), nearEnd});
    if (pa.role == Role::PullUp) vcc.push_back(farEnd);
    else if (pa.role == Role::Filter) gnd.push_back(farEnd);
    else farSeries_.push_back(farEnd), farSeriesIc_.push_back(pa.ic);
}

std::vector<int> BoardNetlist::BusRun(int i, int width)
{
    const BoardIc& ic = ics[size_t(i)];
    std::vector<int> best;
    for (int side = 0; side < 4; ++side) {
        std::vector<int> f;
        for (int p = 0; p < ic.pins; ++p)
            if (ic.side[size_t(p)] == side && !ic.used[size_t(p)]) f.push_back(p);
        if (f.size() > best.size()) best = f;
    }
    if (int(best.size()) > width) {
        const int from = Pick(int(best.size()) - width + 1);
        best = std::vector<int>(best.begin() + from, best.begin() + from + width);
    }
    return best;
}

void BoardNetlist::AddSignalNets()
{
    // Buses between neighbouring ICs, line by line: up to three from an IC
    // of 64 pins and more, one from a smaller one, each to one of the next
    // three ICs; some take a third IC further on.
    for (int i = 0; i + 1 < icCount; ++i)
        for (int b = 0; b < (ics[size_t(i)].pins >= 64 ? 3 : 1); ++b) {
            if (Pick(10) >= 7) continue;
            const int j = std::min(icCount - 1, i + 1 + Pick(3));
            const int width = 4 + Pick(9);
            std::vector<int> ra = BusRun(i, width), rb = BusRun(j, width), rc;
            const int third = Pick(10) < 3 && j + 1 < icCount ? std::min(icCount - 1, j + 1 + Pick(2)) : -1;
            if (third >= 0) rc = BusRun(third, width);
            const size_t lines = std::min(ra.size(), rb.size());
            for (size_t l = 0; l < lines; ++l) {
                std::vector<std::string> net = {IcPin(i, ra[l]), IcPin(j, rb[l])};
                ics[size_t(i)].used[size_t(ra[l])] = ics[size_t(j)].used[size_t(rb[l])] = 1;
                if (l < rc.size()) net.push_back(IcPin(third, rc[l])), ics[size_t(third)].used[size_t(rc[l])] = 1;
                nets.push_back(net);
            }
        }

    // Headers: the first brings VCC and GND; on the others pin 1 is GND on
    // every second one and the rest go to series resistors or IC pins.
    for (int j = 0; j < headerCount; ++j) {
        const std::string c = "J" + std::to_string(j + 1) + ".";
        for (int p = 0; p < headerPins[size_t(j)]; ++p) {
            const std::string pin = c + std::to_string(p + 1);
            if (j == 0) {
                (p == 0 ? vcc : gnd).push_back(pin);
                continue;
            }
            if (p == 0 && j % 2 == 0) {
                gnd.push_back(pin);
                continue;
            }
            if (!farSeries_.empty() && Pick(2) == 0) {
                const size_t f = size_t(Pick(int(farSeries_.size())));
                nets.push_back({pin, farSeries_[f]});
                farSeries_.erase(farSeries_.begin() + long(f)), farSeriesIc_.erase(farSeriesIc_.begin() + long(f));
                continue;
            }
            // An IC near the header's share of the board.
            const int i = std::min(icCount - 1, j * icCount / headerCount + Pick(3));
            const int q = FreePin(i);
            if (q >= 0) nets.push_back({pin, IcPin(i, q)});
        }
    }
    // The remaining series resistors lead to an IC near their own.
    for (size_t f = 0; f < farSeries_.size(); ++f) {
        const int i = std::clamp(farSeriesIc_[f] + Pick(7) - 3, 0, icCount - 1);
        const int q = FreePin(i);
        if (q >= 0) nets.push_back({farSeries_[f], IcPin(i, q)});
    }
    farSeries_.clear(), farSeriesIc_.clear();
    // Short nets of 2 or 3 pins among neighbours for about half the pins left.
    for (int i = 0; i < icCount; ++i) {
        int left = 0;
        for (char u : ics[size_t(i)].used) left += !u;
        for (int k = 0; k < left / 4; ++k) {
            std::vector<std::string> net;
            const int size = 2 + Pick(2);
            for (int m = 0; m < size; ++m) {
                const int at = m == 0 ? i : std::clamp(i + Pick(7) - 3, 0, icCount - 1);
                const int q = FreePin(at);
                if (q >= 0) net.push_back(IcPin(at, q));
            }
            if (net.size() >= 2) nets.push_back(net);
        }
    }
}

std::string BoardNetlist::SourceHead() const
{
    std::ostringstream s;
    s << "include discrete.nls\ninclude connectors.nls\nunit 1mil\n" << symbols_ << "design G\nlevel MAIN\n";
    s << "net VCC";
    for (const std::string& p : vcc) s << " " << p;
    s << "\nnet GND";
    for (const std::string& p : gnd) s << " " << p;
    s << "\n";
    for (size_t k = 0; k < nets.size(); ++k) {
        s << "net N" << k;
        for (const std::string& p : nets[k]) s << " " << p;
        s << "\n";
    }
    return s.str();
}

std::array<int, 2> BoardNetlist::HeaderColumns() const
{
    std::array<int, 2> colH{0, 0};
    for (int j = 0; j < headerCount; ++j) colH[size_t(j % 2)] += 100 * (headerPins[size_t(j)] + 1) + 300;
    return colH;
}

std::string BoardNetlist::HeaderComponents(int frameW, int inset, std::array<int, 2> tops) const
{
    std::ostringstream s;
    for (int j = 0; j < headerCount; ++j) {
        const int side = j % 2, k = headerPins[size_t(j)];
        int& cy = tops[size_t(side)];
        const int x = side == 0 ? -frameW / 2 + inset : frameW / 2 - inset;
        s << "  component J" << j + 1 << " symbol CONN" << k << " at " << x << " ";
        if (side == 0) s << cy - 100 * k << " angle 180\n";
        else s << cy - 100 << "\n";
        cy -= 100 * (k + 1) + 300;
    }
    return s.str();
}

std::pair<int, int> BoardNetlist::IcPinRange() const
{
    int minPins = 1000, maxPins = 0;
    for (const BoardIc& ic : ics) minPins = std::min(minPins, ic.pins), maxPins = std::max(maxPins, ic.pins);
    return {minPins, maxPins};
}

}  // namespace bench_boards
