// The two file objects a child level keeps for the hierarchical component
// that refers to it: "!SSDSC" (its description, one 44-byte record) and
// "!SSN" (its port nets, 47-byte records one after another, record k for
// port k). Both live in the level's own file map and are named after the
// level's id in two digits ("!SSN07" for level 7).
//
// Encoding: Longs are 32-bit little-endian; texts are fixed-width Latin-1
// fields, padded with blanks (cut when longer). Readers keep the fields as
// they stand; callers trim them.
//
// Status: 0 done, 1 failed. A missing object is status 1 with an empty
// result. A truncated record, or a port net that no longer exists, makes the
// whole object worthless: it is deleted, so that the next assignment builds
// it again from the symbol's entries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SubHierDescRec {
    int32_t Reserved = 0;                               // bytes 0-3, kept as read
    std::string HierName = std::string(15, ' ');        // bytes 4-18
    std::string Description = std::string(25, ' ');     // bytes 19-43
};
constexpr int32_t kSubHierDescSize = 44;

struct SubHierNetRec {
    int32_t NetId = 0;                                  // bytes 0-3
    std::string NetName = std::string(15, ' ');         // bytes 4-18
    std::string Label = std::string(24, ' ');           // bytes 19-42
    int32_t Reserved = 0;                               // bytes 44-46: the low three bytes; byte 43 is a pad
};
constexpr int32_t kSubHierNetSize = 47;

inline const char* const kSubHierDescPrefix = "!SSDSC";
inline const char* const kSubHierNetsPrefix = "!SSN";

// "!SSN" + the level's id in two digits (the last two of "00" + id).
std::string SubHierObjectName(const std::string& prefix, int32_t hier);

// The record's bytes, and a record from them (exactly 44 or 47 bytes).
std::string SubHierDescBytes(const SubHierDescRec& rec);
std::string SubHierNetBytes(const SubHierNetRec& rec);
SubHierDescRec SubHierDescFromBytes(const unsigned char* bytes);
SubHierNetRec SubHierNetFromBytes(const unsigned char* bytes);

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
