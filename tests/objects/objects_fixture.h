// What the object layer's tests share: the shipped settings with the
// libraries compiled from the shipped sources, a scratch folder, and a
// picture surface that kernel drawing contexts draw on.
#pragma once

#include "platform/kernel/nvokernel32.h"
#include "tests/support/kernel_fixture.h"

#include <QImage>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace objects_test {

// The compiled shipped data folder (settings file, libraries/).
std::string CompiledDataDir();

// A kernel database per test, the library lists and folder of the shipped
// settings file, and a scratch folder for files a test writes.
class LibraryTest : public palvane_test::KernelTest {
protected:
    void SetUp() override;

    // A path in the scratch folder.
    std::string Scratch(const std::string& name) const;
    // A shipped library file.
    static std::string Shipped(const std::string& name);

    QTemporaryDir scratch;
};

// An image registered as a drawing device, filled with the schematic
// background; Open gives a context whose view shows `size` units per pixel
// centred on (x, y).
struct Surface {
    Surface(int width, int height);
    ~Surface();
    bool Open(int32_t size, int32_t x = 0, int32_t y = 0);
    void Close();
    QRgb Background() const;

    QImage image;
    int32_t handle = 0;
};

// The file's bytes ("" when it cannot be read).
std::string FileBytes(const std::string& path);
// Writes the bytes into a file.
void WriteBytes(const std::string& path, const std::string& bytes);

}  // namespace objects_test
