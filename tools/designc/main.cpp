// designc, the design compiler: a readable design source into a design
// image of the kernel.
//
//   designc SOURCE OUTPUT
//
// The image is written only when the whole design was read and built; the
// kernel writes it atomically, so OUTPUT is either the old file or the new
// one. On an error the message goes to standard error and the exit status
// is 1; 2 for bad usage.
#include "platform/kernel/nvokernel32.h"
#include "tools/sources/source_builder.h"
#include "tools/sources/source_reader.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3 || argv[1][0] == '-' || argv[2][0] == '-') {
        std::fprintf(stderr, "usage: designc SOURCE OUTPUT\n");
        return 2;
    }
    nvo_sources::Source src;
    std::string error;
    if (!nvo_sources::ReadSourceFile(argv[1], src, error) || !nvo_sources::BuildDesign(src, error)) {
        std::fprintf(stderr, "designc: %s\n", error.c_str());
        return 1;
    }
    if (DB_SaveDataBase(argv[2]) == 0) {
        std::fprintf(stderr, "designc: %s\n", E_LastError());
        DB_DiscardDataBase();
        return 1;
    }
    DB_DiscardDataBase();
    return 0;
}
