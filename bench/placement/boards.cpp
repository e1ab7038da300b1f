// Generated designs for the placement benchmark (see boards.h).
#include "bench/placement/boards.h"

#include "bench/boards/board_netlist.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>

namespace plc_bench {

namespace {

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

// The notes a drawn sheet carries in its upper left corner, inside the
// header columns: a title with a rule under it and two lines of notes; and
// a revision line in its lower left corner.
std::string PageNotes(int w, int h, const std::string& title)
{
    const int x = -w / 2 + 1200, top = h / 2 - 800;
    std::ostringstream s;
    s << "  text \"" << title << "\" at " << x << " " << top << " size 0.2in\n";
    s << "  line " << x << " " << top - 100 << " " << x + 5000 << " " << top - 100 << "\n";
    s << "  text \"Notes: 1. Resistors 0603, 1 %; capacitors X7R, 16 V unless marked.\" at " << x << " " << top - 350 << "\n";
    s << "  text \"2. Every decoupling capacitor as near its IC's supply pin as it can go.\" at " << x << " " << top - 500
      << "\n";
    s << "  text \"Rev A, drawn for the placement benchmark\" at " << x << " " << -h / 2 + 500 << "\n";
    return s.str();
}

}  // namespace

Board GenerateBoard(int n, unsigned seed, double cover)
{
    // Dual in-line ICs of 14 to 40 pins, quad ones of 32 to 200, by weight.
    static const bench_boards::IcKind kKinds[] = {{14, false, 5}, {20, false, 5}, {28, false, 3}, {40, false, 2},
                                                  {32, true, 4},  {48, true, 4},  {64, true, 3},  {100, true, 2},
                                                  {144, true, 1}, {200, true, 1}};
    bench_boards::BoardNetlist board(n, seed, kKinds);
    // The passives take their IC pins as they are drawn, pin 1 at the IC.
    const std::vector<bench_boards::Passive> passives = board.DrawPassives(bench_boards::PinChoice::AsDrawn);
    for (size_t k = 0; k < passives.size(); ++k) board.ConnectPassive(passives[k], bench_boards::PassiveName(passives[k], k), 1);
    board.AddSignalNets();

    // The sheet: the parts' outlines (with a tenth of an inch around them)
    // cover at most `cover` of it; the headers stand in a column on each
    // side, 0.3 inch apart.
    double area = 0;
    for (const bench_boards::BoardIc& ic : board.ics) area += double(ic.x2 - ic.x1 + 100) * (ic.y2 - ic.y1 + 100);
    for (const bench_boards::Passive& pa : passives) area += pa.res ? 700.0 * 300 : 500.0 * 300;
    for (int k : board.headerPins) area += 400.0 * (100 * k + 400);
    const std::array<int, 2> colH = board.HeaderColumns();
    const Sheet sheet = ChooseSheet(area / cover, std::max(colH[0], colH[1]) + 2000);
    const int w = sheet.w, h = sheet.h;

    // Every part but the headers at the origin; each header column centred
    // on the page.
    std::ostringstream s;
    s << board.SourceHead();
    s << "page P frame " << w << " " << h << "\n";
    for (size_t i = 0; i < board.ics.size(); ++i) s << "  component U" << i + 1 << " symbol " << board.icSymbol[i] << " at 0 0\n";
    for (size_t k = 0; k < passives.size(); ++k)
        s << "  component " << bench_boards::PassiveName(passives[k], k) << " symbol " << (passives[k].res ? "RES" : "CAP")
          << " at 0 0\n";
    s << board.HeaderComponents(w, 600, {colH[0] / 2 / 100 * 100, colH[1] / 2 / 100 * 100});
    s << PageNotes(w, h, "Board of " + std::to_string(n) + " parts, seed " + std::to_string(seed));
    s << "end\n";

    Board result;
    for (int j = 0; j < board.headerCount; ++j) result.locked.push_back("J" + std::to_string(j + 1));
    const auto [minPins, maxPins] = board.IcPinRange();
    char summary[300];
    std::snprintf(summary, sizeof summary, "%d ICs of %d-%d pins, %d headers, %d passives; VCC %zu pins, GND %zu pins; %.1f x %.1f in",
                  board.icCount, minPins, maxPins, board.headerCount, board.passiveCount, board.vcc.size(), board.gnd.size(),
                  w / 1000.0, h / 1000.0);
    result.text = s.str();
    result.summary = summary;
    result.frameW = w, result.frameH = h;
    return result;
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
    s << PageNotes(sheet.w, sheet.h, "Two-pin chains of " + std::to_string(count) + " parts");
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
