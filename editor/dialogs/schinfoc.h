// SCHINFOC, the information maps: one map of the design (layout
// components, parts, packages, symbols, nets or buses) listed by name, and
// for the entry clicked what lies inside it (pins and their nets, the
// components of a part, package or symbol, the nodes of a net, the members
// of a bus) in a grid. It only reads the design.
#pragma once

#include "editor/shell/forms.h"

#include <cstdint>
#include <string>

class CommandButton;
class Label;
class ListBox;
class QGroupBox;
namespace winsys {
class NorvoGrid;
}

// The map SCHINFOC shows: 1 Component, 2 Part, 3 Package, 4 Symbol, 5 Net,
// 6 Bus; written by the map menu, read only by SCHINFOC.
extern int32_t g_InfoMapKind;

class SCHINFOC : public Form {
public:
    SCHINFOC();

    // The controls; using one loads the form.
    ListBox* F_List();
    Label* F_Items();
    winsys::NorvoGrid* F_Info();
    QGroupBox* F_SinfoF();
    Label* F_Sinfo();
    CommandButton* F_Return();

    // Event procedures.
    void F_List_Click();
    void F_Return_Click();

    // The readers, by the clicked entry's name.
    void ShowComponentPins(const std::string& name);
    void ShowPartComponents(const std::string& name);
    void ShowPackageComponents(const std::string& name);
    void ShowSymbolComponents(const std::string& name);
    void ShowNetNodes(const std::string& name);
    void ShowBusMembers(const std::string& name);

    // The entry clicked last and the id found for it.
    std::string m_EntryName;
    int32_t m_EntryId = 0;

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_Activate() override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;

private:
    void SetupInfoGrid();
    void FillMapList();
    void ClearInfoGrid();
    // Appends a row and makes it current.
    void AddRow();
    void SetCell(int col, const std::string& text);

    ListBox* list_ = nullptr;
    Label* label1_ = nullptr;
    Label* items_ = nullptr;
    winsys::NorvoGrid* info_ = nullptr;
    QGroupBox* sinfoF_ = nullptr;
    Label* sinfo_ = nullptr;
    CommandButton* return_ = nullptr;
};
