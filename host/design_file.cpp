#include "host/design_file.h"

#include "platform/kernel/nvokernel32.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <climits>
#include <fcntl.h>
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
    const fs::file_status status = fs::status(target, ec);
    if (status.type() == fs::file_type::not_found) return true;
    if (status.type() != fs::file_type::regular) {
        error = target + " is not a regular file; the design could not be saved there";
        return false;
    }
    // The folder would let the save replace a file its owner made
    // read-only; the file's own rights say it is not to be written.
    if (access(target.c_str(), W_OK) != 0) {
        error = "the design file " + target + " cannot be written (" + std::strerror(errno) +
                "); the design could not be saved there";
        return false;
    }
    // The save replaces the backup with the previous file.
    const std::string backup = target + ".bak";
    const fs::file_status kept = fs::symlink_status(backup, ec);
    if (kept.type() == fs::file_type::directory) {
        error = "the backup " + backup + " is a directory; the previous design could not be kept there";
        return false;
    }
    if (kept.type() != fs::file_type::not_found && kept.type() != fs::file_type::symlink &&
        access(backup.c_str(), W_OK) != 0) {
        error = "the backup " + backup + " cannot be written (" + std::strerror(errno) +
                "); the previous design could not be kept there";
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

bool RescueDesign(const std::string& path, const std::vector<std::string>& folders, std::string& written,
                  std::string& error)
{
    error.clear();
    if (DB_DataBase() == 0) {
        error = "no design is open";
        return false;
    }
    std::string name = fs::path(path).filename().string();
    if (name.empty()) name = "design";
    // A long name is cut so that the rescue's name with its number, the
    // kernel's temporary suffix (".tmp-XXXXXX") and SQLite's journal beside
    // that ("-journal") still fits in a name; never inside a UTF-8
    // character.
    constexpr size_t kRoom = NAME_MAX - std::char_traits<char>::length(".unsaved-999.nvd.tmp-XXXXXX-journal");
    if (name.size() > kRoom) {
        size_t cut = kRoom;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    for (const std::string& folder : folders) {
        if (folder.empty()) continue;
        std::error_code ec;
        fs::create_directories(folder, ec);
        std::string why;
        for (int n = 1; n <= 999 && why.empty(); ++n) {
            const std::string file =
                (fs::path(folder) / (name + (n == 1 ? std::string(".unsaved") : ".unsaved-" + std::to_string(n)) +
                                     ".nvd"))
                    .string();
            // The name is taken first, so that no file made meanwhile is
            // replaced; the kernel's save then replaces this empty one.
            const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0) {
                if (errno == EEXIST) continue;
                why = std::strerror(errno);
                break;
            }
            close(fd);
            if (DB_SaveDataBase(file.c_str()) != 0) {
                written = fs::absolute(file, ec).lexically_normal().string();
                if (ec) written = file;
                return true;
            }
            why = KernelError();
            unlink(file.c_str());
        }
        if (why.empty()) why = "every name is taken";
        error += (error.empty() ? "" : "; ") + folder + ": " + why;
    }
    if (error.empty()) error = "no folder to write it to";
    return false;
}
