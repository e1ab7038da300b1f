#include "host/design_file.h"

#include "platform/kernel/nvokernel32.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;

std::string KernelError()
{
    const char* e = E_LastError();
    return e && *e ? e : "the kernel gave no reason";
}

}  // namespace

bool NewDesign()
{
    return DB_CreateDataBase("Untitled", "MAINHIER", "MAINPAGE") != 0;
}

bool OpenDesignFile(const std::string& path, std::string& error)
{
    std::error_code ec;
    if (fs::symlink_status(path, ec).type() == fs::file_type::not_found) {
        if (!NewDesign()) {
            error = "a new design cannot be made";
            return false;
        }
        return true;
    }
    if (DB_LoadDataBase(path.c_str()) == 0) {
        error = "the design file cannot be opened: " + KernelError();
        return false;
    }
    return true;
}

bool SaveDesignFile(const std::string& path, std::string& error)
{
    if (DB_DataBase() == 0) {
        error = "no design is open; " + path + " is left as it was";
        return false;
    }
    std::error_code ec;
    if (fs::exists(path, ec)) {
        const std::string backup = path + ".bak";
        const std::string temp = backup + ".tmp";
        fs::copy_file(path, temp, fs::copy_options::overwrite_existing, ec);
        if (!ec) fs::rename(temp, backup, ec);
        if (ec) {
            fs::remove(temp, ec);
            error = "the previous design file cannot be kept as " + backup + "; " + path + " is left as it was";
            return false;
        }
    }
    if (DB_SaveDataBase(path.c_str()) == 0) {
        error = "the design cannot be written: " + KernelError();
        return false;
    }
    return true;
}
