// SCHROUT: the editor's side of the wire router. While the router's page
// image stands, the editor is in routing mode; this module holds the
// routing state, loads the image, and carries the status texts between the
// editor and the router.
#pragma once

// g_RouteImageActive (-1 while the router's image stands for the design,
// that is in routing mode, else 0) is declared with the page drawing, which
// leaves the wires to the image.
#include "editor/shell/pagedraw.h"

#include <cstdint>
#include <string>

// A point in database units, passed to the router by address.
struct RoutePoint {
    int32_t xy[2] = {0, 0};
    int32_t& x() { return xy[0]; }
    int32_t& y() { return xy[1]; }
    void Set(int32_t px, int32_t py) { xy[0] = px; xy[1] = py; }
};

// The status text of the last router call, at most kRouteMsgLength
// characters (the first ones of what the router wrote).
constexpr size_t kRouteMsgLength = 100;
extern std::string g_RouteMsg;
extern RoutePoint g_RoutePt;      // last click in routing mode; second corner of a block
extern RoutePoint g_RouteBlokPt;  // first corner of a block
extern int32_t g_RouteScale;      // 2540 inches, 10000 millimetres
// The step-wise routing of routing mode; the routing mode's function
// buttons 0 (the step dialog) and 10 (leaving the mode) end it (0).
extern int32_t g_RouteStepMode;

// The buffer handed to the router for one call: starts from g_RouteMsg (so
// that a text the router appends follows the previous one) and is large
// enough for the longest text the router writes. Store() keeps the first
// kRouteMsgLength characters up to the terminating zero in g_RouteMsg.
class RouteText {
public:
    static constexpr int32_t kSize = 512;
    RouteText();
    char* data() { return buffer_; }
    int32_t size() const { return kSize; }
    void Store() const;

private:
    char buffer_[kSize];
};

// Loads the router's image of the design: free, components and symbols,
// field grid, preload of the existing wires, then scale, view bits, step
// index 3 and the category colours. failed = 0 when the image is loaded and
// set up; 1 when a step failed and its message was shown. The screen
// pointer is the hourglass meanwhile and the default afterwards, however
// the load ends.
void LoadPageToRouter(int32_t& failed);

// The failure state of the router as a short text: "routine N, cause M".
std::string RouterFailureText();
