// The records of the two file objects a child level keeps for the
// hierarchical component that refers to it: "!SSDSC" (its description, one
// 44-byte record) and "!SSN" (its port nets, 47-byte records one after
// another, record k for port k). Both live in the level's own file map and
// are named after the level's id in two digits ("!SSN07" for level 7).
//
// Encoding: Longs are 32-bit little-endian; texts are fixed-width Latin-1
// fields, padded with blanks (cut when longer). Readers keep the fields as
// they stand; callers trim them.
//
// Only the bytes: no kernel call, so that the design compiler writes the
// same records as the editor (hier_files.h reads and writes the objects).
#pragma once

#include <cstdint>
#include <string>

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
