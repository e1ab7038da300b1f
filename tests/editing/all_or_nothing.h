// A sweep over one multi-step edit with each of its kernel steps refused in
// turn: the edit is counted once, then run again on a fresh copy of its
// design with step n refused. After each run the edit happened whole or the
// design is what it was (a digest of every table), the integrity check is
// clean, and an edit that changed nothing said so.
//
// Steps are the kernel calls that change the design (KT_FailCall("+")).
#pragma once

#include "editor/interaction/commands.h"
#include "editor/objects/integrity.h"
#include "editor/shell/controls.h"
#include "editor/shell/schmain.h"
#include "editor/shell/systables.h"
#include "platform/kernel/testing.h"
#include "tests/editing/editing_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace palvane_test {

class AllOrNothing : public EditingTest {
public:
    SCHMAIN& M() { return Main(); }
    winsys::ScriptedInteraction& Ui() { return ui; }
    using EditingTest::BusId;
    using EditingTest::CompId;
    using EditingTest::NetId;
    using EditingTest::PageId;
    using EditingTest::Type;

    struct Row {
        const char* name;
        // Run before the count and before each refused run, unrefused.
        std::function<void(AllOrNothing&)> prepare;
        // The edit a user starts.
        std::function<void(AllOrNothing&)> edit;
        // For an edit that ends a command begun by `prepare`: the same end
        // with the edit not made (a cancelled dialog). What it leaves is
        // the design "as it was" (the command's own marks cleared).
        std::function<void(AllOrNothing&)> cancel = nullptr;
    };

    void SetUp() override
    {
        EditingTest::SetUp();
        ui.unexpected = [](const std::string&) {};
    }
    void TearDown() override
    {
        KT_FailCall("", 0);
        EditingTest::TearDown();
    }

    // The design every row of the sweep starts from, and its page.
    std::string design;
    const char* page = "P1";

    void Fresh(const Row& row)
    {
        ui.Forget();
        Use(design, page);
        g_CurPage = PageId(page);
        g_SnapStep = kStep;
        Main().F_MsgLine->SetCaption("");
        if (row.prepare) row.prepare(*this);
    }
    // What the user was told since `asked` questions: a question, a beep or
    // a message on the line.
    bool Told(size_t asked)
    {
        return ui.asked().size() > asked || !Main().F_MsgLine->Caption().empty();
    }

    void Sweep(const Row& row)
    {
        SCOPED_TRACE(row.name);
        uint64_t before = 0;
        if (row.cancel) {
            Fresh(row);
            row.cancel(*this);
            before = KT_DesignDigest();
        }
        Fresh(row);
        const std::string clean = RunIntegrityCheck(nullptr);
        if (!row.cancel) before = KT_DesignDigest();
        ASSERT_NE(before, 0u);
        KT_FailCall("+", INT32_MAX);
        row.edit(*this);
        const int32_t calls = KT_CallsCounted();
        KT_FailCall("", 0);
        const uint64_t whole = KT_DesignDigest();
        ASSERT_NE(whole, before) << "the edit changed nothing";
        ASSERT_EQ(RunIntegrityCheck(nullptr), clean);
        // At most this many refusals, spread over the edit's calls.
        constexpr int32_t kMostRuns = 60;
        std::vector<int32_t> refused;
        for (int32_t i = 0; i < std::min(calls, kMostRuns); ++i)
            refused.push_back(calls <= kMostRuns ? i + 1 : 1 + static_cast<int32_t>(int64_t{i} * (calls - 1) / (kMostRuns - 1)));
        std::string faults;
        for (const int32_t n : refused) {
            Fresh(row);
            const size_t asked = ui.asked().size();
            KT_FailCall("+", n);
            row.edit(*this);
            KT_FailCall("", 0);
            const std::string call = std::to_string(n) + " " + KT_LastRefused();
            const uint64_t after = KT_DesignDigest();
            if (after != whole && after != before) faults += "  " + call + ": half an edit\n";
            else if (after == before && !Told(asked)) faults += "  " + call + ": nothing done, nothing said\n";
            if (RunIntegrityCheck(nullptr) != clean) faults += "  " + call + ": the integrity check finds faults\n";
            while (Main().m_CanvasDCLevel > 0) Main().CloseCanvasDC();
            g_CurCommand = 0;
        }
        EXPECT_TRUE(faults.empty()) << calls << " calls; refused:\n" << faults;
    }

    void Block(int32_t op, int32_t objects)
    {
        SCHMAIN& m = Main();
        g_SelRect = {-5 * kStep, -5 * kStep, 25 * kStep, 15 * kStep};
        m.m_BaseX = 10 * kStep;
        m.m_BaseY = 5 * kStep;
        m.m_BoxDiagonal = 20 * kStep;
        m.m_Rotation = 0;
        m.m_OffsetX = 5 * kStep;
        m.m_OffsetY = 0;
        int32_t result = 0;
        m.ChangeBlockObjects(op, objects, result);
    }
};

}  // namespace palvane_test
