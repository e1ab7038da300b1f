#include "tests/objects/objects_fixture.h"

#include "editor/shell/paths.h"
#include "editor/shell/settings.h"
#include "platform/winsys/devices.h"

#include <QFile>

namespace objects_test {

std::string CompiledDataDir()
{
    return COMPILED_DATA_DIR;
}

void LibraryTest::SetUp()
{
    KernelTest::SetUp();
    ASSERT_TRUE(scratch.isValid());
    SetDataDir(CompiledDataDir());
    g_IniFile = CompiledDataDir() + "/norvo32.ini";
    ReadDirSettings();
    ReadLibLists();
    ASSERT_EQ(g_DevLibs.UBound(), 3) << "the shipped settings list three part libraries";
}

std::string LibraryTest::Scratch(const std::string& name) const
{
    return scratch.filePath(QString::fromStdString(name)).toStdString();
}

std::string LibraryTest::Shipped(const std::string& name)
{
    return CompiledDataDir() + "/libraries/" + name;
}

Surface::Surface(int width, int height) : image(width, height, QImage::Format_RGB32)
{
    image.fill(Background());
    winsys::Device device;
    device.surface = &image;
    device.image = &image;
    handle = winsys::RegisterDevice(device);
}

Surface::~Surface()
{
    winsys::UnregisterDevice(handle);
}

bool Surface::Open(int32_t size, int32_t x, int32_t y)
{
    const ViewDCRec view{size, image.width(), image.height(), x, y, 0};
    return G_OpenDC(handle, &view) == 1;
}

void Surface::Close()
{
    G_CloseDC();
}

QRgb Surface::Background() const
{
    const auto* palette = static_cast<const int32_t*>(E_SysTable(0));
    const auto* categories = static_cast<const uint8_t*>(E_SysTable(1));
    const uint32_t v = static_cast<uint32_t>(palette[categories[31]]);
    return qRgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

std::string FileBytes(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

}  // namespace objects_test
