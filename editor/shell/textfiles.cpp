#include "editor/shell/textfiles.h"

#include "editor/shell/curpos.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/paths.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/interaction.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <unordered_map>

std::string g_CurFileName;
CheckedArray<HierStackRec> g_HierStack(0, 0);
HierStackRec g_HierStackRec;

namespace {

// ---- Text files ---------------------------------------------------------------

// An open file, closed when it goes out of the table however that happens
// (CloseTextFile, or the table's end when the program ends). A file opened
// for output is written under a temporary name beside its target and takes
// the target's name only when it is committed; one that is dropped
// unfinished takes its temporary file with it.
struct OpenFile {
    std::FILE* file = nullptr;
    std::string temp;    // the temporary file of an output file
    OpenFile() = default;
    OpenFile(std::FILE* f, std::string t = {}) : file(f), temp(std::move(t)) {}
    OpenFile(OpenFile&& other) noexcept : file(other.file), temp(std::move(other.temp)) { other.file = nullptr; }
    OpenFile& operator=(OpenFile&& other) noexcept
    {
        if (this != &other) {
            Drop();
            file = other.file;
            temp = std::move(other.temp);
            other.file = nullptr;
        }
        return *this;
    }
    ~OpenFile() { Drop(); }
    std::FILE* get() const { return file; }
    void Drop()
    {
        if (file) std::fclose(file);
        file = nullptr;
        if (!temp.empty()) unlink(temp.c_str());
        temp.clear();
    }
};

std::map<int32_t, OpenFile>& OpenFiles()
{
    static std::map<int32_t, OpenFile> files;
    return files;
}

int32_t NextFreeFileNumber()
{
    int32_t number = 1;
    for (const auto& [used, file] : OpenFiles()) {
        if (used != number) break;
        ++number;
    }
    return number;
}

// The description of the error that has just occurred, as the runtime words
// its file errors.
std::string g_lastFileError;

// The folder of `path` exists (or the path names none).
bool FolderExists(const std::string& path)
{
    const size_t slash = NormalizePath(path).rfind('/');
    if (slash == std::string::npos || slash == 0) return true;
    struct stat info {};
    return stat(NativePath(NormalizePath(path).substr(0, slash)).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void NoteErrno(int error, const std::string& path)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR: g_lastFileError = FolderExists(path) ? "File not found" : "Path not found"; break;
    case EACCES:
    case EPERM:
    case EROFS: g_lastFileError = "Permission denied"; break;
    case EISDIR: g_lastFileError = "Path/File access error"; break;
    case ENOSPC:
    case EDQUOT: g_lastFileError = "Disk full"; break;
    case EMFILE:
    case ENFILE: g_lastFileError = "Too many files"; break;
    default: g_lastFileError = "Device I/O error"; break;
    }
}

void ShowFileError(const std::string& text, const std::string& id, const std::string& path)
{
    winsys::Ui().MessageBox(GetMsgText(text, id) + path, g_lastFileError, winsys::mb::OkOnly | winsys::mb::Exclamation);
}

// Creates the temporary file of an output file in the target's folder:
// the file and its name, or null with errno set.
std::FILE* CreateTempBeside(const std::string& path, std::string& temp)
{
    const std::string native = NativePath(path);
    const size_t slash = native.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : native.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? native : native.substr(slash + 1);
    if (name.empty()) {
        errno = EISDIR;
        return nullptr;
    }
    std::string pattern = (slash == std::string::npos ? std::string() : folder) + "." + name + ".tmp-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) return nullptr;
    std::FILE* file = fdopen(fd, "wb");
    if (!file) {
        const int error = errno;
        close(fd);
        unlink(pattern.c_str());
        errno = error;
        return nullptr;
    }
    temp = pattern;
    return file;
}

// Bytes the writes may still take before they fail (testing hook); -1 none.
int64_t g_textWriteLimit = -1;

void OpenTextFile(int32_t& status, int32_t& fileNumber, const std::string& path, bool writing)
{
    status = 0;
    fileNumber = NextFreeFileNumber();
    errno = 0;
    std::string temp;
    std::FILE* file = writing ? CreateTempBeside(path, temp) : std::fopen(NativePath(path).c_str(), "rb");
    if (!file) {
        NoteErrno(errno, path);
        if (writing)
            ReportWriteError(path);
        else
            ReportReadError(path);
        status = 1;
        return;
    }
    OpenFiles()[fileNumber] = OpenFile(file, temp);
}

// Writes the bytes unless the testing limit stops them first (as a full
// disk would).
bool WriteBytes(std::FILE* file, const char* data, size_t size)
{
    if (g_textWriteLimit >= 0 && static_cast<int64_t>(size) > g_textWriteLimit) {
        std::fwrite(data, 1, static_cast<size_t>(g_textWriteLimit), file);
        g_textWriteLimit = 0;
        errno = ENOSPC;
        return false;
    }
    if (g_textWriteLimit >= 0) g_textWriteLimit -= static_cast<int64_t>(size);
    return std::fwrite(data, 1, size, file) == size;
}

std::FILE* FileOf(int32_t fileNumber)
{
    const auto found = OpenFiles().find(fileNumber);
    if (found != OpenFiles().end()) return found->second.get();
    g_lastFileError = "Bad file name or number";
    return nullptr;
}

// ---- File objects -------------------------------------------------------------

int64_t g_writeLimit = -1;

// Writes `content` into the file object `id` from its position; false when
// the kernel takes less than all of it.
bool WriteAll(int32_t id, const std::string& content)
{
    if (content.empty()) return true;
    size_t size = content.size();
    if (g_writeLimit >= 0 && static_cast<int64_t>(size) > g_writeLimit) size = static_cast<size_t>(g_writeLimit);
    if (size > INT32_MAX) return false;
    const int32_t written = size == 0 ? 0 : F_Write(id, content.data(), static_cast<int32_t>(size));
    if (g_writeLimit >= 0) g_writeLimit -= written;
    return written == static_cast<int32_t>(content.size());
}

std::string Pad15(const std::string& name)
{
    std::string padded = name.substr(0, 15);
    padded.resize(15, ' ');
    return padded;
}

std::string RecordBytes(const HierStackRec& record)
{
    std::string bytes(kHierStackRecSize, ' ');
    const uint32_t id = static_cast<uint32_t>(record.Id);
    for (int i = 0; i < 4; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>((id >> (8 * i)) & 0xFF);
    bytes.replace(4, 15, Pad15(record.Name));
    return bytes;
}

HierStackRec RecordOf(const unsigned char* bytes)
{
    HierStackRec record;
    const uint32_t id = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                        (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    record.Id = static_cast<int32_t>(id);
    record.Name.assign(reinterpret_cast<const char*>(bytes + 4), 15);
    return record;
}

// Rewrites HIERSTCK with elements `from` to the last of g_HierStack.
bool WriteHierStack(long from)
{
    std::string content;
    for (long i = from; i <= g_HierStack.UBound(); ++i) content += RecordBytes(g_HierStack(i));
    int32_t status = 1;
    WriteFileObject(status, kHierStackName, content);
    return status == 0;
}

constexpr const char* kTempPrefixes[] = {"!SEX", "!SFN", "!SEP", "!SMP", "!SNM", "!SPOLY", "!SFILE", "!MSTRING"};

}  // namespace

void OpenTextFileIn(int32_t& status, int32_t& fileNumber, const std::string& path)
{
    OpenTextFile(status, fileNumber, path, false);
}

void OpenTextFileOut(int32_t& status, int32_t& fileNumber, const std::string& path)
{
    OpenTextFile(status, fileNumber, path, true);
}

void ReadTextLine(int32_t& status, int32_t fileNumber, std::string& line)
{
    std::FILE* file = FileOf(fileNumber);
    if (file) {
        std::string text;
        bool any = false;
        int c;
        errno = 0;
        while ((c = std::fgetc(file)) != EOF) {
            any = true;
            if (c == '\n') break;
            if (c == '\r') {
                const int next = std::fgetc(file);
                if (next != '\n' && next != EOF) std::ungetc(next, file);
                break;
            }
            text.push_back(static_cast<char>(c));
        }
        if (any) {
            line = text;
            status = 0;
            return;
        }
        if (std::ferror(file))
            NoteErrno(errno, g_CurFileName);
        else
            g_lastFileError = "Input past end of file";
    }
    ReportReadError(g_CurFileName);
    status = 1;
}

void WriteTextLine(int32_t& status, int32_t fileNumber, const std::string& line)
{
    std::FILE* file = FileOf(fileNumber);
    if (file) {
        errno = 0;
        // Each line goes to the disk at once, so that a full disk is reported
        // at the line that did not fit rather than lost when the file closes.
        if (WriteBytes(file, line.data(), line.size()) && WriteBytes(file, "\r\n", 2) && std::fflush(file) == 0) {
            status = 0;
            return;
        }
        NoteErrno(errno, g_CurFileName);
    }
    ReportWriteError(g_CurFileName);
    status = 1;
}

void CommitTextFile(int32_t& status, int32_t fileNumber, const std::string& path)
{
    status = 1;
    const auto found = OpenFiles().find(fileNumber);
    if (found == OpenFiles().end()) return;
    OpenFile& open = found->second;
    if (open.temp.empty()) {
        OpenFiles().erase(found);
        status = 0;
        return;
    }
    errno = 0;
    bool ok = std::fflush(open.file) == 0 && fsync(fileno(open.file)) == 0;
    ok = std::fclose(open.file) == 0 && ok;
    open.file = nullptr;
    if (ok) {
        // The temporary file takes the target's permissions of a new file.
        const mode_t mask = umask(0);
        umask(mask);
        chmod(open.temp.c_str(), 0666 & ~mask);
        ok = std::rename(open.temp.c_str(), NativePath(path).c_str()) == 0;
    }
    if (ok) open.temp.clear();  // nothing left to remove
    OpenFiles().erase(found);
    if (ok) status = 0;
}

void CloseTextFile(int32_t deleteFile, int32_t fileNumber, const std::string& path)
{
    const auto found = OpenFiles().find(fileNumber);
    if (found == OpenFiles().end()) return;
    if (!found->second.temp.empty()) {
        // An output file: kept, it takes the target's place; deleted, the
        // target stays as it was.
        if (deleteFile == 0) {
            int32_t status = 0;
            CommitTextFile(status, fileNumber, path);
        } else {
            OpenFiles().erase(found);
        }
        return;
    }
    OpenFiles().erase(found);
    if (deleteFile != 0) std::remove(NativePath(path).c_str());
}

void ReportReadError(const std::string& path)
{
    ShowFileError("Can't read file: ", "99365", path);
}

void ReportWriteError(const std::string& path)
{
    ShowFileError("Can't create/write to file: ", "99335", path);
}

void WriteFileObject(int32_t& status, const std::string& name, const std::string& content)
{
    status = 1;
    const int32_t map = DB_FileMap();
    // The new content goes under a name of its own first; one left by an
    // earlier failure is dropped.
    const std::string newName = name + "~new";
    for (int32_t stale; (stale = OM_FindName(map, newName.c_str())) != 0;)
        if (OM_Delete(map, stale) == 0) return;
    const int32_t fresh = F_CreateFile(0, newName.c_str());
    if (fresh == 0) return;
    if (!WriteAll(fresh, content) || F_Seek(fresh, 0, 0) != 0) {
        OM_Delete(map, fresh);
        return;
    }
    // The old object (the lowest id of the name, as every search finds it)
    // makes way only now; the new one takes its name.
    const int32_t old = OM_FindName(map, name.c_str());
    if (O_Rename(F_File(fresh), name.c_str()) == 0) {
        OM_Delete(map, fresh);
        return;
    }
    if (old != 0 && OM_Delete(map, old) == 0) {
        OM_Delete(map, fresh);
        return;
    }
    status = 0;
}

void LoadHierStack()
{
    g_HierStack.Redim(0, 0);
    g_HierStack(0).Id = 0;
    g_HierStack(0).Name = Pad15(g_CurHierName);
    const int32_t id = OM_FindName(DB_FileMap(), kHierStackName);
    if (id == 0) return;
    F_Seek(id, 0, 0);
    const int32_t length = F_GetLength(id);
    if (length <= 0) return;
    const int32_t count = ToLong(length / static_cast<double>(kHierStackRecSize));
    for (int32_t i = 0; i < count; ++i) {
        unsigned char bytes[kHierStackRecSize];
        if (F_Read(id, bytes, kHierStackRecSize) < kHierStackRecSize) return;
        const long n = g_HierStack.UBound() + 1;
        g_HierStack.RedimPreserve(n);
        g_HierStack(n) = RecordOf(bytes);
    }
}

void PushHierStack(int32_t& status, int32_t componentId)
{
    status = 1;
    LoadHierStack();
    g_HierStack(0).Id = componentId;
    if (WriteHierStack(0)) status = 0;
}

void PopHierStack(int32_t& status)
{
    status = 1;
    g_HierStackRec = HierStackRec{};
    LoadHierStack();
    if (!WriteHierStack(2)) return;
    if (g_HierStack.UBound() >= 1) g_HierStackRec = g_HierStack(1);
    status = 0;
}

std::string HierStackBytes()
{
    const int32_t id = OM_FindName(DB_FileMap(), kHierStackName);
    if (id == 0) return {};
    const int32_t length = F_GetLength(id);
    if (length <= 0) return {};
    std::string bytes(static_cast<size_t>(length), '\0');
    F_Seek(id, 0, 0);
    bytes.resize(static_cast<size_t>(std::max(0, F_Read(id, bytes.data(), length))));
    return bytes;
}

int32_t EnterLevelWithHierStack(int32_t level)
{
    const int32_t left = DB_CurHier();
    // A level that is gone is asked about first: a switch to it would fail
    // the whole action.
    if (level <= 0 || OM_Object(DB_HierarchyMap(), level) == 0) return 0;
    const std::string stack = HierStackBytes();
    if (DB_SetCurHier(level) == 0) return 0;
    int32_t status = 1;
    WriteFileObject(status, kHierStackName, stack);
    if (status == 0) return 1;
    DB_SetCurHier(left);
    return 0;
}

std::string TempFileObjectName(const std::string& prefix, int32_t number, int32_t hierarchy)
{
    std::string digits = "0" + std::to_string(hierarchy);
    digits = digits.substr(digits.size() - 2);
    return prefix + digits + std::to_string(number);
}

void DeleteTempFileObjects(int32_t number, int32_t hierarchy)
{
    const int32_t map = DB_FileMap();
    for (const char* prefix : kTempPrefixes) {
        const std::string name = TempFileObjectName(prefix, number, hierarchy);
        if (const int32_t id = OM_FindName(map, name.c_str()); id != 0) OM_Delete(map, id);
    }
}

void DeleteTempFileObjects(const std::vector<int32_t>& numbers, int32_t hierarchy)
{
    if (numbers.size() < 2) {
        for (const int32_t number : numbers) DeleteTempFileObjects(number, hierarchy);
        return;
    }
    // One walk of the file map finds the scratch objects of the numbers,
    // by name and in ascending id order; then each number and prefix takes
    // the lowest id left with its name, as one call per number does.
    std::vector<int32_t> wanted(numbers);
    std::sort(wanted.begin(), wanted.end());
    const std::string digits = TempFileObjectName("", 0, hierarchy).substr(0, 2);
    const int32_t map = DB_FileMap();
    std::unordered_map<std::string, std::deque<int32_t>> found;
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
        const std::string name = PtrToStr(O_GetName(OM_Object(map, id)));
        for (const char* prefix : kTempPrefixes) {
            const size_t length = std::strlen(prefix);
            if (name.compare(0, length, prefix) != 0 || name.compare(length, 2, digits) != 0) continue;
            const std::string rest = name.substr(std::min(name.size(), length + 2));
            int32_t number = 0;
            const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
            if (error == std::errc() && end == rest.data() + rest.size() && std::binary_search(wanted.begin(), wanted.end(), number) &&
                TempFileObjectName(prefix, number, hierarchy) == name)
                found[name].push_back(id);
            break;
        }
    }
    if (found.empty()) return;
    for (const int32_t number : numbers)
        for (const char* prefix : kTempPrefixes) {
            auto it = found.find(TempFileObjectName(prefix, number, hierarchy));
            if (it == found.end() || it->second.empty()) continue;
            OM_Delete(map, it->second.front());
            it->second.pop_front();
        }
}

namespace testing_hooks {
void LimitFileObjectWrites(int64_t bytes)
{
    g_writeLimit = bytes;
}

void LimitTextFileWrites(int64_t bytes)
{
    g_textWriteLimit = bytes;
}
}  // namespace testing_hooks
