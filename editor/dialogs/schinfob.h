// SCHINFOB, the report window: a plain text window that stays above the
// other windows while it is open, so that a report (hierarchy reports,
// integrity diagnostics) can be read while working. ShowReport
// (dlgservices.h) fills and shows it; Close hides it and it stays loaded.
#pragma once

#include "editor/shell/forms.h"

class CommandButton;
class Panel;
class TextArea;

class SCHINFOB : public Form {
public:
    SCHINFOB();

    // The report text; using it loads the form.
    TextArea* F_TxtBuffer();
    CommandButton* F_Return();

    // Keeps the window above all others (or lets it go back among them).
    void SetTopmost(bool topmost);

    void F_Return_Click();

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Resize() override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;

private:
    TextArea* txtBuffer_ = nullptr;
    Panel* fClose_ = nullptr;
    CommandButton* return_ = nullptr;
};
