// The main window loaded over a small design, for the wire, net and page
// edits, and ways to find the design's objects.
#pragma once

#include "editor/shell/controls.h"
#include "editor/shell/forms.h"
#include "editor/shell/nvoinpbg.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/textarea.h"
#include "editor/shell/schmain.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace palvane_test {

// 0.1 inch in database units.
constexpr int32_t kStep = 254000;

class EditingTest : public EditorTest {
protected:
    // Builds the design, loads the main window and makes `page` current.
    void Use(const std::string& design, const char* page = nullptr)
    {
        SCHMAIN& m = Main();
        (void)m;
        ASSERT_TRUE(BuildDesign(design));
        if (page) {
            ASSERT_NE(DB_SetCurPage(PageId(page)), 0);
        }
        ReadCurrentPage();
    }
    // Queues the answer typed into the next input box (nullptr: Cancel);
    // its prompt must contain `promptContains`.
    void Type(const char* text, std::string promptContains = {})
    {
        ui.ExpectModal("NvoInpBG", [text, promptContains](QWidget*) {
            NvoInpBG& box = FormInstance<NvoInpBG>();
            if (!promptContains.empty()) {
                EXPECT_NE(box.InpPrompt()->Text().find(promptContains), std::string::npos) << box.InpPrompt()->Text();
            }
            if (text) {
                box.InpText()->SetText(text);
                box.InpOK()->Press();
            } else {
                box.InpCancel()->Press();
            }
        });
    }
    static int32_t PageId(const char* name) { return OM_FindName(DB_PageMap(), name); }
    static int32_t NetId(const char* name) { return OM_FindName(DB_NetMap(), name); }
    static int32_t BusId(const char* name) { return OM_FindName(DB_BusMap(), name); }
    // A component by its reference; a part's gate is named "REF/1".
    static int32_t CompId(const char* name)
    {
        const int32_t id = OM_FindName(DB_SchCompMap(), name);
        return id != 0 ? id : OM_FindName(DB_SchCompMap(), (std::string(name) + "/1").c_str());
    }
    // The wires of a net (kind 0) or bus (kind 1) on any page, in id order.
    static std::vector<int32_t> Wires(int32_t owner, int32_t kind = 0)
    {
        std::vector<int32_t> ids;
        int32_t cursor = OM_GetFirst(DB_BranchMap());
        while (const int32_t b = B_SearchNetPage(&cursor, kind, owner, -1)) ids.push_back(b);
        return ids;
    }
    static int32_t Count(int32_t map)
    {
        int32_t n = 0;
        int32_t cursor = OM_GetFirst(map);
        while (OM_SearchMask(map, &cursor, 0, 0)) ++n;
        return n;
    }
};

}  // namespace palvane_test
