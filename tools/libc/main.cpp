// libc, the library compiler: a readable library source into library files
// of the kernel (parts, schematic symbols, packages).
//
//   libc [--parts FILE] [--symbols FILE] [--packages FILE] SOURCE
//
// Every kind the source defines needs its output file. On an error the
// message goes to standard error and the exit status is 1; 2 for bad usage.
#include "tools/sources/source_builder.h"
#include "tools/sources/source_reader.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    nvo_sources::LibraryOutputs out;
    std::string source;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string* target = arg == "--parts" ? &out.parts
                              : arg == "--symbols" ? &out.symbols
                              : arg == "--packages" ? &out.packages
                                                    : nullptr;
        if (target && i + 1 < argc && target->empty()) {
            *target = argv[++i];
        } else if (!target && source.empty() && !arg.empty() && arg[0] != '-') {
            source = arg;
        } else {
            source.clear();
            break;
        }
    }
    if (source.empty()) {
        std::fprintf(stderr, "usage: libc [--parts FILE] [--symbols FILE] [--packages FILE] SOURCE\n");
        return 2;
    }
    nvo_sources::Source src;
    std::string error;
    if (!nvo_sources::ReadSourceFile(source, src, error) || !nvo_sources::WriteLibraries(src, out, error)) {
        std::fprintf(stderr, "libc: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
