// NVOSHORT, the shortcut palette: a small window that floats above the
// others in the bottom-right corner of the screen with one button for each
// entry of g_ShortCuts. A button presses its function on the main window,
// switching the main window's mode first when the function allows it.
// M_Short_Click shows and unloads it; its unload clears M_Short's check.
#pragma once

#include "editor/shell/control_array.h"
#include "editor/shell/forms.h"

#include <string>

class RibbonButton;

class NVOSHORT : public Form {
public:
    NVOSHORT();

    // The palette's buttons, 1..n (n entries of g_ShortCuts); using them
    // loads the form.
    const ControlArray<RibbonButton>& F_FSI();

    void F_FSI_Click(int Index, bool Value);
    void F_FSI_MouseMove(int Index, int Button, int Shift, double X, double Y);

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_Activate() override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;
    void Form_Unload(int& cancel) override;

private:
    // Creates, places and pictures one button per entry of g_ShortCuts and
    // sizes the window for them: twenty to a row.
    void LoadPaletteButtons();
    // Gives the window the stays-on-top hint unless it has it: changing a
    // shown window's flags shows and activates it again.
    void KeepOnTop(bool onTop);

    ControlArray<RibbonButton> buttons_;
    std::string baseCaption_;
};
