// PLSGPARA, "Global Pattern Parameters": for each of the four grid patterns,
// whether its components may be rotated, on the component side and on the
// solder side.
#pragma once

#include "editor/shell/forms.h"

#include <array>

class CommandButton;
class QRadioButton;

class PLSGPARA : public Form {
public:
    PLSGPARA();

    // Option button `index` (0 "Rotate", 1 "No rotate") of the pair of
    // pattern n (1..4): O_CG1..O_CG4 on the component side, O_SG1..O_SG4 on
    // the solder side.
    QRadioButton* O_CG(int n, int index);
    QRadioButton* O_SG(int n, int index);
    CommandButton* Com_OK();
    CommandButton* Command2();

    void Com_OK_Click();
    void Command2_Click();

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;

private:
    using Pairs = std::array<std::array<QRadioButton*, 2>, 4>;
    static QRadioButton* Pick(Pairs& pairs, int n, int index);

    Pairs compSide_{};
    Pairs solderSide_{};
    CommandButton* ok_ = nullptr;
    CommandButton* cancel_ = nullptr;
};
