#include "platform/winsys/printer.h"

#include "platform/winsys/devices.h"
#include "platform/winsys/interaction.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace winsys {

struct Printer::Impl {
    QPrinter printer{QPrinter::HighResolution};
    QPainter painter;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    int copies = 1;
};

namespace {

QString ToQ(const std::string& text)
{
    return QString::fromLocal8Bit(text.c_str());
}

}  // namespace

Printer& Printer::Get()
{
    // Lives for the whole process: documents still open at exit are left to
    // the system rather than ended after the application is gone.
    static auto* printer = new Printer;
    return *printer;
}

Printer::Printer() : impl_(new Impl)
{
    QPrinter& p = impl_->printer;
    const QPrinterInfo system = QPrinterInfo::defaultPrinter();
    if (!system.isNull()) p.setPrinterName(system.printerName());
    p.setResolution(kResolution);
    impl_->orientation = p.pageLayout().orientation();
    winsys::Device device;
    device.kind = DeviceKind::Printer;
    device.surface = &p;
    device_ = RegisterDevice(device);
}

Printer::~Printer()
{
    delete impl_;
}

QPrinter& Printer::Qt()
{
    return impl_->printer;
}

bool Printer::Installed() const
{
    return !outputFile_.empty() || !QPrinterInfo::defaultPrinter().isNull();
}

void Printer::SetOutputFile(const std::string& path)
{
    outputFile_ = path;
}

std::string Printer::NextDocumentFile() const
{
    if (outputFile_.empty() || documents_ == 0) return outputFile_;
    const QFileInfo file(ToQ(outputFile_));
    QString name = file.completeBaseName() + "-" + QString::number(documents_ + 1);
    if (!file.suffix().isEmpty()) name += "." + file.suffix();
    return file.dir().filePath(name).toLocal8Bit().toStdString();
}

int Printer::Orientation() const
{
    return impl_->orientation == QPageLayout::Landscape ? 2 : 1;
}

bool Printer::SetOrientation(int orientation)
{
    if ((orientation != 1 && orientation != 2) || open_) return false;
    impl_->orientation = orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait;
    return impl_->printer.setPageOrientation(impl_->orientation);
}

int Printer::Copies() const
{
    return impl_->copies;
}

bool Printer::SetCopies(int copies)
{
    if (copies < 1 || copies > 9999 || open_) return false;
    impl_->copies = copies;
    impl_->printer.setCopyCount(copies);
    return true;
}

bool Printer::Begin()
{
    if (open_) {
        if (breakPending_) {
            breakPending_ = false;
            if (!impl_->printer.newPage()) return false;
        }
        return true;
    }
    if (!Installed()) return false;
    QPrinter& p = impl_->printer;
    if (outputFile_.empty()) {
        p.setOutputFormat(QPrinter::NativeFormat);
        p.setPrinterName(QPrinterInfo::defaultPrinter().printerName());
    } else {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(ToQ(NextDocumentFile()));
    }
    // A change of output keeps no settings for certain: set them again.
    p.setResolution(kResolution);
    p.setPageOrientation(impl_->orientation);
    p.setCopyCount(impl_->copies);
    if (!impl_->painter.begin(&p)) return false;
    if (winsys::Device* d = FindDevice(device_)) d->activePainter = &impl_->painter;
    open_ = true;
    breakPending_ = false;
    return true;
}

void Printer::NewPage()
{
    if (open_) breakPending_ = true;
}

void Printer::EndDoc()
{
    if (!open_) return;
    if (winsys::Device* d = FindDevice(device_)) d->activePainter = nullptr;
    impl_->painter.end();
    open_ = false;
    breakPending_ = false;
    ++documents_;
}

bool PrinterSetupDialog(PrinterSetupRequest& request)
{
    Printer& printer = Printer::Get();
    printer.EndDoc();
    request.orientation = printer.Orientation();
    request.copies = printer.Copies();
    request.outputFile = printer.OutputFile();
    if (!Ui().PrinterSetup(request)) return false;
    // Values the printer refuses leave its settings as they were.
    printer.SetOrientation(request.orientation);
    printer.SetCopies(request.copies);
    printer.SetOutputFile(request.outputFile);
    request.orientation = printer.Orientation();
    request.copies = printer.Copies();
    return true;
}

}  // namespace winsys
