// PLSGLPAR, "Global parameters": the clearances between components, the
// component alignment and the page edge of automatic placement, each chosen
// from the step list.
#pragma once

#include "editor/shell/forms.h"

class ComboBox;
class CommandButton;

class PLSGLPAR : public Form {
public:
    PLSGLPAR();

    ComboBox* C_ClearanceX();
    ComboBox* C_ClearanceY();
    ComboBox* C_Alignment();
    ComboBox* C_BoardEdge();

    void Com_OK_Click();
    void Com_Cancel_Click();

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;

private:
    ComboBox* clearX_ = nullptr;
    ComboBox* clearY_ = nullptr;
    ComboBox* align_ = nullptr;
    ComboBox* edge_ = nullptr;
};
