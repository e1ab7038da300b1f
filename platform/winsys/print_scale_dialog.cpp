#include "platform/winsys/print_scale_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace winsys {

namespace {

constexpr int kMaxScale = 1000;

int SheetsFor(double drawing, double sheet, int32_t numerator, int32_t denominator)
{
    if (drawing <= 0 || sheet <= 0 || numerator <= 0 || denominator <= 0) return 1;
    const double onPaper = drawing * numerator / denominator;
    // A sliver of a thousandth of an inch does not need its own sheet.
    return std::max(1, static_cast<int>(std::ceil(onPaper / sheet - 1e-3)));
}

}  // namespace

int PrintScaleDialog::SheetsAcross(const PrintScaleRequest& r)
{
    return SheetsFor(r.drawingWidth, r.sheetWidth, r.numerator, r.denominator);
}

int PrintScaleDialog::SheetsDown(const PrintScaleRequest& r)
{
    return SheetsFor(r.drawingHeight, r.sheetHeight, r.numerator, r.denominator);
}

PrintScaleDialog::PrintScaleDialog(const PrintScaleRequest& request, QWidget* parent)
    : QDialog(parent), request_(request)
{
    setObjectName("PrintScaleDialog");
    setWindowTitle(tr("Print Scale"));
    auto* layout = new QVBoxLayout(this);

    auto* size = new QLabel(
        tr("Drawing: %1 x %2 in    Sheet: %3 x %4 in")
            .arg(request.drawingWidth, 0, 'f', 2)
            .arg(request.drawingHeight, 0, 'f', 2)
            .arg(request.sheetWidth, 0, 'f', 2)
            .arg(request.sheetHeight, 0, 'f', 2),
        this);
    layout->addWidget(size);

    auto* scaleRow = new QHBoxLayout;
    numerator_ = new QSpinBox(this);
    numerator_->setObjectName("Numerator");
    numerator_->setRange(1, kMaxScale);
    numerator_->setValue(std::clamp<int>(request.numerator, 1, kMaxScale));
    denominator_ = new QSpinBox(this);
    denominator_->setObjectName("Denominator");
    denominator_->setRange(1, kMaxScale);
    denominator_->setValue(std::clamp<int>(request.denominator, 1, kMaxScale));
    scaleRow->addWidget(new QLabel(tr("Scale (paper : drawing):"), this));
    scaleRow->addWidget(numerator_);
    scaleRow->addWidget(new QLabel(":", this));
    scaleRow->addWidget(denominator_);
    auto* fit = new QPushButton(tr("&Fit to One Sheet"), this);
    scaleRow->addWidget(fit);
    layout->addLayout(scaleRow);

    sheets_ = new QLabel(this);
    sheets_->setObjectName("Sheets");
    layout->addWidget(sheets_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(fit, &QPushButton::clicked, this, [this] { FitToOneSheet(); });
    connect(numerator_, &QSpinBox::valueChanged, this, [this] { Update(); });
    connect(denominator_, &QSpinBox::valueChanged, this, [this] { Update(); });
    Update();
}

PrintScaleRequest PrintScaleDialog::Result() const
{
    PrintScaleRequest r = request_;
    r.numerator = numerator_->value();
    r.denominator = denominator_->value();
    return r;
}

void PrintScaleDialog::FitToOneSheet()
{
    // The largest scale n : d with d fixed at 100 that fits on one sheet.
    const PrintScaleRequest& r = request_;
    if (r.drawingWidth <= 0 || r.drawingHeight <= 0 || r.sheetWidth <= 0 || r.sheetHeight <= 0) return;
    const double factor = std::min(r.sheetWidth / r.drawingWidth, r.sheetHeight / r.drawingHeight);
    const int n = std::clamp(static_cast<int>(std::floor(factor * 100)), 1, kMaxScale);
    numerator_->setValue(n);
    denominator_->setValue(100);
}

void PrintScaleDialog::Update()
{
    const PrintScaleRequest r = Result();
    const int across = SheetsAcross(r);
    const int down = SheetsDown(r);
    sheets_->setText(tr("Sheets: %1 across x %2 down = %3").arg(across).arg(down).arg(across * down));
}

}  // namespace winsys
