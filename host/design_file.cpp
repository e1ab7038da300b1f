#include "host/design_file.h"

#include "platform/kernel/nvokernel32.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <unistd.h>

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

std::string WriteTarget(const std::string& path)
{
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
    // A link (or a chain of them) is followed to the file it names, so
    // that the file is replaced and the link stays a link.
    fs::path target = path;
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(target, ec)); ++hops) {
        const fs::path next = fs::read_symlink(target, ec);
        if (ec) return path;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target.lexically_normal().string();
}

bool CheckWritable(const std::string& path, std::string& error)
{
    const std::string target = WriteTarget(path);
    std::error_code ec;
    fs::path folder = fs::path(target).parent_path();
    if (folder.empty()) folder = ".";
    if (!fs::is_directory(folder, ec)) {
        error = "the folder " + folder.string() + " does not exist; the design could not be saved there";
        return false;
    }
    // Saving writes a new file beside the old one and renames it into
    // place, so the folder must take new files.
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        error = "the folder " + folder.string() + " cannot be written (" + std::strerror(errno) +
                "); the design could not be saved there";
        return false;
    }
    if (fs::exists(target, ec) && !fs::is_regular_file(target, ec)) {
        error = target + " is not a regular file";
        return false;
    }
    return true;
}

bool SaveDesignFile(const std::string& givenPath, std::string& error)
{
    const std::string path = WriteTarget(givenPath);
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
