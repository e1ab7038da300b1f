// File objects: named byte strings in the current level's file map, each
// with a read/write position (the editor's scratch objects, hierarchy
// stack, picture list and pictures). Bytes are kept exactly; a write beyond
// the end fills the gap with zero bytes.
#include "platform/kernel/database.h"
#include "platform/kernel/image_store.h"
#include "platform/kernel/nvokernel32.h"

#include <cstring>

namespace kernel::image {

namespace {

FileObject& FileOf(int32_t id)
{
    Level* level = CurLevel();
    if (!level) Fail("no design is open");
    auto* file = id != 0 ? level->files.FindAs<FileObject>(id) : nullptr;
    if (!file) Fail("no file object " + std::to_string(id) + " in the current level");
    return *file;
}

}  // namespace

}  // namespace kernel::image

using namespace kernel;
using namespace kernel::image;

int32_t F_CreateFile(int32_t id, const char* name) noexcept
{
    return Run(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level) Fail("cannot create a file object: no design is open");
        if (!ValidName(name)) Fail("cannot create a file object: the name is missing or longer than 255 bytes");
        auto file = std::make_unique<FileObject>();
        file->name = name;
        const int32_t key = level->files.Insert(std::move(file), id);
        if (!key) Fail("cannot create the file object \"" + std::string(name) + "\": id " + std::to_string(id) +
                       " is taken or out of range");
        return key;
    });
}

int32_t F_File(int32_t file) noexcept
{
    return Run(0, [&]() -> int32_t { return FileOf(file).Handle(); });
}

int32_t F_Seek(int32_t file, int32_t offset, int32_t origin) noexcept
{
    return Run(-1, [&]() -> int32_t {
        FileObject& f = FileOf(file);
        int64_t base = 0;
        switch (origin) {
        case 0: base = 0; break;
        case 1: base = f.position; break;
        case 2: base = static_cast<int64_t>(f.data.size()); break;
        default: Fail("unknown seek origin " + std::to_string(origin) + " (0 start, 1 position, 2 end)");
        }
        const int64_t position = base + offset;
        if (position < 0 || position > kMaxFileLength)
            Fail("seek to " + std::to_string(position) + " is outside the file object");
        if (f.position != position) Touch(f);
        f.position = position;
        return static_cast<int32_t>(position);
    });
}

int32_t F_Read(int32_t file, void* buffer, int32_t bytes) noexcept
{
    return Run(0, [&]() -> int32_t {
        FileObject& f = FileOf(file);
        if (!buffer || bytes < 0) Fail("no buffer or a negative byte count");
        const auto size = static_cast<int64_t>(f.data.size());
        const int64_t n = f.position >= size ? 0 : std::min<int64_t>(bytes, size - f.position);
        if (n > 0) {
            std::memcpy(buffer, f.data.data() + f.position, static_cast<size_t>(n));
            Touch(f);
        }
        f.position += n;
        return static_cast<int32_t>(n);
    });
}

int32_t F_Write(int32_t file, const void* buffer, int32_t bytes) noexcept
{
    return Run(0, [&]() -> int32_t {
        FileObject& f = FileOf(file);
        if (!buffer || bytes < 0) Fail("no buffer or a negative byte count");
        if (bytes == 0) return 0;
        const int64_t end = f.position + bytes;
        if (end > kMaxFileLength) Fail("the file object would grow beyond its maximum length");
        Touch(f);
        DropDecodedPicture(f);
        if (end > static_cast<int64_t>(f.data.size())) f.data.resize(static_cast<size_t>(end), '\0');
        if (bytes > 0) std::memcpy(f.data.data() + f.position, buffer, static_cast<size_t>(bytes));
        f.position = end;
        return bytes;
    });
}

int32_t F_GetLength(int32_t file) noexcept
{
    return Run(-1, [&]() -> int32_t { return static_cast<int32_t>(FileOf(file).data.size()); });
}

int32_t F_SetLength(int32_t file, int32_t length) noexcept
{
    return Run(0, [&]() -> int32_t {
        FileObject& f = FileOf(file);
        if (length < 0 || length > kMaxFileLength) Fail("length " + std::to_string(length) + " is out of range");
        Touch(f);
        DropDecodedPicture(f);
        f.data.resize(static_cast<size_t>(length), '\0');
        return 1;
    });
}
