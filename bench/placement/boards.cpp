// Generated designs for the placement benchmark (see boards.h).
#include "bench/placement/boards.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>

namespace plc_bench {

namespace {

struct Ic {
    int pins = 0;
    bool quad = false;
    std::vector<int> px, py, side;  // pin ends (mils) and side: 0 left, 1 bottom, 2 right, 3 top
    std::vector<char> used;
    std::vector<int> vcc, gnd;      // supply pins (0-based)
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // outline with the pins
};

// Pins 0.1 inch apart. Dual in-line: pin 1 top left, counted anticlockwise;
// GND the last pin of the left row, VCC the last pin. Quad: rows on all four
// sides, one supply pair in the middle of each side (two on long sides).
Ic MakeIc(int pins, bool quad)
{
    Ic ic;
    ic.pins = pins, ic.quad = quad;
    const int s = quad ? pins / 4 : pins / 2;
    const int hi = 100 * ((s - 1) / 2), lo = hi - 100 * (s - 1);
    for (int i = 0; i < pins; ++i) {
        const int side = quad ? i / s : (i < s ? 0 : 2), k = i % s;
        int x = 0, y = 0;
        if (quad) {
            if (side == 0) x = lo - 200, y = hi - 100 * k;
            else if (side == 1) x = lo + 100 * k, y = lo - 200;
            else if (side == 2) x = hi + 200, y = lo + 100 * k;
            else x = hi - 100 * k, y = hi + 200;
        } else {
            x = side == 0 ? -300 : 300;
            y = side == 0 ? hi - 100 * k : lo + 100 * k;
        }
        ic.px.push_back(x), ic.py.push_back(y), ic.side.push_back(side);
    }
    ic.used.assign(static_cast<size_t>(pins), 0);
    if (quad) {
        const int pairs = s >= 25 ? 2 : 1;
        for (int side = 0; side < 4; ++side)
            for (int j = 0; j < pairs; ++j) {
                const int m = side * s + s * (j + 1) / (pairs + 1) - 1;
                ic.vcc.push_back(m), ic.gnd.push_back(m + 1);
            }
        ic.x1 = ic.y1 = lo - 200, ic.x2 = ic.y2 = hi + 200;
    } else {
        ic.gnd.push_back(s - 1), ic.vcc.push_back(pins - 1);
        ic.x1 = -300, ic.x2 = 300, ic.y1 = lo - 100, ic.y2 = hi + 100;
    }
    for (int p : ic.vcc) ic.used[static_cast<size_t>(p)] = 1;
    for (int p : ic.gnd) ic.used[static_cast<size_t>(p)] = 1;
    return ic;
}

std::string IcSymbol(const Ic& ic, const std::string& name)
{
    std::ostringstream s;
    s << "symbol " << name << " schematic\n";
    for (int i = 0; i < ic.pins; ++i) s << "  entry " << i + 1 << " at " << ic.px[size_t(i)] << " " << ic.py[size_t(i)] << "\n";
    const int bx1 = ic.quad ? ic.x1 + 100 : -200, bx2 = ic.quad ? ic.x2 - 100 : 200;
    const int by1 = ic.quad ? ic.y1 + 100 : ic.y1, by2 = ic.quad ? ic.y2 - 100 : ic.y2;
    s << "  rect " << bx1 << " " << by1 << " " << bx2 - bx1 << " " << by2 - by1 << "\n";
    for (int i = 0; i < ic.pins; ++i) {
        const int x = ic.px[size_t(i)], y = ic.py[size_t(i)], side = ic.side[size_t(i)];
        const int ex = side == 0 ? x + 100 : side == 2 ? x - 100 : x, ey = side == 1 ? y + 100 : side == 3 ? y - 100 : y;
        s << "  line " << x << " " << y << " " << ex << " " << ey << "\n";
    }
    s << "  text U at " << bx1 << " " << by2 + 20 << " role reference\nend\n";
    return s.str();
}

struct Sheet {
    int w, h;  // mils
};

// The smallest usual landscape sheet of at least `area` square mils, at
// least `minH` high; past the largest, one of its shape that is large enough.
Sheet ChooseSheet(double area, int minH)
{
    static const Sheet kSheets[] = {{11000, 8500}, {17000, 11000}, {22000, 17000}, {34000, 22000}, {44000, 34000}};
    for (const Sheet& s : kSheets)
        if (double(s.w) * s.h >= area && s.h >= minH) return s;
    const double k = std::max(std::sqrt(area / (44000.0 * 34000.0)), minH / 34000.0);
    return {int(std::ceil(44000 * k / 1000)) * 1000, int(std::ceil(34000 * k / 1000)) * 1000};
}

}  // namespace

Board GenerateBoard(int n, unsigned seed, double cover)
{
    std::mt19937 rng(seed * 15485863u + static_cast<unsigned>(n));
    auto pick = [&](int k) { return static_cast<int>(rng() % unsigned(k)); };
    struct Kind {
        int pins;
        bool quad;
        int weight;
    };
    static const Kind kKinds[] = {{14, false, 5}, {20, false, 5}, {28, false, 3}, {40, false, 2}, {32, true, 4},
                                  {48, true, 4},  {64, true, 3},  {100, true, 2}, {144, true, 1}, {200, true, 1}};
    const int icCount = std::max(2, n / 9), connCount = std::max(2, n / 30);
    std::vector<Ic> ics;
    std::vector<std::string> icSymbol, defined;
    std::string symbols;
    int weightSum = 0;
    for (const Kind& k : kKinds) weightSum += k.weight;
    for (int i = 0; i < icCount; ++i) {
        const Kind* k = nullptr;
        if (i == 0) {
            k = &kKinds[7 + pick(3)];
        } else {
            int w = pick(weightSum);
            for (const Kind& c : kKinds)
                if ((w -= c.weight) < 0) {
                    k = &c;
                    break;
                }
        }
        ics.push_back(MakeIc(k->pins, k->quad));
        const std::string name = std::string(k->quad ? "QFP" : "DIP") + std::to_string(k->pins);
        icSymbol.push_back(name);
        if (std::find(defined.begin(), defined.end(), name) == defined.end())
            defined.push_back(name), symbols += IcSymbol(ics.back(), name);
    }
    std::vector<int> connPins;
    for (int j = 0; j < connCount; ++j) connPins.push_back(j == 0 ? 2 : 3 + pick(8));

    std::vector<std::vector<std::string>> nets;
    std::vector<std::string> vcc, gnd;
    auto icPin = [](int i, int p) { return "U" + std::to_string(i + 1) + "." + std::to_string(p + 1); };
    auto freePin = [&](int i) {
        std::vector<int> f;
        for (int p = 0; p < ics[size_t(i)].pins; ++p)
            if (!ics[size_t(i)].used[size_t(p)]) f.push_back(p);
        if (f.empty()) return -1;
        const int p = f[size_t(pick(int(f.size())))];
        ics[size_t(i)].used[size_t(p)] = 1;
        return p;
    };
    for (size_t i = 0; i < ics.size(); ++i) {
        for (int p : ics[i].vcc) vcc.push_back(icPin(int(i), p));
        for (int p : ics[i].gnd) gnd.push_back(icPin(int(i), p));
    }

    // Passives: a decoupling capacitor on every VCC pin, then pull-ups,
    // series resistors and filter capacitors spread over the ICs by pins.
    const int passiveCount = std::max(0, n - icCount - connCount);
    int totalPins = 0;
    for (const Ic& ic : ics) totalPins += ic.pins;
    std::vector<std::string> passiveName;
    std::vector<std::string> farSeries;
    std::vector<int> farSeriesIc;
    int made = 0;
    for (int i = 0; i < icCount && made < passiveCount; ++i)
        for (size_t v = 0; v < ics[size_t(i)].vcc.size() && made < passiveCount; ++v) {
            const std::string c = "C" + std::to_string(++made);
            passiveName.push_back(c);
            vcc.push_back(c + ".1"), gnd.push_back(c + ".2");
        }
    while (made < passiveCount) {
        int w = pick(totalPins), i = 0;
        while ((w -= ics[size_t(i)].pins) >= 0) ++i;
        const int r = pick(10), role = r < 3 ? 1 : r < 7 ? 2 : 3;  // pull-up, series, filter
        const int p = freePin(i);
        const std::string name = (role == 3 ? "C" : "R") + std::to_string(++made);
        passiveName.push_back(name);
        if (p < 0) {  // no pin left: one more decoupling capacitor
            vcc.push_back(name + ".1"), gnd.push_back(name + ".2");
            continue;
        }
        nets.push_back({icPin(i, p), name + ".1"});
        if (role == 1) vcc.push_back(name + ".2");
        else if (role == 3) gnd.push_back(name + ".2");
        else farSeries.push_back(name + ".2"), farSeriesIc.push_back(i);
    }

    // Buses between neighbouring ICs: runs of free pins on one side each.
    auto run = [&](int i, int width) {
        Ic& ic = ics[size_t(i)];
        std::vector<int> best;
        for (int side = 0; side < 4; ++side) {
            std::vector<int> f;
            for (int p = 0; p < ic.pins; ++p)
                if (ic.side[size_t(p)] == side && !ic.used[size_t(p)]) f.push_back(p);
            if (f.size() > best.size()) best = f;
        }
        if (int(best.size()) > width) {
            const int from = pick(int(best.size()) - width + 1);
            best = std::vector<int>(best.begin() + from, best.begin() + from + width);
        }
        return best;
    };
    for (int i = 0; i + 1 < icCount; ++i)
        for (int b = 0; b < (ics[size_t(i)].pins >= 64 ? 3 : 1); ++b) {
            if (pick(10) >= 7) continue;
            const int j = std::min(icCount - 1, i + 1 + pick(3));
            const int width = 4 + pick(9);
            std::vector<int> ra = run(i, width), rb = run(j, width), rc;
            const int third = pick(10) < 3 && j + 1 < icCount ? std::min(icCount - 1, j + 1 + pick(2)) : -1;
            if (third >= 0) rc = run(third, width);
            const size_t lines = std::min(ra.size(), rb.size());
            for (size_t l = 0; l < lines; ++l) {
                std::vector<std::string> net = {icPin(i, ra[l]), icPin(j, rb[l])};
                ics[size_t(i)].used[size_t(ra[l])] = ics[size_t(j)].used[size_t(rb[l])] = 1;
                if (l < rc.size()) net.push_back(icPin(third, rc[l])), ics[size_t(third)].used[size_t(rc[l])] = 1;
                nets.push_back(net);
            }
        }

    // Headers: the first brings VCC and GND; on the others pin 1 is GND on
    // every second one and the rest go to series resistors or IC pins.
    for (int j = 0; j < connCount; ++j) {
        const std::string c = "J" + std::to_string(j + 1) + ".";
        for (int p = 0; p < connPins[size_t(j)]; ++p) {
            const std::string pin = c + std::to_string(p + 1);
            if (j == 0) {
                (p == 0 ? vcc : gnd).push_back(pin);
                continue;
            }
            if (p == 0 && j % 2 == 0) {
                gnd.push_back(pin);
                continue;
            }
            if (!farSeries.empty() && pick(2) == 0) {
                const size_t f = size_t(pick(int(farSeries.size())));
                nets.push_back({pin, farSeries[f]});
                farSeries.erase(farSeries.begin() + long(f)), farSeriesIc.erase(farSeriesIc.begin() + long(f));
                continue;
            }
            const int i = std::min(icCount - 1, j * icCount / connCount + pick(3));
            const int q = freePin(i);
            if (q >= 0) nets.push_back({pin, icPin(i, q)});
        }
    }
    for (size_t f = 0; f < farSeries.size(); ++f) {
        const int i = std::clamp(farSeriesIc[f] + pick(7) - 3, 0, icCount - 1);
        const int q = freePin(i);
        if (q >= 0) nets.push_back({farSeries[f], icPin(i, q)});
    }
    // Short nets of 2 or 3 pins among neighbours for about half the pins left.
    for (int i = 0; i < icCount; ++i) {
        int left = 0;
        for (char u : ics[size_t(i)].used) left += !u;
        for (int k = 0; k < left / 4; ++k) {
            std::vector<std::string> net;
            const int size = 2 + pick(2);
            for (int m = 0; m < size; ++m) {
                const int at = m == 0 ? i : std::clamp(i + pick(7) - 3, 0, icCount - 1);
                const int q = freePin(at);
                if (q >= 0) net.push_back(icPin(at, q));
            }
            if (net.size() >= 2) nets.push_back(net);
        }
    }

    // The sheet: the parts' outlines (with a tenth of an inch around them)
    // cover at most `cover` of it; the headers stand in a column on each
    // side, 0.3 inch apart.
    double area = 0;
    for (const Ic& ic : ics) area += double(ic.x2 - ic.x1 + 100) * (ic.y2 - ic.y1 + 100);
    for (const std::string& p : passiveName) area += p[0] == 'R' ? 700.0 * 300 : 500.0 * 300;
    std::vector<int> colH(2, 0);
    for (int j = 0; j < connCount; ++j) {
        colH[size_t(j % 2)] += 100 * (connPins[size_t(j)] + 1) + 300;
        area += 400.0 * (100 * connPins[size_t(j)] + 400);
    }
    const Sheet sheet = ChooseSheet(area / cover, std::max(colH[0], colH[1]) + 2000);
    const int w = sheet.w, h = sheet.h;

    std::ostringstream s;
    s << "include discrete.nls\ninclude connectors.nls\nunit 1mil\n" << symbols << "design G\nlevel MAIN\n";
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
    s << "page P frame " << w << " " << h << "\n";
    for (size_t i = 0; i < ics.size(); ++i) s << "  component U" << i + 1 << " symbol " << icSymbol[i] << " at 0 0\n";
    for (const std::string& p : passiveName) s << "  component " << p << " symbol " << (p[0] == 'R' ? "RES" : "CAP") << " at 0 0\n";
    Board board;
    // Headers: odd ones on the left (turned half round, pins facing the
    // board), even ones on the right; pin 1 at the symbol's origin, the pins
    // below it (above it when turned); each column centred on the page.
    std::vector<int> colY(2);
    for (int side = 0; side < 2; ++side) colY[size_t(side)] = colH[size_t(side)] / 2 / 100 * 100;
    for (int j = 0; j < connCount; ++j) {
        const int side = j % 2, k = connPins[size_t(j)];
        int& cy = colY[size_t(side)];
        const int x = side == 0 ? -w / 2 + 600 : w / 2 - 600;
        s << "  component J" << j + 1 << " symbol CONN" << k << " at " << x << " ";
        if (side == 0) s << cy - 100 * k << " angle 180\n";
        else s << cy - 100 << "\n";
        cy -= 100 * (k + 1) + 300;
        board.locked.push_back("J" + std::to_string(j + 1));
    }
    s << "end\n";

    int minPins = 1000, maxPins = 0;
    for (const Ic& ic : ics) minPins = std::min(minPins, ic.pins), maxPins = std::max(maxPins, ic.pins);
    char summary[300];
    std::snprintf(summary, sizeof summary, "%d ICs of %d-%d pins, %d headers, %d passives; VCC %zu pins, GND %zu pins; %.1f x %.1f in",
                  icCount, minPins, maxPins, connCount, passiveCount, vcc.size(), gnd.size(), w / 1000.0, h / 1000.0);
    board.text = s.str();
    board.summary = summary;
    board.frameW = w, board.frameH = h;
    return board;
}

Board GenerateTwoPin(int count, unsigned seed)
{
    std::mt19937 rng(seed);
    const double area = count * 700.0 * 300.0 / 0.25;
    const Sheet sheet = ChooseSheet(area, 0);
    std::ostringstream s;
    s << "include discrete.nls\nunit 1mil\ndesign G\nlevel MAIN\n";
    s << "page P frame " << sheet.w << " " << sheet.h << "\n";
    auto name = [](int i) { return (i % 3 ? "R" : "C") + std::to_string(i); };
    for (int i = 1; i <= count; ++i) s << "  component " << name(i) << (i % 3 ? " R" : " C") << " at 0 0\n";
    std::vector<bool> inUsed(static_cast<size_t>(count) + 1, false);
    int net = 0;
    for (int i = 1; i <= count; ++i) {
        const int j = i + 1 + static_cast<int>(rng() % 6);
        if (j > count || inUsed[static_cast<size_t>(j)]) continue;
        inUsed[static_cast<size_t>(j)] = true;
        s << "  net N" << ++net << " " << name(i) << ".2 " << name(j) << ".1\n";
    }
    s << "end\n";
    Board board;
    board.text = s.str();
    char summary[200];
    std::snprintf(summary, sizeof summary, "%d resistors and capacitors, %d two-pin nets; %.1f x %.1f in", count, net,
                  sheet.w / 1000.0, sheet.h / 1000.0);
    board.summary = summary;
    board.frameW = sheet.w, board.frameH = sheet.h;
    return board;
}

}  // namespace plc_bench
