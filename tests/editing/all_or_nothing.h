// A sweep over one multi-step edit with each of its kernel steps refused in
// turn: the edit is counted once, then run again on a fresh copy of its
// design with step n refused. Each run is one action of the user, as an
// event starts it (RunAsUserAction), or with `alone` set the edit called as
// code calls it, outside any action. After each run the edit happened whole
// or the design is what it was (a digest of every table), the integrity
// check is clean, the editor shows the page, level and page list of the
// design it has, what the edit reported (when the row reads it) matches
// what stayed, and an edit that changed nothing said so.
//
// Steps are the kernel calls that change what the design holds
// (KT_FailCall("+"): objects, marks, page switches, free ids); a second
// pass refuses calls of every kind (reads too) at places spread over the
// edit, where a changed design must still be whole. Edits that keep the
// entries they made when one is refused have a sweep of their own
// (SweepEntries).
#pragma once

#include "editor/interaction/commands.h"
#include "editor/objects/integrity.h"
#include "editor/shell/controls.h"
#include "editor/shell/nvoinpbg.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/systables.h"
#include "editor/shell/user_action.h"
#include "platform/kernel/testing.h"
#include "tests/editing/editing_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <initializer_list>
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
        // For an edit whose editor keeps a copy of what the design holds
        // (a list read from it): the copy's fault after a run, empty when
        // it is the design's.
        std::function<std::string(AllOrNothing&)> follows = nullptr;
    };

    // What the row's edit reported, for the rows that read it: 1 done, 0
    // not done (its fail flag, its result); -1 not read.
    int reported = -1;

    // What the editor shows of the design: the page and level it works on
    // and the page list.
    struct Shown {
        int32_t page = 0, level = 0;
        std::string pages;
        bool operator==(const Shown&) const = default;
    };
    Shown ShownNow()
    {
        Shown shown{g_CurPage, g_CurHier, {}};
        for (int i = 0; i < Main().F_Pages->ListCount(); ++i) shown.pages += Main().F_Pages->List(i) + ";";
        return shown;
    }
    static std::string Describe(const Shown& s)
    {
        return "page " + std::to_string(s.page) + " level " + std::to_string(s.level) + " [" + s.pages + "]";
    }
    // Set: each edit runs as code calls it, outside any action of the
    // user, so that its own change groups alone keep it whole.
    bool alone = false;
    // The row's edit as one action of the user (or alone).
    void RunEdit(const Row& row)
    {
        reported = -1;
        if (alone)
            row.edit(*this);
        else
            RunAsUserAction([&] { row.edit(*this); });
    }

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
        Main().FillPageList();
        if (row.prepare) row.prepare(*this);
    }
    // What the user was told since `asked` questions: a question, a beep or
    // a message on the line.
    bool Told(size_t asked)
    {
        return ui.asked().size() > asked || !Main().F_MsgLine->Caption().empty();
    }

    // At most `most` refusals, spread over `count` calls.
    static std::vector<int32_t> Spread(int32_t count, int32_t most)
    {
        std::vector<int32_t> at;
        for (int32_t i = 0; i < std::min(count, most); ++i)
            at.push_back(count <= most ? i + 1 : 1 + static_cast<int32_t>(int64_t{i} * (count - 1) / (most - 1)));
        return at;
    }

    void Sweep(const Row& row)
    {
        SCOPED_TRACE(std::string(row.name) + (alone ? " (alone)" : ""));
        uint64_t before = 0;
        Shown shownBefore;
        if (row.cancel) {
            Fresh(row);
            row.cancel(*this);
            before = KT_DesignDigest();
            shownBefore = ShownNow();
        }
        Fresh(row);
        const std::string clean = RunIntegrityCheck(nullptr);
        if (!row.cancel) {
            before = KT_DesignDigest();
            shownBefore = ShownNow();
        }
        ASSERT_NE(before, 0u);
        KT_FailCall("+", INT32_MAX);
        RunEdit(row);
        const int32_t calls = KT_CallsCounted();
        KT_FailCall("", 0);
        const uint64_t whole = KT_DesignDigest();
        const Shown shownWhole = ShownNow();
        ASSERT_NE(whole, before) << "the edit changed nothing";
        ASSERT_EQ(RunIntegrityCheck(nullptr), clean);
        if (reported >= 0) {
            ASSERT_EQ(reported, 1) << "the whole edit reported a failure";
        }
        if (row.follows) {
            ASSERT_EQ(row.follows(*this), "");
        }
        // The calls of every kind the whole edit makes.
        Fresh(row);
        KT_FailCall("*", INT32_MAX);
        RunEdit(row);
        const int32_t allCalls = KT_CallsCounted();
        KT_FailCall("", 0);

        std::string faults;
        const auto check = [&](const std::string& call, bool stepsOnly, size_t asked) {
            const uint64_t after = KT_DesignDigest();
            const Shown shown = ShownNow();
            const bool wasWhole = after == whole, wasBefore = after == before;
            if (!wasWhole && !wasBefore) faults += "  " + call + ": half an edit\n";
            else if (stepsOnly && wasBefore && !Told(asked)) faults += "  " + call + ": nothing done, nothing said\n";
            if (wasWhole && shown != shownWhole)
                faults += "  " + call + ": the editor shows " + Describe(shown) + ", not " + Describe(shownWhole) + "\n";
            if (wasBefore && !wasWhole && shown != shownBefore)
                faults += "  " + call + ": the editor shows " + Describe(shown) + ", not " + Describe(shownBefore) + "\n";
            if (reported >= 0 && (reported == 1) != wasWhole)
                faults += "  " + call + ": the edit reported " + (reported == 1 ? "done" : "not done") + "\n";
            if (RunIntegrityCheck(nullptr) != clean) faults += "  " + call + ": the integrity check finds faults\n";
            if (row.follows) {
                const std::string fault = row.follows(*this);
                if (!fault.empty()) faults += "  " + call + ": " + fault + "\n";
            }
            while (Main().m_CanvasDCLevel > 0) Main().CloseCanvasDC();
            g_CurCommand = 0;
        };
        for (const int32_t n : Spread(calls, 60)) {
            Fresh(row);
            const size_t asked = ui.asked().size();
            KT_FailCall("+", n);
            RunEdit(row);
            KT_FailCall("", 0);
            check(std::to_string(n) + " " + KT_LastRefused(), true, asked);
        }
        for (const int32_t n : Spread(allCalls, 20)) {
            Fresh(row);
            const size_t asked = ui.asked().size();
            KT_FailCall("*", n);
            RunEdit(row);
            KT_FailCall("", 0);
            check("any call " + std::to_string(n) + " " + KT_LastRefused(), false, asked);
        }
        EXPECT_TRUE(faults.empty()) << calls << " steps, " << allCalls << " calls; refused:\n" << faults;
    }

    // A sweep over an edit made of entries that keeps those it made when
    // one is refused (the lines of a create list, the copies of an array or
    // of a repeat): each entry is whole or not there. The design with entry
    // k refused is made by refusing the k-th call of `begins`, the step
    // that begins an entry, for k = 1 .. `entries`; the entries made before
    // it stay. `skips` names further calls (the n-th call of an export)
    // whose refusal skips one entry that another step makes (the load of
    // a list line's part): each gives a design of its own, not whole and
    // told. With any other step
    // refused the design is whole, as it was, or one of those, the
    // integrity check is clean, and a design that is not whole was told.
    struct Skip {
        const char* call;
        int32_t n;
    };
    void SweepEntries(const Row& row, const char* begins, int32_t entries, std::initializer_list<Skip> skips = {})
    {
        SCOPED_TRACE(row.name);
        Fresh(row);
        const std::string clean = RunIntegrityCheck(nullptr);
        const uint64_t before = KT_DesignDigest();
        KT_FailCall("+", INT32_MAX);
        RunEdit(row);
        const int32_t calls = KT_CallsCounted();
        KT_FailCall("", 0);
        const uint64_t whole = KT_DesignDigest();
        ASSERT_NE(whole, before) << "the edit changed nothing";
        Fresh(row);
        KT_FailCall("*", INT32_MAX);
        RunEdit(row);
        const int32_t allCalls = KT_CallsCounted();
        KT_FailCall("", 0);
        std::vector<uint64_t> refused;
        for (int32_t k = 1; k <= entries; ++k) {
            Fresh(row);
            const size_t asked = ui.asked().size();
            KT_FailCall(begins, k);
            RunEdit(row);
            KT_FailCall("", 0);
            refused.push_back(KT_DesignDigest());
            ASSERT_NE(refused.back(), whole) << begins << " " << k << " was not refused";
            if (k > 1) {
                ASSERT_NE(refused.back(), before) << begins << " " << k << ": the entries made before went";
            }
            ASSERT_TRUE(Told(asked)) << begins << " " << k << ": nothing said";
            ASSERT_EQ(RunIntegrityCheck(nullptr), clean) << begins << " " << k;
        }
        for (const Skip& skip : skips) {
            Fresh(row);
            const size_t asked = ui.asked().size();
            KT_FailCall(skip.call, skip.n);
            RunEdit(row);
            KT_FailCall("", 0);
            refused.push_back(KT_DesignDigest());
            ASSERT_NE(refused.back(), whole) << skip.call << " " << skip.n << " was not refused";
            ASSERT_TRUE(Told(asked)) << skip.call << " " << skip.n << ": nothing said";
            ASSERT_EQ(RunIntegrityCheck(nullptr), clean) << skip.call << " " << skip.n;
        }
        std::string faults;
        const auto check = [&](const std::string& call, size_t asked) {
            const uint64_t after = KT_DesignDigest();
            const bool known = after == whole || after == before ||
                               std::find(refused.begin(), refused.end(), after) != refused.end();
            if (!known) faults += "  " + call + ": half an entry\n";
            else if (after != whole && !Told(asked)) faults += "  " + call + ": not done, nothing said\n";
            if (RunIntegrityCheck(nullptr) != clean) faults += "  " + call + ": the integrity check finds faults\n";
            while (Main().m_CanvasDCLevel > 0) Main().CloseCanvasDC();
            g_CurCommand = 0;
        };
        for (const int32_t n : Spread(calls, 80)) {
            Fresh(row);
            const size_t asked = ui.asked().size();
            KT_FailCall("+", n);
            RunEdit(row);
            KT_FailCall("", 0);
            check(std::to_string(n) + " " + KT_LastRefused(), asked);
        }
        for (const int32_t n : Spread(allCalls, 40)) {
            Fresh(row);
            const size_t asked = ui.asked().size();
            KT_FailCall("*", n);
            RunEdit(row);
            KT_FailCall("", 0);
            check("any call " + std::to_string(n) + " " + KT_LastRefused(), asked);
        }
        EXPECT_TRUE(faults.empty()) << calls << " steps, " << allCalls << " calls; refused:\n" << faults;
    }

    // The option buttons `on` pressed, every other one released.
    void Options(std::initializer_list<int> on)
    {
        for (int o = 0; o <= 10; ++o)
            if (M().F_OST.Exists(o)) M().F_OST(o)->SetValue(false);
        for (const int o : on) M().F_OST(o)->SetValue(true);
    }
    // Queues `text` typed into the next input box, answered OK.
    void Typed(const char* text)
    {
        Ui().ExpectModal("NvoInpBG", [text](QWidget*) {
            NvoInpBG& box = FormInstance<NvoInpBG>();
            box.InpText()->SetText(text);
            box.InpOK()->Press();
        });
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
