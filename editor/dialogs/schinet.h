// SCHINET, the net dialog: the user confirms or edits a net's name, its
// power/ground and named states and, when editing, its pins as text. Its
// input and answer pass through the net globals (wire_state.h, net_text.h):
// g_NetEditMode (0 rename, 1 edit, 2 the part split off a net),
// g_NetNodeText, g_CurNetName, g_CurNet, g_CurNetRec, the selection, and
// g_NetEditFlags for the answer. ShowNetEditDialog (net_text.h) opens it.
#pragma once

#include "editor/shell/forms.h"

#include <cstdint>
#include <string>

class CheckBox;
class CommandButton;
class Label;
class Panel;
class QGroupBox;
class TextArea;
class TextBox;

class SCHINET : public Form {
public:
    SCHINET();

    // The controls; using one loads the form.
    Panel* F_MenuPan();
    TextBox* F_NetName();
    CheckBox* F_PwrGnd();
    CheckBox* F_Named();
    Label* F_Bus();
    CommandButton* F_Accept();
    CommandButton* F_Cancel();
    TextArea* F_TxtBuffer();

    // Keeps the window above all others (or lets it go back among them).
    void SetTopmost(bool topmost);

    // Event procedures.
    void F_Accept_Click();
    void F_Cancel_Click();
    void F_Named_Click();
    void F_PwrGnd_Click();
    void F_NetName_GotFocus();
    void F_NetName_KeyPress(int& KeyAscii);
    void F_NetName_LostFocus();
    void F_TxtBuffer_Change();

    // The form fields, kept from one opening to the next.
    std::string m_OrigNetName;  // the name the dialog was opened with
    std::string m_NetName;      // the name as last checked; Accept returns it
    bool m_NameTouched = false;
    int m_PwrGndState = 0;
    int m_NamedState = 0;
    double m_SavedTop = 0;      // where the dialog was when last closed (pixels)
    double m_SavedLeft = 0;

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_Activate() override;
    void Form_Resize() override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;

private:
    void SetupNetDialog();
    void CheckNetNameField();
    void SavePosition();

    Panel* menuPan_ = nullptr;
    QGroupBox* frame3D1_ = nullptr;
    TextBox* netName_ = nullptr;
    CheckBox* pwrGnd_ = nullptr;
    CheckBox* named_ = nullptr;
    Label* bus_ = nullptr;
    CommandButton* accept_ = nullptr;
    CommandButton* cancel_ = nullptr;
    TextArea* txtBuffer_ = nullptr;
};
