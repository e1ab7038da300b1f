// The exported functions of libPalvane: the host's way to the host link
// class. Nothing thrown inside crosses them.
#include "editor/shell/palvane.h"

#include "editor/shell/clspalvane.h"
#include "editor/shell/errors.h"
#include "editor/shell/paths.h"
#include "editor/shell/settings.h"
#include "editor/shell/user_action.h"

#include <algorithm>
#include <cstring>
#include <memory>

struct PalvaneInstance {
    clsPalvane link;
    PalvaneNotifyServerFn callback = nullptr;
    void* context = nullptr;
};

namespace {

int32_t CopyText(const std::string& text, char* buffer, int32_t size)
{
    if (buffer && size > 0) {
        const size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
    }
    return static_cast<int32_t>(text.size());
}

}  // namespace

PalvaneInstance* Palvane_CreateInstance(void)
{
    try {
        auto instance = std::make_unique<PalvaneInstance>();
        PalvaneInstance* raw = instance.get();
        raw->link.NotifyServer.Connect([raw](std::string& aname, std::string& command) {
            if (raw->callback) raw->callback(raw->context, aname.c_str(), command.c_str());
        });
        return instance.release();
    } catch (...) {
        return nullptr;
    }
}

void Palvane_Release(PalvaneInstance* instance)
{
    try {
        delete instance;
    } catch (...) {
    }
}

void Palvane_SetNotifyServer(PalvaneInstance* instance, PalvaneNotifyServerFn callback, void* context)
{
    if (!instance) return;
    instance->callback = callback;
    instance->context = context;
}

void Palvane_SetSeverPath(PalvaneInstance* instance, const char* path)
{
    if (!instance) return;
    try {
        instance->link.SetSeverPath(path ? path : "");
    } catch (...) {
    }
}

int32_t Palvane_GetSeverPath(PalvaneInstance* instance, char* buffer, int32_t size)
{
    if (!instance) return CopyText({}, buffer, size);
    try {
        return CopyText(instance->link.GetSeverPath(), buffer, size);
    } catch (...) {
        return CopyText({}, buffer, size);
    }
}

int32_t Palvane_GetJobFolder(PalvaneInstance* instance, char* buffer, int32_t size)
{
    if (!instance) return CopyText({}, buffer, size);
    try {
        // As SCHMAIN::JobFilePath resolves it, without making the folder.
        return CopyText(NativePath(ResolveDir(g_JobDir, DirBase::UserData)), buffer, size);
    } catch (...) {
        return CopyText({}, buffer, size);
    }
}

int16_t Palvane_Load(PalvaneInstance* instance, int16_t iMode)
{
    if (!instance) return 0;
    try {
        return instance->link.Load(iMode) ? -1 : 0;
    } catch (...) {
        return 0;
    }
}

int32_t Palvane_NotifyMe(PalvaneInstance* instance, const char* aname, const char* command,
                         char* errorText, int32_t errorSize)
{
    if (!instance) {
        CopyText(ErrorDescription(errnum::InvalidCall), errorText, errorSize);
        return errnum::InvalidCall;
    }
    try {
        std::string a = aname ? aname : "";
        std::string c = command ? command : "";
        RunAsUserAction([&] { instance->link.NotifyMe(a, c); });
        CopyText({}, errorText, errorSize);
        return 0;
    } catch (const RuntimeError& e) {
        CopyText(e.what(), errorText, errorSize);
        return e.number();
    } catch (const std::exception& e) {
        CopyText(e.what(), errorText, errorSize);
        return 51;  // the runtime's "internal error"
    } catch (...) {
        CopyText("Internal error", errorText, errorSize);
        return 51;
    }
}
