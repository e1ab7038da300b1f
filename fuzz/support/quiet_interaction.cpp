#include "fuzz/support/quiet_interaction.h"

#include <QGuiApplication>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fuzz_support {

QuietInteraction& Quiet()
{
    static QuietInteraction quiet;
    return quiet;
}

QuietScope::QuietScope() : before_(&winsys::Ui())
{
    if (before_ == &winsys::QtUi()) before_ = nullptr;
    winsys::InstallInteraction(&Quiet());
}

QuietScope::~QuietScope()
{
    winsys::InstallInteraction(before_);
}

namespace {

struct Scratch {
    std::string dir;
    Scratch()
    {
        // In memory where the system has such a folder: the targets write
        // and read a file or two per input.
        std::string pattern = std::filesystem::is_directory("/dev/shm") ? "/dev/shm/palvane-fuzz-XXXXXX"
                                                                        : "/tmp/palvane-fuzz-XXXXXX";
        if (mkdtemp(pattern.data())) dir = pattern;
    }
    ~Scratch()
    {
        std::error_code ec;
        if (!dir.empty()) std::filesystem::remove_all(dir, ec);
    }
};

}  // namespace

const std::string& ScratchDir()
{
    static const Scratch scratch;
    return scratch.dir;
}

void EnsureApplication()
{
    if (QCoreApplication::instance()) return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "palvane-fuzz";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

}  // namespace fuzz_support
