// The two file objects a child level keeps for the hierarchical component
// that refers to it, "!SSDSC" and "!SSN" (their records: hier_records.h),
// read and written in the current level's file map.
//
// Status: 0 done, 1 failed. A missing object is status 1 with an empty
// result. A truncated record, or a port net that no longer exists, makes the
// whole object worthless: it is deleted, so that the next assignment builds
// it again from the symbol's entries.
#pragma once

#include "editor/objects/hier_records.h"

#include <cstdint>
#include <string>
#include <vector>

// The objects of the current level (g_CurHier).
void ReadSubHierDesc(int32_t& status, SubHierDescRec& rec);
// The list is 1-based in the procedures' terms: element i - 1 is port i.
// Each net's name is replaced by the net's present name.
void ReadSubHierNets(int32_t& status, std::vector<SubHierNetRec>& nets);
// Replace the object: the new content is written under a name of its own
// and takes the old one's place only when complete, so a failed write
// leaves the old object as it was. An empty net list removes "!SSN".
void WriteSubHierDesc(int32_t& status, const SubHierDescRec& rec);
void WriteSubHierNets(int32_t& status, const std::vector<SubHierNetRec>& nets);

// Deletes both objects named for level `hier` from the current level's file
// map.
void DeleteSubHierObjects(int32_t hier);
