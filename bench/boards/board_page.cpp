// A page of a generated board (see board_page.h).
#include "bench/boards/board_page.h"

#include "bench/boards/board_netlist.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace bench_boards {

BoardCase GenerateBoard(int n, int seed, int frameW, int frameH)
{
    // The IC kinds: dual in-line of 20 to 40 pins, quad of 32 to 200, by weight.
    static const IcKind kKinds[] = {{20, false, 6}, {28, false, 4}, {40, false, 2}, {32, true, 5}, {48, true, 5},
                                                  {64, true, 3},  {100, true, 2}, {144, true, 1}, {200, true, 1}};
    BoardNetlist board(n, static_cast<unsigned>(seed), kKinds);
    std::vector<BoardIc>& ics = board.ics;
    // The passives' IC pins are chosen as they are placed, below.
    std::vector<Passive> passives = board.DrawPassives(PinChoice::Later);

    // Place the passives in rows around their IC: on the left and right
    // sides lying along the pin, on the top and bottom standing (a quarter
    // turn), each at the free place nearest its pin, 0.3 in apart, a
    // further row out when a row is full.
    struct Spot {
        int x = 0, y = 0, angle = 0;  // local to its IC
    };
    std::vector<Spot> spots(passives.size());
    std::vector<std::vector<std::vector<char>>> slotsTaken(ics.size());  // [ic][side*8+row][slot]
    for (size_t k = 0; k < passives.size(); ++k) {
        Passive& pa = passives[k];
        Spot& spot = spots[k];
        BoardIc& ic = ics[size_t(pa.ic)];
        if (pa.pin < 0) pa.pin = board.FreePin(pa.ic);
        if (pa.pin < 0) pa.role = Role::Decoupling, pa.res = false, pa.pin = ic.vcc.front();  // no pin left: one more decoupling
        const int side = ic.side[size_t(pa.pin)];
        const int along = side == 0 || side == 2 ? ic.py[size_t(pa.pin)] : ic.px[size_t(pa.pin)];
        const int len = pa.res ? 600 : 400;
        // Along the side between its pin tips, clear of the rows of the
        // sides next to it.
        const int a1 = side == 0 || side == 2 ? ic.y1 : ic.x1, a2 = side == 0 || side == 2 ? ic.y2 : ic.x2;
        const int slots = (a2 - a1) / 300 + 1;
        auto& taken = slotsTaken[size_t(pa.ic)];
        if (taken.empty()) taken.assign(4 * 8, std::vector<char>());
        int row = 0, best = -1;
        for (; row < 8 && best < 0; ++row) {
            auto& t = taken[size_t(side * 8 + row)];
            if (t.empty()) t.assign(size_t(slots), 0);
            for (int s = 0; s < slots; ++s)
                if (!t[size_t(s)] && (best < 0 || std::abs(a1 + 300 * s - along) < std::abs(a1 + 300 * best - along))) best = s;
            if (best >= 0) t[size_t(best)] = 1;
        }
        --row;
        if (best < 0) best = 0;  // eight rows full: never with these counts
        const int at = a1 + 300 * best, out = 300 + row * 900 + len / 2;  // centre's distance past the pin tips
        // The near end: pin 2 on the left and at the bottom, pin 1 on the
        // right and at the top (a quarter turn puts pin 1 below).
        const int nearPin = side == 0 || side == 1 ? 2 : 1;
        if (side == 0) spot = {ic.x1 - out, at, 0};
        else if (side == 2) spot = {ic.x2 + out, at, 0};
        else if (side == 1) spot = {at, ic.y1 - out, 90};
        else spot = {at, ic.y2 + out, 90};
        board.ConnectPassive(pa, PassiveName(pa, k), nearPin);
    }
    board.AddSignalNets();

    // Blocks: each IC with its passives, 0.3 in of room around them.
    struct Block {
        int x1, y1, x2, y2;  // local bounds
        int ox = 0, oy = 0;  // the IC's position
    };
    std::vector<Block> blocks;
    for (size_t i = 0; i < ics.size(); ++i) {
        Block b{ics[i].x1, ics[i].y1, ics[i].x2, ics[i].y2};
        for (size_t k = 0; k < passives.size(); ++k) {
            const Passive& pa = passives[k];
            const Spot& spot = spots[k];
            if (pa.ic != int(i)) continue;
            const int half = pa.res ? 300 : 200, across = 100;
            const int hx = spot.angle ? across : half, hy = spot.angle ? half : across;
            b.x1 = std::min(b.x1, spot.x - hx), b.x2 = std::max(b.x2, spot.x + hx);
            b.y1 = std::min(b.y1, spot.y - hy), b.y2 = std::max(b.y2, spot.y + hy);
        }
        b.x1 -= 300, b.y1 -= 300, b.x2 += 300, b.y2 += 300;
        blocks.push_back(b);
    }
    // Rows of blocks, the narrowest rows that leave the blocks at least 4:3
    // wide; the connectors in a column on each side (0.8 in wide), 0.3 in
    // between them.
    int64_t area = 0;
    for (const Block& b : blocks) area += int64_t(b.x2 - b.x1) * (b.y2 - b.y1);
    std::vector<std::vector<size_t>> rows;
    std::vector<int> rowW, rowH;
    int contentW = 0, contentH = 0;
    for (int target = int(std::sqrt(double(area))); contentW == 0 || (contentH * 4 > contentW * 3 && rows.size() > 1); target += 500) {
        rows.assign(1, {}), rowW.assign(1, 0), rowH.assign(1, 0);
        for (size_t i = 0; i < blocks.size(); ++i) {
            const int w = blocks[i].x2 - blocks[i].x1, h = blocks[i].y2 - blocks[i].y1;
            if (!rows.back().empty() && rowW.back() + w > target) rows.emplace_back(), rowW.push_back(0), rowH.push_back(0);
            rows.back().push_back(i), rowW.back() += w, rowH.back() = std::max(rowH.back(), h);
        }
        contentW = contentH = 0;
        for (size_t r = 0; r < rows.size(); ++r) contentW = std::max(contentW, rowW[r]), contentH += rowH[r];
    }
    const std::array<int, 2> colH = board.HeaderColumns();
    const int margin = 1000, colW = 800;
    int w = contentW + 2 * colW + 2 * margin, h = std::max({contentH, colH[0], colH[1]}) + 2 * margin;
    w = (w + 199) / 200 * 200, h = (h + 199) / 200 * 200;
    const bool spread = frameW >= w && frameH >= h;
    if (spread) w = frameW, h = frameH;
    // The spare room goes between the rows and between the blocks of a row.
    const int spareH = h - 2 * margin - contentH;
    int y = h / 2 - margin;
    for (size_t r = 0; r < rows.size(); ++r) {
        const int rowGap = spread ? spareH / int(rows.size()) / 100 * 100 : 0;
        const int spareW = (spread ? w : contentW + 2 * colW + 2 * margin) - 2 * colW - 2 * margin - rowW[r];
        const int gap = spread ? spareW / int(rows[r].size()) / 100 * 100 : 0;
        int x = -w / 2 + margin + colW + gap / 2 / 100 * 100;
        y -= rowGap / 2 / 100 * 100;
        for (size_t i : rows[r]) {
            Block& b = blocks[i];
            b.ox = x - b.x1, b.oy = y - b.y2;
            x += b.x2 - b.x1 + gap;
        }
        y -= rowH[r] + (rowGap - rowGap / 2 / 100 * 100);
    }

    std::ostringstream s;
    s << board.SourceHead();
    s << "page P frame " << w << " " << h << "\n";
    for (size_t i = 0; i < ics.size(); ++i)
        s << "  component U" << i + 1 << " symbol " << board.icSymbol[i] << " at " << blocks[i].ox << " " << blocks[i].oy << "\n";
    for (size_t k = 0; k < passives.size(); ++k) {
        const Passive& pa = passives[k];
        const Block& b = blocks[size_t(pa.ic)];
        s << "  component " << PassiveName(pa, k) << " symbol " << (pa.res ? "RES" : "CAP") << " at "
          << b.ox + spots[k].x << " " << b.oy + spots[k].y;
        if (spots[k].angle) s << " angle " << spots[k].angle;
        s << "\n";
    }
    // The connectors at the top of their columns, or with a frame given,
    // each column centred on it.
    std::array<int, 2> colTop;
    for (int side = 0; side < 2; ++side) {
        const int spare = h - 2 * margin - colH[size_t(side)];
        colTop[size_t(side)] = h / 2 - margin - (spread ? spare / 2 / 100 * 100 : 0);
    }
    s << board.HeaderComponents(w, margin + 200, colTop);
    s << "end\n";

    const auto [minPins, maxPins] = board.IcPinRange();
    char summary[300];
    std::snprintf(summary, sizeof summary,
                  "(%d ICs of %d-%d pins, %d connectors, %d passives; VCC %zu pins, GND %zu pins, %zu other nets; %.1f x %.1f in)",
                  board.icCount, minPins, maxPins, board.headerCount, int(passives.size()), board.vcc.size(), board.gnd.size(),
                  board.nets.size(), w / 1000.0, h / 1000.0);
    return BoardCase{s.str(), summary};
}

}  // namespace bench_boards
