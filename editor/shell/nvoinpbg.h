// NvoInpBG, the input box: a question of up to two lines, a one-line answer
// and the buttons Accept and Cancel. AskText (dlgservices.h) fills it and
// shows it modally; its buttons leave the answer in g_InputResult and
// unload it.
#pragma once

#include "editor/shell/forms.h"

class CommandButton;
class Panel;
class QLabel;
class TextArea;
class TextBox;

class NvoInpBG : public Form {
public:
    NvoInpBG();

    // The controls; using one loads the form.
    TextArea* InpPrompt();
    TextBox* InpText();
    CommandButton* InpOK();
    CommandButton* InpCancel();

    void InpOK_Click();
    void InpCancel_Click();

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_Activate() override;
    void Form_KeyDown(int& KeyCode, int& Shift) override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;

private:
    // Centred while another modal dialog is open, else on the main window's
    // top-left corner, pulled back inside the screen.
    void PlaceInputBox();

    Panel* frame3D1_ = nullptr;
    QLabel* picture1_ = nullptr;
    TextArea* inpPrompt_ = nullptr;
    TextBox* inpText_ = nullptr;
    CommandButton* inpOK_ = nullptr;
    CommandButton* inpCancel_ = nullptr;
};
