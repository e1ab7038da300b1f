// SCHMAIN's paint procedures: the page drawn into the canvas's backing
// image, and the overview drawn into the viewport's. They run only through
// the canvases' Invalidate and Refresh, never for an expose.
#include "editor/shell/schmain.h"

void SCHMAIN::ViewPicture_Paint()
{
    // The page paint comes with the view's drawing procedures.
}

void SCHMAIN::F_PICView_Paint()
{
    // The overview paint comes with the viewport's procedures.
}
