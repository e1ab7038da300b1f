// Loading a block file onto the current page, all or nothing: the file is
// read and checked whole (block_format.h), its parts and symbols found,
// then every object is made with an undo list; the first refusal takes all
// of it away again, so the design is as it was.
#pragma once

#include "editor/documents/block_format.h"

#include <cstdint>
#include <string>

// Reads the file `path` whole (at most block::kMaxFile bytes); false when it
// cannot be read.
bool ReadBlockFileBytes(const std::string& path, std::string& bytes);

// Shows the problem of a block file: the path, the line and the reason.
void ReportBlockProblem(const std::string& path, const block::Problem& problem);

// Makes the objects of the checked, placed block on the current page. With
// `join` a block net whose name a page net bears joins that net; otherwise
// it becomes a net "UN" and a number. Components are named "Unpck" and a
// number. True when all of it stands; false after the message of the
// failure, with everything made taken away again.
bool MakeBlockObjects(const block::File& file, bool join, const std::string& path);
