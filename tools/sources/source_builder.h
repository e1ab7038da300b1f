// Builds what a readable source holds into the kernel: symbols and devices
// through the kernel's builder functions, whole designs, and library files
// through the kernel's library-writing functions.
#pragma once

#include "tools/sources/source_model.h"

#include <cstdint>
#include <string>

namespace nvo_sources {

// Makes the item as a new kernel item and appends it to the item array
// `array`. False when the kernel refused it.
bool AddItem(int32_t array, const ItemDef& item);

// Makes the symbol in the open database under the lowest free id. Result:
// its id; 0 with `error` set when the kernel refused a part of it (the
// symbol is then deleted again).
int32_t BuildSymbol(const SymbolDef& symbol, std::string& error);

// Makes the device in the open database. Result: its id; 0 with `error`
// set when the kernel refused a part of it (the device is deleted again).
int32_t BuildDevice(const DeviceDef& device, std::string& error);

// Checks the design of `source` against its library (every name it uses,
// every pin, every wire point) and, only when all of it is sound, replaces
// the open database by the design: its levels, pages with their frames,
// components with their texts and layout components, nets with their
// nodes, buses, junctions, wires and page notes, and the symbols and
// devices the design uses. False with `error` set ("file:line: message")
// when the design is wrong; the open database is then untouched. A refusal
// by the kernel while building (not expected after the checks) discards
// the half-built database and is reported the same way.
bool BuildDesign(const Source& source, std::string& error);

// Output files of the library compiler: each is written when not empty.
struct LibraryOutputs {
    std::string parts;     // "NorvoDLL00": the source's devices
    std::string symbols;   // "NorvoSLL00": its schematic symbols
    std::string packages;  // "NorvoSLL00": its layout symbols
};

// Writes the symbols and devices defined in the source itself (not those
// of included files) into library files, each kind to its output. Every
// kind the source defines needs its output and every output given needs
// something to hold. Each file is written to a temporary name and renamed
// over the output when complete, so an output is either the old file or
// the complete new one. Replaces the open database by a scratch one.
bool WriteLibraries(const Source& source, const LibraryOutputs& outputs, std::string& error);

}  // namespace nvo_sources
