#include "tools/sources/source_model.h"

namespace nvo_sources {

int32_t SymbolDef::FindEntry(const std::string& entryName) const
{
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].name == entryName) return static_cast<int32_t>(i + 1);
    return 0;
}

std::string DeviceDef::PackageText() const
{
    std::string text = package;
    if (fields.empty()) return text;
    text += ' ';
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) text += static_cast<char>(128);
        text += fields[i];
    }
    return text;
}

int32_t DeviceDef::FindGroup(const std::string& gate) const
{
    for (size_t i = 0; i < groups.size(); ++i)
        if (groups[i].name == gate) return static_cast<int32_t>(i + 1);
    int32_t number = 0;
    if (ParseInteger(gate, number) && number >= 1 && number <= static_cast<int32_t>(groups.size()))
        return number;
    return 0;
}

const SymbolDef* Library::FindSymbol(const std::string& name) const
{
    const auto it = symbolIndex.find(name);
    return it == symbolIndex.end() ? nullptr : &symbols[it->second];
}

const DeviceDef* Library::FindDevice(const std::string& name) const
{
    const auto it = deviceIndex.find(name);
    return it == deviceIndex.end() ? nullptr : &devices[it->second];
}

}  // namespace nvo_sources
