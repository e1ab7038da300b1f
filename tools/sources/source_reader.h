// Reads the readable sources (docs/SOURCES.md) into a Source: libraries of
// symbols and devices, and designs. Reading never touches the kernel; every
// mistake is reported as "file:line: message" and nothing of a bad source
// is kept.
#pragma once

#include "tools/sources/source_model.h"

#include <string>

namespace nvo_sources {

// Reads a source file and the files it includes (paths relative to the
// including file's folder). False with `error` set when anything is wrong.
bool ReadSourceFile(const std::string& path, Source& source, std::string& error);

// The same for a text; `name` stands for the file in messages and includes
// are found relative to `includeDir`.
bool ReadSourceText(const std::string& text, const std::string& name, const std::string& includeDir,
                    Source& source, std::string& error);

}  // namespace nvo_sources
