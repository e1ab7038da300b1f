#include "platform/winsys/devices.h"

#include <map>

namespace winsys {

namespace {

struct Registry {
    std::map<int32_t, Device> devices;
    int32_t next = 1;
    std::function<void(int32_t)> dropHook;
};

Registry& Devices()
{
    static Registry registry;
    return registry;
}

}  // namespace

int32_t RegisterDevice(const Device& device)
{
    Registry& r = Devices();
    // Handles are never reused within a process, so a stale one cannot
    // reach a newer device.
    const int32_t handle = r.next++;
    r.devices[handle] = device;
    return handle;
}

void UnregisterDevice(int32_t handle)
{
    Registry& r = Devices();
    if (r.dropHook && r.devices.count(handle)) r.dropHook(handle);
    r.devices.erase(handle);
}

void SetDeviceDropHook(std::function<void(int32_t handle)> hook)
{
    Devices().dropHook = std::move(hook);
}

Device* FindDevice(int32_t handle)
{
    auto& devices = Devices().devices;
    auto it = devices.find(handle);
    return it == devices.end() ? nullptr : &it->second;
}

}  // namespace winsys
