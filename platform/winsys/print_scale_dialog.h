// The print-scale dialog: the user chooses the scale at which the drawing
// goes onto paper and sees how many sheets that takes.
#pragma once

#include "platform/winsys/interaction.h"

#include <QDialog>

class QLabel;
class QSpinBox;

namespace winsys {

class PrintScaleDialog : public QDialog {
public:
    explicit PrintScaleDialog(const PrintScaleRequest& request, QWidget* parent = nullptr);

    // The request with the scale chosen.
    PrintScaleRequest Result() const;

    // Sheets across and down that the drawing takes at a scale.
    static int SheetsAcross(const PrintScaleRequest& request);
    static int SheetsDown(const PrintScaleRequest& request);

private:
    void FitToOneSheet();
    void Update();

    PrintScaleRequest request_;
    QSpinBox* numerator_ = nullptr;
    QSpinBox* denominator_ = nullptr;
    QLabel* sheets_ = nullptr;
};

}  // namespace winsys
