// SCHICMPD, the part insertion dialog, and SCHICMPS, the symbol insertion
// dialog. Both are shown without modality while the main window waits for
// them (g_InsertDlgOpen); on Accept they leave the new component's
// description in g_CompInfo and the geometry choices in the array globals.
// They raise Initialise when they start or come to the front and Terminate
// when accepted or cancelled, so that the host link class knows which of
// them a library search reply is for.
//
// InsertionDialog holds what both share: the geometry fields, the library
// grid, the browse lists, the previews, Accept and Cancel. The part and the
// symbol dialog differ in what they look up and show.
#pragma once

#include "editor/shell/event.h"
#include "editor/shell/forms.h"
#include "platform/kernel/nvokernel32_functions.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Canvas;
class CheckBox;
class ComboBox;
class CommandButton;
class Label;
class QGroupBox;
class QRadioButton;
class TextBox;
template <typename T>
class CheckedArray;
struct DeviceRec;
namespace winsys {
class NorvoGrid;
}

// True while an insertion dialog that the editor waits for is open; the
// dialog clears it when it is accepted or cancelled.
extern bool g_InsertDlgOpen;
// False: create components; true: exchange the part of g_CompName.
extern bool g_CompDlgMode;
// Check box states (0/1) of the mirror and array boxes, kept between
// openings.
extern int32_t g_CompMirror;
extern int32_t g_CompRepeat;
// The dialogs are loaded (LoadSettings unloads them so that their grids
// are rebuilt from the new library lists).
extern bool g_PartDlgLoaded;
extern bool g_SymbDlgLoaded;
// What the dialogs looked up last: the part, its package (or the symbol of
// the symbol dialog) and the gate symbol; where each was found and its id.
extern std::string g_LookupPartName, g_LookupPartLib;
extern int32_t g_LookupPartId;
extern std::string g_LookupSymbName, g_LookupSymbLib;
extern int32_t g_LookupSymbId;
extern std::string g_LookupGateName, g_LookupGateLib;
extern int32_t g_LookupGateId;

// Accepted array pitches, database units: from 0.00254 mm up to the
// coordinate bound.
constexpr int32_t kMinArrayPitch = 254;
constexpr int32_t kMaxArrayPitch = kCoordLimit;
constexpr int32_t kMaxArrayCount = 100;

// The preview scale (database units per pixel) for a frame of w by h units
// in a picture of W by H pixels: the base scale when the frame fits at one
// unit per pixel, else the base scale plus the fitting zoom (the base acts
// as a margin). Sizes of 0 count as 1; a picture without area gets the
// base scale.
int32_t PreviewScaleFor(int32_t base, double w, double h, int W, int H);

// The file name of a library path (after its last "\\" or "/"), or the
// path itself when it has neither (the local-library text).
std::string LibraryFileName(const std::string& path);

class InsertionDialog : public Form {
public:
    explicit InsertionDialog(std::string name);
    ~InsertionDialog() override;

    Event<> Initialise;
    Event<std::string&, std::string&> NotifyClass;
    Event<> Terminate;

    TextBox* F_Cref();
    TextBox* F_Crot();
    TextBox* F_Cstep(int index);
    TextBox* F_Cpitch(int index);
    QRadioButton* F_Mcunit(int index);
    CheckBox* F_Cmirror();
    CheckBox* F_Crepeat();
    QGroupBox* F_Mcframe();
    QGroupBox* F_Geom();
    CommandButton* F_Accept();
    CommandButton* F_Cancel();
    CommandButton* F_SearchEngine();
    winsys::NorvoGrid* F_Libs();
    Label* F_LibName();
    ComboBox* F_BrowseList(int index);
    Label* F_Count(int index);
    QGroupBox* F_SmbFrame(int index);
    Label* F_Slibname(int index);
    Canvas* ViewPicture(int index = 0);

    // Ends an opening that is still open as Cancel does (temporaries
    // dropped, the opener's wait ended, Terminate raised), then unloads the
    // form. Nothing when the dialog is not loaded.
    void CancelDialog();
    // Sets the loaded dialog up for a new opening when g_DlgOpening is set
    // (what its activation does).
    void BeginOpening();
    // Cancels the opening when neither Accept nor Cancel ended it (the
    // window was closed or hidden some other way).
    void EndUnfinishedOpening();

    // Event procedures.
    void F_Accept_Click();
    void F_Cancel_Click();
    void F_Cref_KeyPress(int& KeyAscii);
    void F_Cref_LostFocus();
    void F_Crot_KeyPress(int& KeyAscii);
    void F_Cstep_KeyPress(int index, int& KeyAscii);
    void F_Cpitch_KeyPress(int index, int& KeyAscii);
    void F_Mcunit_Click(int index);
    void F_Cmirror_Click();
    void F_Crepeat_Click();
    void F_Libs_Click();
    void F_SearchEngine_Click();
    virtual void F_BrowseList_Click(int index) = 0;
    void ViewPicture_Paint(int index);
    void ViewPicture_Resize(int index);

    // Geometry fields: each takes its text over, stores it when in range
    // (beeps otherwise) and shows the stored values again.
    void ShowGeometry();
    void ApplyRotation();
    void ApplyCount(int index);
    void ApplyPitch(int index);

    // Lists kind 0 (the chosen library file), kind 1 (the design), kind 2
    // (the gates of the part); `name` goes first when it is among them.
    virtual void FillBrowseList(int kind, const std::string& name) = 0;
    // Computes the fit of preview i for the symbol it shows.
    void FitPreview(int index);
    // The symbol preview i shows; 0 none.
    virtual int32_t PreviewSymbol(int index) const = 0;

    int m_UnitIndex = 0;
    bool m_RefEdited = false;
    std::string m_LibPath;
    int m_LibRow = 0;
    int m_LastLibRow = 0;
    int32_t m_PreviewFrames[2][4] = {};
    int32_t m_PreviewX[2] = {};
    int32_t m_PreviewY[2] = {};
    int32_t m_PreviewScale[2] = {};

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_Activate() override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;

    // What the two dialogs do differently.
    virtual int Previews() const = 0;
    virtual int Lists() const = 0;
    virtual const char* LibKind() const = 0;
    virtual const CheckedArray<std::string>& LibList() const = 0;
    virtual const char* SearchMode() const = 0;
    virtual int32_t BaseScale(int index) const = 0;
    virtual int32_t ViewFlags(int index) const = 0;
    virtual int BackColorEntry(int index) const = 0;
    virtual void SetLoadedFlag(bool loaded) = 0;
    virtual std::string CurrentName() const = 0;
    virtual void LoadRef() = 0;
    // Forgets what the opening shows (not the current part or symbol).
    virtual void ForgetShown() = 0;
    // Drops the current part or symbol with its temporaries.
    virtual void DropCurrent() = 0;
    // Fills g_CompInfo; false (dialog stays open) when it cannot.
    virtual bool FinishCompInfo() = 0;
    virtual void ShowSymbolLabels() = 0;

    void InitLibraryGrid();
    void InitDialog();
    void FillLibraryGrid();
    // Reads the names of the chosen library file; false when it cannot be
    // opened (the chosen file is forgotten).
    bool ReadLibraryNames(std::vector<std::string>& names);
    // Fills list `kind` with the names, `name` first when among them, and
    // the count label; selects the first entry for lists 0 and 1.
    void ShowBrowseNames(int kind, const std::vector<std::string>& names, const std::string& name);
    void ClearPreviews();
    // The new name "Unpck<n>" into g_CompInfo; false (reported) when none.
    bool TakeFreeName();
    void FillGeometryInfo();

private:
    struct Controls;
    std::unique_ptr<Controls> c_;  // the loaded window's controls
    bool opening_ = false;  // an opening is waiting for Accept or Cancel
};

class SCHICMPD : public InsertionDialog {
public:
    SCHICMPD();
    // Loads the part named in F_Cref, in the design or the part libraries.
    void LoadRefPart();
    void F_BrowseList_Click(int index) override;
    void FillBrowseList(int kind, const std::string& name) override;
    int32_t PreviewSymbol(int index) const override { return m_SymbIds[index]; }

    std::string m_RefPartName;
    int32_t m_RefPartId = 0;
    std::string m_RefPartLib;
    std::string m_SymbNames[2];
    int32_t m_SymbIds[2] = {};
    std::string m_SymbLibs[2];

protected:
    int Previews() const override { return 2; }
    int Lists() const override { return 3; }
    const char* LibKind() const override;
    const CheckedArray<std::string>& LibList() const override;
    const char* SearchMode() const override { return "SD"; }
    int32_t BaseScale(int index) const override { return index == 0 ? 2540 : 5080; }
    int32_t ViewFlags(int index) const override { return index == 0 ? 0 : 4; }
    int BackColorEntry(int index) const override { return index == 0 ? 31 : 63; }
    void SetLoadedFlag(bool loaded) override;
    std::string CurrentName() const override { return m_RefPartName; }
    void LoadRef() override { LoadRefPart(); }
    void ForgetShown() override;
    void DropCurrent() override;
    bool FinishCompInfo() override;
    void ShowSymbolLabels() override;

private:
    void DropShownSymbols();
    void LoadRefPackage();
    void ReportRefFailure(int32_t code);
};

class SCHICMPS : public InsertionDialog {
public:
    SCHICMPS();
    // Loads the symbol named in F_Cref, in the design or the symbol
    // libraries.
    void LoadRefSymbol();
    void F_BrowseList_Click(int index) override;
    void FillBrowseList(int kind, const std::string& name) override;
    int32_t PreviewSymbol(int index) const override { return index == 0 ? m_CurSymbId : 0; }

    std::string m_CurSymbName;
    int32_t m_CurSymbId = 0;
    std::string m_CurSymbLib;

protected:
    int Previews() const override { return 1; }
    int Lists() const override { return 2; }
    const char* LibKind() const override;
    const CheckedArray<std::string>& LibList() const override;
    const char* SearchMode() const override { return "SS"; }
    int32_t BaseScale(int) const override { return 5080; }
    int32_t ViewFlags(int) const override { return 0; }
    int BackColorEntry(int) const override { return 31; }
    void SetLoadedFlag(bool loaded) override;
    std::string CurrentName() const override { return m_CurSymbName; }
    void LoadRef() override { LoadRefSymbol(); }
    void ForgetShown() override {}
    void DropCurrent() override;
    bool FinishCompInfo() override;
    void ShowSymbolLabels() override;

private:
    void MakeCurrent();
    void ReportRefFailure(int32_t code);
};
