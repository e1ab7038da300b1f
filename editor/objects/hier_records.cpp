#include "editor/objects/hier_records.h"

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

}  // namespace

std::string SubHierObjectName(const std::string& prefix, int32_t hier)
{
    const std::string digits = "00" + std::to_string(hier);
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
