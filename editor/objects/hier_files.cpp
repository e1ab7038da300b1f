#include "editor/objects/hier_files.h"

#include "editor/shell/curpos.h"
#include "editor/shell/numtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/textfiles.h"
#include "editor/shell/textnum.h"

namespace {

std::string Fixed(const std::string& text, size_t width)
{
    std::string fixed = text.substr(0, width);
    fixed.resize(width, ' ');
    return fixed;
}

void PutLong(std::string& bytes, int32_t value, int count = 4)
{
    const auto u = static_cast<uint32_t>(value);
    for (int i = 0; i < count; ++i) bytes.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

int32_t GetLong(const unsigned char* bytes, int count = 4)
{
    uint32_t u = 0;
    for (int i = 0; i < count; ++i) u |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    return static_cast<int32_t>(u);
}

std::string GetText(const unsigned char* bytes, size_t width)
{
    return std::string(reinterpret_cast<const char*>(bytes), width);
}

void DeleteObject(const std::string& name)
{
    if (const int32_t id = OM_FindName(DB_FileMap(), name.c_str())) OM_Delete(DB_FileMap(), id);
}

}  // namespace

std::string SubHierObjectName(const std::string& prefix, int32_t hier)
{
    const std::string digits = "00" + CStr(hier);
    return prefix + digits.substr(digits.size() - 2);
}

std::string SubHierDescBytes(const SubHierDescRec& rec)
{
    std::string bytes;
    PutLong(bytes, rec.Reserved);
    bytes += Fixed(rec.HierName, 15);
    bytes += Fixed(rec.Description, 25);
    return bytes;
}

std::string SubHierNetBytes(const SubHierNetRec& rec)
{
    std::string bytes;
    PutLong(bytes, rec.NetId);
    bytes += Fixed(rec.NetName, 15);
    bytes += Fixed(rec.Label, 24);
    bytes.push_back('\0');
    PutLong(bytes, rec.Reserved, 3);
    return bytes;
}

SubHierDescRec SubHierDescFromBytes(const unsigned char* bytes)
{
    SubHierDescRec rec;
    rec.Reserved = GetLong(bytes);
    rec.HierName = GetText(bytes + 4, 15);
    rec.Description = GetText(bytes + 19, 25);
    return rec;
}

SubHierNetRec SubHierNetFromBytes(const unsigned char* bytes)
{
    SubHierNetRec rec;
    rec.NetId = GetLong(bytes);
    rec.NetName = GetText(bytes + 4, 15);
    rec.Label = GetText(bytes + 19, 24);
    rec.Reserved = GetLong(bytes + 44, 3);
    return rec;
}

void ReadSubHierDesc(int32_t& status, SubHierDescRec& rec)
{
    status = 1;
    rec = SubHierDescRec{};
    const std::string name = SubHierObjectName(kSubHierDescPrefix, g_CurHier);
    const int32_t id = OM_FindName(DB_FileMap(), name.c_str());
    if (id == 0) return;
    F_Seek(id, 0, 0);
    unsigned char bytes[kSubHierDescSize];
    if (F_Read(id, bytes, kSubHierDescSize) == kSubHierDescSize) {
        rec = SubHierDescFromBytes(bytes);
        status = 0;
    }
    if (status == 1) OM_Delete(DB_FileMap(), id);
}

void ReadSubHierNets(int32_t& status, std::vector<SubHierNetRec>& nets)
{
    status = 1;
    nets.clear();
    const std::string name = SubHierObjectName(kSubHierNetsPrefix, g_CurHier);
    const int32_t id = OM_FindName(DB_FileMap(), name.c_str());
    if (id == 0) return;
    status = 0;
    F_Seek(id, 0, 0);
    const int32_t length = F_GetLength(id);
    const int32_t count = length <= 0 ? 0 : ToLong(length / static_cast<double>(kSubHierNetSize));
    for (int32_t i = 0; i < count; ++i) {
        unsigned char bytes[kSubHierNetSize];
        if (F_Read(id, bytes, kSubHierNetSize) < kSubHierNetSize) {
            status = 1;
            break;
        }
        SubHierNetRec rec = SubHierNetFromBytes(bytes);
        const int32_t net = N_Net(rec.NetId);
        if (net == 0) {
            status = 1;
            break;
        }
        // A net renamed in the child sheet is followed by its id.
        rec.NetName = PtrToStr(O_GetName(net));
        nets.push_back(std::move(rec));
    }
    if (status == 1) {
        OM_Delete(DB_FileMap(), id);
        nets.clear();
    }
}

void WriteSubHierDesc(int32_t& status, const SubHierDescRec& rec)
{
    WriteFileObject(status, SubHierObjectName(kSubHierDescPrefix, g_CurHier), SubHierDescBytes(rec));
}

void WriteSubHierNets(int32_t& status, const std::vector<SubHierNetRec>& nets)
{
    const std::string name = SubHierObjectName(kSubHierNetsPrefix, g_CurHier);
    if (nets.empty()) {
        DeleteObject(name);
        status = 0;
        return;
    }
    std::string content;
    for (const SubHierNetRec& rec : nets) content += SubHierNetBytes(rec);
    WriteFileObject(status, name, content);
}

void DeleteSubHierObjects(int32_t hier)
{
    DeleteObject(SubHierObjectName(kSubHierNetsPrefix, hier));
    DeleteObject(SubHierObjectName(kSubHierDescPrefix, hier));
}
