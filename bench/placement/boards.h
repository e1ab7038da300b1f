// Generated designs shaped like real boards, for the placement benchmark.
#pragma once

#include <string>
#include <vector>

namespace plc_bench {

struct Board {
    std::string text;                 // the design in the readable source form
    std::string summary;              // one line: what the board holds
    std::vector<std::string> locked;  // references of the parts that stay where they are (connectors)
    int frameW = 0, frameH = 0;       // the page frame in mils, centred on the origin
};

// A board of about n parts: ICs of 14 to 200 pins (dual in-line and quad
// rows, pins 0.1 inch apart, the symbols defined in the source), the
// library's resistors and capacitors serving them (a decoupling capacitor
// on every supply pin, pull-ups, series resistors, filter capacitors), pin
// headers locked along the left and right edges of the page, and the nets
// such a board has: VCC and GND over every IC's supply pins, the decoupling
// capacitors, pull-ups, filters and headers (50 pins and more from about
// 60 parts up), buses of 4 to 12 lines between neighbouring ICs (some with a
// third IC), series resistors between ICs and headers, header lines to the
// ICs and short nets of 2 or 3 pins among neighbours. Every part but the
// headers stands at the origin. The page is the smallest of the usual
// landscape sheets (11 x 8.5 to 44 x 34 inches) on which the parts' outlines
// cover at most `cover` of the area, with a title block zone in its lower
// right corner (see the benchmark), and the texts of a drawn sheet in its
// notes: a title with a rule and two lines of notes in the upper left
// corner, a revision line in the lower left. The netlist is built by
// bench/boards/board_netlist.h, which the router's benchmark shares.
Board GenerateBoard(int n, unsigned seed, double cover);

// A design of `count` resistors and capacitors joined by two-pin nets to
// near neighbours, on a page of about twice the room they need, with the
// same notes as the boards.
Board GenerateTwoPin(int count, unsigned seed);

}  // namespace plc_bench
