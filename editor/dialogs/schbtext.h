// SCHBTEXT, the component list editor: the modal text window in which the
// user writes a create list or edits a relocation list. Accept parses the
// list (complist_scan.h) into g_CompListEntries and closes the window; an
// error is reported and the line in error selected, as typed. Parts and
// symbols a create list names are brought into the design while it is
// parsed and stay there.
#pragma once

#include "editor/dialogs/complist_scan.h"
#include "editor/shell/checked_array.h"
#include "editor/shell/control_array.h"
#include "editor/shell/forms.h"

#include <cstdint>
#include <functional>
#include <string>

class CommandButton;
class MenuItem;
class Panel;
class QMenuBar;
class TextArea;

// The parsed list, from index 1 in line order (index 0 holds no entry).
extern CheckedArray<CompListEntry> g_CompListEntries;
// True while the editor holds a create list, false for a relocation list.
extern bool g_CompListCreate;
// The Mode menu's coordinate mode: 0 "A", 1 "P", 2 "R", 3 "V"; kept between
// openings.
extern int32_t g_CompListCoordMode;

class SCHBTEXT : public Form {
public:
    SCHBTEXT();

    // The controls; using one loads the form.
    TextArea* F_TxtBuffer();
    Panel* F_FClose();
    CommandButton* F_Accept();
    CommandButton* F_Return();
    MenuItem* M_Ref();
    MenuItem* M_Cref(int index);

    // Event procedures.
    void F_Accept_Click();
    void F_Return_Click();
    void M_Cref_Click(int Index);

    // The selection the last error report made, in the text as typed.
    size_t m_SelStart = 0;
    size_t m_SelLength = 0;

    // Values of the line being parsed, named by the error texts.
    std::string m_PartName;
    std::string m_SymbName;
    int32_t m_Group = 0;
    int32_t m_RefId = 0;

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_Resize() override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;

private:
    friend class ListKernelLookups;

    void ParseCreateList();
    void ParseRelocList();
    void ParseList(bool create);
    int LookupListPart(const std::string& name, std::optional<int32_t> group);
    int LookupListSymbol(const std::string& name);
    // Runs one line's lookup as an entry of its own: true when it is whole;
    // when the kernel refused a step of it, what it loaded goes back, the
    // user is told which part or symbol could not be brought in, and false.
    bool LoadWhole(const std::function<void()>& lookup);
    void ReportListError(int code, const CompListResult& result);

    // What the lookup of the line is loading (its symbol, else its part),
    // and whether its refusal was already reported.
    bool loadingSymbol_ = false;
    bool loadTold_ = false;

    QMenuBar* menuBar_ = nullptr;
    TextArea* txtBuffer_ = nullptr;
    Panel* fClose_ = nullptr;
    CommandButton* accept_ = nullptr;
    CommandButton* return_ = nullptr;
    MenuItem* mRef_ = nullptr;
    ControlArray<MenuItem> mCref_;
};
