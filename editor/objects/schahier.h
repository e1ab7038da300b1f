// SCHAHIER, the hierarchy assignment dialog: gives a hierarchical component
// a child level (assign), another one or none (reassign), for the one
// component or for every instance of its symbol. The opener sets
// g_HierCompId and g_HierReassign, shows the form modally and reads
// g_HierApplied.
#pragma once

#include "editor/shell/forms.h"

#include <cstdint>
#include <string>
#include <vector>

class CheckBox;
class CommandButton;
class ListBox;
class QGroupBox;

// The component (of the current level) whose child level is assigned.
extern int32_t g_HierCompId;
// True (-1) in reassign mode: the component already has a child level.
extern int32_t g_HierReassign;
// The result: the level now assigned; 0 after Cancel or "(none)".
extern int32_t g_HierApplied;

class SCHAHIER : public Form {
public:
    SCHAHIER();

    // The controls; using one loads the form.
    ListBox* F_List();
    CheckBox* F_AllInstances();
    QGroupBox* F_SelectFrame();
    CommandButton* F_Apply();
    CommandButton* F_Cancel();

    void F_Apply_Click();
    void F_Cancel_Click();

    void SetHierCaptions();
    void FillHierList();
    // The instances of `symbol` to be handled: every one in the design with
    // F_AllInstances ticked, else the selected component alone; and, for
    // each instance, how many components of the whole design share its
    // present child level.
    void CollectSymbolInstances(int32_t symbol);

    // The instances, 1-based in the procedures' terms (element i - 1).
    std::vector<int32_t> InstHier;
    std::vector<int32_t> InstComp;
    std::vector<int32_t> InstSubHier;
    // Per instance: the components of the whole design whose child level is
    // that instance's present one (0 for an instance without one).
    std::vector<int32_t> InstShared;
    // The same for the selected component's present child level.
    int32_t SharedSubCount = 0;
    // The selected component's present child level; 0 in assign mode.
    int32_t CompSubHier = 0;

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;

private:
    // Takes the port stubs, empty port nets and file objects away from
    // level `hier`; the rest of the child sheet stays.
    void ClearSubHierLevel(int32_t hier);
    // The old child levels that no component outside the handled instances
    // refers to, each once.
    std::vector<int32_t> LevelsToClear(int32_t newLevel) const;
    void ApplyNone(int32_t symbol);

    ListBox* list_ = nullptr;
    CheckBox* allInstances_ = nullptr;
    QGroupBox* selectFrame_ = nullptr;
    CommandButton* apply_ = nullptr;
    CommandButton* cancel_ = nullptr;
};
