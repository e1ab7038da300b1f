// SCHFRAME, the page format and frame dialog: the frame of the current page
// as a rectangle (width and height typed, or one of the twelve standard
// formats) or as a polygon built corner by corner from relative steps, with
// a preview of the outline inside the largest allowed square. Accept writes
// the outline as the page's frame branch.
//
// The mode (g_FrameMode) is set by the opener. The default page format
// set-up drives the dialog without showing it: writing a list position into
// the hidden field F_DefFrmtExchg applies that format and accepts it.
#pragma once

#include "editor/shell/forms.h"

#include <array>
#include <cstdint>

class Canvas;
class CommandButton;
class ComboBox;
class Label;
class QGroupBox;
class QRadioButton;
class TextBox;

class SCHFRAME : public Form {
public:
    SCHFRAME();

    // The controls; using one loads the form.
    TextBox* F_Xvalue();
    TextBox* F_Yvalue();
    Label* F_Xmode();
    Label* F_Ymode();
    QGroupBox* F_ModeFrame();
    ComboBox* F_Formats();
    Label* F_FormatCaption();
    QRadioButton* F_Mcunit(int index);
    CommandButton* F_Confirm();
    CommandButton* F_Delete();
    CommandButton* F_Accept();
    CommandButton* F_Cancel();
    Canvas* ViewPicture();
    TextBox* F_DefFrmtExchg();

    void F_Xvalue_KeyPress(int& KeyAscii);
    void F_Yvalue_KeyPress(int& KeyAscii);
    void F_Xvalue_LostFocus();
    void F_Yvalue_LostFocus();
    void F_Mcunit_Click(int Index);
    void F_Formats_Click();
    void F_Confirm_Click();
    void F_Delete_Click();
    void F_Accept_Click();
    void F_Cancel_Click();
    void F_DefFrmtExchg_Change();
    void ViewPicture_Paint();

    // The values the fields stand for, database units.
    int32_t FrameWidth() const { return width_; }
    int32_t FrameHeight() const { return height_; }
    int32_t DeltaX() const { return deltaX_; }
    int32_t DeltaY() const { return deltaY_; }
    // The dialog's unit: 0 inches, 1 millimetres.
    int32_t DialogUnit() const;
    // Database units per pixel of the preview.
    int32_t PreviewScale() const { return previewScale_; }
    // The preview scale for a picture `height` pixels high: the largest
    // allowed square fits, never below 5080.
    static int32_t PreviewScaleFor(int height);

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;

private:
    void InitFrameValues();
    void SetupFrameMode();
    void ShowFrameValues();
    void ReadFrameValues();
    void SelectUnit(int index);
    std::string ValueText(int32_t value) const;
    void DrawFramePreview();

    TextBox* xValue_ = nullptr;
    TextBox* yValue_ = nullptr;
    Label* xMode_ = nullptr;
    Label* yMode_ = nullptr;
    QGroupBox* modeFrame_ = nullptr;
    ComboBox* formats_ = nullptr;
    Label* formatCaption_ = nullptr;
    std::array<QRadioButton*, 2> unit_{};
    CommandButton* confirm_ = nullptr;
    CommandButton* delete_ = nullptr;
    CommandButton* accept_ = nullptr;
    CommandButton* cancel_ = nullptr;
    Canvas* preview_ = nullptr;
    TextBox* defFrmtExchg_ = nullptr;

    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t deltaX_ = 0;
    int32_t deltaY_ = 0;
    bool edited_ = false;
    std::string numFormat_;
    int32_t previewScale_ = 5080;
};
