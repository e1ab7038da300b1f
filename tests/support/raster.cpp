#include "tests/support/raster.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

namespace palvane_test {

namespace {

QImage Rgb32(const QImage& image)
{
    return image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

QRgb PixelAt(const QImage& image, int x, int y)
{
    if (!image.valid(x, y)) return 0;
    return image.pixel(x, y) & 0x00FFFFFFu;
}

int CountPixels(const QImage& image, QRgb rgb)
{
    const QImage img = Rgb32(image);
    const QRgb wanted = rgb & 0x00FFFFFFu;
    int count = 0;
    for (int y = 0; y < img.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0x00FFFFFFu) == wanted) ++count;
    }
    return count;
}

ImageDiff CompareImages(const QImage& a, const QImage& b)
{
    ImageDiff diff;
    diff.sameSize = a.size() == b.size();
    if (!diff.sameSize) return diff;
    const QImage ia = Rgb32(a);
    const QImage ib = Rgb32(b);
    for (int y = 0; y < ia.height(); ++y) {
        const auto* la = reinterpret_cast<const QRgb*>(ia.constScanLine(y));
        const auto* lb = reinterpret_cast<const QRgb*>(ib.constScanLine(y));
        for (int x = 0; x < ia.width(); ++x) {
            if ((la[x] & 0x00FFFFFFu) == (lb[x] & 0x00FFFFFFu)) continue;
            if (diff.differing++ == 0) diff.firstAt = QPoint(x, y);
            diff.box |= QRect(x, y, 1, 1);
        }
    }
    return diff;
}

}  // namespace palvane_test

namespace palvane_test {

namespace {

// Runs a tool to its end; false when it could not run or failed. Its
// standard output goes to `output` when given.
bool RunTool(const QString& program, const QStringList& arguments, QByteArray* output)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return false;
    if (output) *output = process.readAllStandardOutput();
    return true;
}

// The value of a "Key: value" line of pdfinfo's report.
QString InfoField(const std::string& path, const QString& key)
{
    QByteArray out;
    if (!RunTool("pdfinfo", {QString::fromStdString(path)}, &out)) return {};
    for (const QString& line : QString::fromLocal8Bit(out).split('\n'))
        if (line.startsWith(key + ":")) return line.mid(key.size() + 1).trimmed();
    return {};
}

}  // namespace

int PdfPageCount(const std::string& path)
{
    bool ok = false;
    const int pages = InfoField(path, "Pages").toInt(&ok);
    return ok ? pages : -1;
}

QSizeF PdfPageSize(const std::string& path)
{
    // "595.276 x 841.89 pts (A4)"
    const QStringList parts = InfoField(path, "Page size").split(' ', Qt::SkipEmptyParts);
    if (parts.size() < 3) return {};
    return QSizeF(parts[0].toDouble(), parts[2].toDouble());
}

QImage RasterizePdfPage(const std::string& path, int page, int dpi)
{
    QTemporaryDir dir;
    if (!dir.isValid()) return {};
    const QString base = dir.filePath("page");
    const QString p = QString::number(page);
    if (!RunTool("pdftoppm", {"-png", "-r", QString::number(dpi), "-f", p, "-l", p, "-singlefile",
                              QString::fromStdString(path), base},
                 nullptr))
        return {};
    return QImage(base + ".png");
}

QString PdfText(const std::string& path, int page, bool raw)
{
    const QString p = QString::number(page);
    QStringList arguments{"-enc", "UTF-8", "-f", p, "-l", p};
    if (raw) arguments << "-raw";
    arguments << QString::fromStdString(path) << "-";
    QByteArray out;
    if (!RunTool("pdftotext", arguments, &out)) return {};
    return QString::fromUtf8(out);
}

std::vector<PdfLine> PdfLines(const std::string& path, int page)
{
    const QString p = QString::number(page);
    QByteArray out;
    if (!RunTool("pdftotext", {"-bbox-layout", "-enc", "UTF-8", "-f", p, "-l", p, QString::fromStdString(path), "-"},
                 &out))
        return {};
    // <line xMin= yMin= xMax= yMax=><word ...>text</word> ...</line>
    std::vector<PdfLine> lines;
    QXmlStreamReader xml(out);
    auto box = [&xml] {
        const auto a = xml.attributes();
        return QRectF(QPointF(a.value("xMin").toDouble(), a.value("yMin").toDouble()),
                      QPointF(a.value("xMax").toDouble(), a.value("yMax").toDouble()));
    };
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QLatin1String("line")) {
            lines.push_back(PdfLine{QString(), box()});
        } else if (xml.name() == QLatin1String("word") && !lines.empty()) {
            PdfLine& line = lines.back();
            if (!line.text.isEmpty()) line.text += ' ';
            line.text += xml.readElementText();
        }
    }
    if (xml.hasError()) return {};
    return lines;
}

}  // namespace palvane_test
