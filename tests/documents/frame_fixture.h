// Shared helpers of the page frame tests: the frame branch of a page read
// back as its corner points and junction references.
#pragma once

#include "platform/kernel/nvokernel32.h"

#include <utility>
#include <vector>

namespace palvane_test {

struct FrameRead {
    bool exists = false;
    std::vector<std::pair<int32_t, int32_t>> points;  // every record's position
    std::vector<int32_t> refs;                        // every record's junction
};

inline FrameRead ReadFrame(int32_t branch)
{
    FrameRead frame;
    BranchRec rec{};
    if (B_ReadBranch(branch, &rec) == 0) return frame;
    frame.exists = true;
    for (int32_t i = 1; i <= rec.Points; ++i) {
        BranchPointRec point{};
        if (B_ReadRecord(branch, i, &point) <= 0) continue;
        frame.points.emplace_back(point.X, point.Y);
        frame.refs.push_back(point.Ref);
    }
    return frame;
}

}  // namespace palvane_test
