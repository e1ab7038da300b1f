// PLCPARAM, "Pattern Generation Parameters": the clearances, alignment,
// generation mode and cell counts from which a placement pattern is made
// from a component.
#pragma once

#include "editor/shell/forms.h"

#include <string>

class ComboBox;
class CommandButton;
class Label;
class TextBox;

// The length rule of the three length fields: inches, rounded down to an
// even number of database units, within .01 and .5 inch, shown with the
// current unit's number format and the inch mark.
std::string NormalizeLength(const std::string& text);
// The count rule: a whole number 1..999 (halves to even) with a leading blank.
std::string NormalizeCount(const std::string& text);
// Database units of a length field's text (2,540,000 to the inch).
int32_t LengthUnits(const std::string& text);

class PLCPARAM : public Form {
public:
    PLCPARAM();

    ComboBox* PlcParamClearanceX();
    ComboBox* PlcParamClearanceY();
    ComboBox* PlcParamAlignment();
    ComboBox* PlcParamGeneration();
    TextBox* PlcParamColumns();
    TextBox* PlcParamRows();
    Label* PlcParamColumnsLabel();
    Label* PlcParamRowsLabel();
    CommandButton* PlcParamAccept();
    CommandButton* PlcParamCancel();

    void PlcParamAccept_Click();
    void PlcParamCancel_Click();
    void PlcParamGeneration_Click();

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_Activate() override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;

private:
    void EnableCounts(bool on);

    ComboBox* clearX_ = nullptr;
    ComboBox* clearY_ = nullptr;
    ComboBox* align_ = nullptr;
    ComboBox* generation_ = nullptr;
    TextBox* columns_ = nullptr;
    TextBox* rows_ = nullptr;
    Label* columnsLabel_ = nullptr;
    Label* rowsLabel_ = nullptr;
    CommandButton* accept_ = nullptr;
    CommandButton* cancel_ = nullptr;
};

// Whether PLCPARAM has been loaded once: the pattern parameters are reset
// to the dialog's defaults at its first load only.
extern bool g_PlcParamLoaded;
