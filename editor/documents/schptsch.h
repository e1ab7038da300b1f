// SCHPTSCH, the print dialog ("Print Scheduler"): every page of the current
// level in a table, marked for printing with its own scale, offsets, sheets
// and options (notes, pictures, entries, one colour); "Print" prints the
// marked pages one after another, with an optional pause for a paper change
// after each sheet. The settings live while the dialog is loaded.
#pragma once

#include "editor/shell/checked_array.h"
#include "editor/shell/forms.h"
#include "platform/kernel/nvokernel32_functions.h"

#include <cstdint>
#include <string>

class CheckBox;
class CommandButton;
class Label;
class Panel;
namespace winsys {
class NorvoGrid;
}

// One page of the table.
struct PrintPageRec {
    std::string Name;
    int32_t Sheets = 0;    // sheets across x down; 0 = never set up
    int32_t Selected = 0;  // 1 = printed
    std::string ScaleText;
    std::string XOffsetText;
    std::string YOffsetText;
    int32_t PageNotes = 0;
    int32_t DesignNotes = 0;
    int32_t BitMaps = 0;
    int32_t Entries = 0;
    int32_t MonoColor = 0;
    PrintScaleRec Scale{};
};

// The pages of the table, 1..N; element i is table row i - 1.
extern CheckedArray<PrintPageRec> g_PrintPages;

class SCHPTSCH : public Form {
public:
    SCHPTSCH();

    // Controls, while loaded.
    winsys::NorvoGrid* F_PrintPageSetup = nullptr;  // the page table
    winsys::NorvoGrid* F_LGrid = nullptr;           // its heading row
    Label* F_MsgLine = nullptr;
    Panel* Frame3D1 = nullptr;  // "Settings"
    CheckBox* F_pageNotes = nullptr;
    CheckBox* F_DesignNotes = nullptr;
    CheckBox* F_BitMaps = nullptr;
    CheckBox* F_Entries = nullptr;
    CheckBox* F_MonoColor = nullptr;
    CommandButton* F_Set = nullptr;
    CommandButton* F_Accept = nullptr;
    CommandButton* F_Cancel = nullptr;
    CommandButton* F_Print = nullptr;
    CommandButton* F_Close = nullptr;
    CommandButton* F_Restart = nullptr;
    CheckBox* F_Pause = nullptr;

    // The record being set up (read by tests and the print run).
    const PrintPageRec& EditRecord() const { return edit_; }
    bool Printing() const { return printing_; }
    bool WaitingForContinue() const { return waiting_; }

    // Page table and setup (schptsch.cpp).
    void FillPageGrid();
    void ShowPageRow(int32_t row);
    void EnableRowSetup(bool on);
    void F_PrintPageSetup_Click();
    void F_Set_Click();
    void F_Accept_Click();
    void F_Cancel_Click();
    void F_pageNotes_Click();
    void F_DesignNotes_Click();
    void F_BitMaps_Click();
    void F_Entries_Click();
    void F_MonoColor_Click();
    void ShowPrintMsg(const std::string& text);
    void MakePrintSetup();
    void SetupPrintScale(bool& cancelled, PrintScaleRec& scale, std::string& xText, std::string& yText);

    // The print run (schptsch_run.cpp).
    void F_Print_Click();
    void F_Close_Click();
    void F_Pause_Click();
    void F_Restart_Click();
    void PrintPageRun(int32_t index);
    void DrawPrintPage();
    void ClosePrintDC();
    void SetPrintRunBusy(bool busy, const std::string& text);

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int mode) override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;

private:
    void CreateSettings(QWidget* window);
    void CreateButtons(QWidget* window);
    void LayOutGrids();

    PrintPageRec edit_;
    PrintPageRec blank_;
    // The edit record holds a setup accepted in the scale dialog.
    bool editSetUp_ = false;
    // The table row (from 1) being set up; 0 when none.
    int32_t setupRow_ = 0;
    // Run state.
    bool printing_ = false;
    bool waiting_ = false;
    bool pageNotes_ = false;
    bool desNotes_ = false;
    int32_t entryBits_ = 0;
    int32_t monoBits_ = 0;
};

// The one print dialog, created at its first use and kept.
SCHPTSCH& SchptschForm();
