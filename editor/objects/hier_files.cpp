#include "editor/objects/hier_files.h"

#include "editor/shell/curpos.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/textfiles.h"
#include "editor/shell/textnum.h"

namespace {

void DeleteObject(const std::string& name)
{
    if (const int32_t id = OM_FindName(DB_FileMap(), name.c_str())) OM_Delete(DB_FileMap(), id);
}

}  // namespace

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
