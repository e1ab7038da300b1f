// A page of a generated board shaped like a real one, in the readable
// source form: the board's netlist (board_netlist.h) with its parts placed
// as the router's benchmark places them. Shared by the router's benchmark
// and the router's tests that route such boards.
//
// A board: ICs of 20 to 200 pins (dual in-line rows of 20, 28 and 40 pins,
// quad rows of 32 to 200 pins, the symbols defined in the generated
// source, pins 0.1 inch apart), the library's passives (RES, CAP) placed
// around their ICs, pin-header connectors (CONN2..CONN10) along the left and
// right edges of the page, and the nets such a board has: VCC and GND over
// every IC's supply pins, its decoupling capacitors, pull-ups, filters and
// connectors (50 pins and more from about 100 parts up), buses of 4 to 12
// lines between neighbouring ICs (some with a third IC on them), series
// resistors, connector lines to the ICs and short nets among neighbours; a
// quarter or so of the IC pins stay unconnected (the netlist:
// bench/boards/board_netlist.h). Each IC with its passives forms a block;
// the blocks are packed in rows. With a frame given, the blocks and the
// connectors are spread over it.
#pragma once

#include <string>

namespace bench_boards {

struct BoardCase {
    std::string text, summary;
};

// A board of about n parts; frameW x frameH mils when given (0: as packed).
BoardCase GenerateBoard(int n, int seed, int frameW = 0, int frameH = 0);

}  // namespace bench_boards
