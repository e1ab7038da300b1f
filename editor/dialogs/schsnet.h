// SCHSNET, the net viewer: on which pages one net lies, a preview of up to
// four of those pages at a time (each pane with its own view centre and
// scale per page, drawn by the kernel: the page frame, the net's wires,
// components and ratsnest), and the report of the net's nodes. A report
// line names a component pin; choosing it centres the preview there and
// sets the jump target the editor goes to when the window closes with
// "Pan to Node on Close" ticked. ReportNetlistCompare (netlist_compare.h)
// fills the data and shows the window modally.
#pragma once

#include "editor/shell/checked_array.h"
#include "editor/shell/forms.h"

#include <array>
#include <cstdint>
#include <string>

class Canvas;
class CheckBox;
class ComboBox;
class CommandButton;
class Label;
class ListBox;
class Panel;

class SCHSNET : public Form {
public:
    SCHSNET();

    // The controls; using one loads the form.
    ComboBox* F_PageName();
    ListBox* F_PageList();
    Canvas* ViewPicture(int index);
    Label* F_PgNam(int index);
    Panel* F_SetPan();
    CommandButton* F_Close();
    CheckBox* F_Pan();
    CommandButton* F_Redraw();
    ComboBox* ZoomCombo();

    // Event procedures.
    void F_PageName_Click();
    void F_PageList_Click();
    void F_PgNam_Click(int index);
    void F_Redraw_Click();
    void F_Close_Click();
    void ViewPicture_Paint(int pane);
    void ViewPicture_MouseMove(int pane, int button, int shift, double x, double y);
    void ViewPicture_MouseUp(int pane, int button, int shift, double x, double y);
    void ZoomCombo_Click();
    void ZoomCombo_KeyPress(int& keyAscii);
    void ZoomCombo_LostFocus();

    // The window's procedures.
    void InitNetViewer();
    void FillNodeList(const std::string& text);
    void JumpToSchPin(const std::string& reference);
    void ShowPageGroup(int32_t first, int32_t last);
    void RefreshPanes();

    // The panes' procedures.
    void OpenPaneDC(int pane, int32_t page);
    void ClosePaneDC();
    void ReadPageFrameBox(int32_t page);
    void FitPaneToPage(int pane, int32_t page);
    void SetPaneGrid(int32_t count);
    void LayoutPanes();
    void FillPaneZoomList();
    void ShowPaneZoom(int32_t scale);
    void ApplyPaneZoom();
    // 0 Shift+U (closer), 1 Shift+D (farther), -1 Shift+V (fit).
    void StepPaneZoom(int mode);

    // The form's state.
    int32_t m_First = 1;            // first and last page shown (pane i shows page first + i)
    int32_t m_Last = 0;
    int32_t m_PanesInUse = 0;
    bool m_SinglePage = false;
    bool m_Loading = false;
    int32_t m_EditorPage = 0;       // the editor's page when the window opened
    CheckedArray<int32_t> m_PageScale;  // database units per pane pixel, per page 1..n
    int m_PaneUnderPointer = 0;
    int32_t m_PointerX = 0;
    int32_t m_PointerY = 0;
    int32_t m_PaneDCLevel = 0;
    bool m_ZoomEdited = false;
    int m_Columns = 1;
    int m_Rows = 1;
    bool m_ThirdAlone = false;
    bool m_KeyBusy = false;
    bool m_Resized = false;

    // The page id of viewer page k (0 when there is none).
    int32_t PageIdOf(int32_t k) const;
    // The scale of page k (the zoom's lower bound when it has none yet).
    int32_t PageScale(int32_t k) const;

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void Form_Resize() override;
    void Form_KeyDown(int& KeyCode, int& Shift) override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;

private:
    void SetPageCentre(int32_t k, int32_t x, int32_t y);
    bool PointInPane(int pane, double x, double y, int32_t& dbX, int32_t& dbY);

    QWidget* paneArea_ = nullptr;
    QWidget* side_ = nullptr;
    ComboBox* pageName_ = nullptr;
    ListBox* pageList_ = nullptr;
    std::array<Canvas*, 4> panes_{};
    std::array<Label*, 4> pageLabels_{};
    Panel* setPan_ = nullptr;
    CommandButton* close_ = nullptr;
    CheckBox* pan_ = nullptr;
    CommandButton* redraw_ = nullptr;
    ComboBox* zoomCombo_ = nullptr;
    int minWidth_ = 0;
    int minHeight_ = 0;
};
