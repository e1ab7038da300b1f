// The device registry: stable 32-bit handles for the surfaces that kernel
// drawing contexts draw on (a canvas' backing image, a print page, a preview
// picture). A canvas keeps its handle for its whole life even when its image
// is replaced; the image is replaced only while no drawing context is open
// on it.
#pragma once

#include <cstdint>
#include <functional>

class QImage;
class QPaintDevice;
class QPainter;

namespace winsys {

enum class DeviceKind { Image, Printer, Picture };

struct Device {
    DeviceKind kind = DeviceKind::Image;
    QPaintDevice* surface = nullptr;  // what a painter opens on
    QImage* image = nullptr;          // the same surface when it is an image
    int openContexts = 0;             // drawing contexts open on it now
    // The painter of a document open on the device (a printer's print
    // document). Drawing contexts then paint with it, saving and restoring
    // its state, and never begin or end it: ending it ends the document.
    QPainter* activePainter = nullptr;
    // Called when the last drawing context on the device closes, with the
    // rectangle (device pixels) that was drawn into; a canvas schedules those
    // pixels to the screen.
    std::function<void(int x, int y, int width, int height)> onDrawn;
    // While only part of the surface is drawn anew (a canvas repainting a
    // region into a scratch image that it then takes that part from):
    // `partOnly` set and `part` that part (device pixels; it may be empty).
    // Drawing may then leave out what lies wholly outside the part, and may
    // touch pixels outside it.
    struct Rect {
        int x = 0, y = 0, width = 0, height = 0;
    };
    bool partOnly = false;
    Rect part;
    // The bounding rectangle of the pixels drawn over what was there (not
    // in XOR, whose second drawing takes itself off again) since the owner
    // last emptied it; the drawing adds to it as the last context closes.
    Rect plainDrawn;
};

// Registers a device; returns its handle (never 0).
int32_t RegisterDevice(const Device& device);
// Ends a handle; later lookups fail. The drop hook runs first, while the
// surface still exists, so that whoever paints on it can let go cleanly.
void UnregisterDevice(int32_t handle);

// The one hook told of every device about to be unregistered (the kernel's
// drawing sets it).
void SetDeviceDropHook(std::function<void(int32_t handle)> hook);
// The device of a live handle, else null.
Device* FindDevice(int32_t handle);

}  // namespace winsys
