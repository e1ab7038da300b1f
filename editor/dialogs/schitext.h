// SCHITEXT, the text input line: the text of a text item on the notes
// pages, with the text size and pitch new text items get. The caller fills
// g_TextBuf (and g_TextSizeFixed), shows it modally and reads g_TextBuf,
// g_TextAccepted, g_TextSizeIdx and g_TextPitch afterwards. Size and pitch
// take effect at once, also when the dialog is then cancelled.
#pragma once

#include "editor/shell/forms.h"

#include <cstdint>

class ComboBox;
class CommandButton;
class QFrame;
class TextArea;
class TextBox;

// Accepted text pitches, database units (0.0001 inch to 1 inch).
constexpr int32_t kMinTextPitch = 254;
constexpr int32_t kMaxTextPitch = 2540000;

class SCHITEXT : public Form {
public:
    SCHITEXT();

    TextArea* F_TxtBuffer();
    ComboBox* F_Tsize();
    TextBox* F_Pitch();
    CommandButton* F_Accept();
    CommandButton* F_Cancel();

    void F_Accept_Click();
    void F_Cancel_Click();
    void F_Pitch_GotFocus();
    void F_Pitch_KeyPress(int& KeyAscii);
    void F_Pitch_LostFocus();
    void F_Tsize_Click();

    int32_t m_PitchEdited = 0;

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_Resize() override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;

private:
    void ShowTextPitch();
    void ApplyTextPitch();
    void SetupTextSizeChoice();

    TextArea* text_ = nullptr;
    ComboBox* size_ = nullptr;
    TextBox* pitch_ = nullptr;
    CommandButton* accept_ = nullptr;
    CommandButton* cancel_ = nullptr;
    QFrame* menuPan_ = nullptr;
};
