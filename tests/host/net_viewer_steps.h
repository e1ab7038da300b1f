// The user's steps that open the net viewer on the demo design, shared by
// the tests of the viewer and of the net test around it.
#pragma once

#include <functional>
#include <string>

class SCHMAIN;
class SCHSNET;

namespace palvane_test {

// The net test on `net`: the net mode, its function 6, and a click on an
// empty point of the page, whose input box gets the net's name.
void StartNetTest(SCHMAIN& main, const std::string& net);

// For the viewer that the next step opens (the option "compare with the
// layout" while the net test runs): does `act` once the viewer is shown and
// its window exposed and settled.
void WhenViewerShown(std::function<void(SCHSNET&)> act);

}  // namespace palvane_test
