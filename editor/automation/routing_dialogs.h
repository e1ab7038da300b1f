// The router's two option dialogs, each shown modally by its caller and
// unloaded when it closes, so that each opening reads the router's current
// value again. Neither has a Cancel: Accept stores, the close box stores
// nothing.
//   RouteStep - the router's grid step, one of six steps (index 0..5).
//   SCHRTLP   - which existing wires the next image load leaves out
//               (preload bits 1, 2 and 4).
#pragma once

#include "editor/shell/forms.h"

#include <array>
#include <cstdint>

class CheckBox;
class CommandButton;
class Panel;
class QGroupBox;
class QRadioButton;

class RouteStep : public Form {
public:
    RouteStep();

    // The controls; using one loads the form.
    QRadioButton* step(int index);
    CommandButton* BOk();
    // The step index chosen in the dialog.
    int32_t StepIndex() const { return m_StepIndex; }

    void step_Click(int Index);
    void BOk_Click();

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;

private:
    int32_t m_StepIndex = 0;
    QGroupBox* frame_ = nullptr;
    std::array<QRadioButton*, 6> step_{};
    Panel* panel_ = nullptr;
    CommandButton* ok_ = nullptr;
};

class SCHRTLP : public Form {
public:
    SCHRTLP();

    CheckBox* PrKey(int index);
    CommandButton* ButOk();

    void ButOk_Click();
    // The router's preload bits into the boxes, and the boxes into the router.
    void LoadPreloadBits();
    void SavePreloadBits();

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;

private:
    QGroupBox* frame_ = nullptr;
    std::array<CheckBox*, 3> keys_{};
    CommandButton* ok_ = nullptr;
};
