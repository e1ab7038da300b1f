// Error helpers: the step runner and the scope guards.
#include "editor/shell/errors.h"
#include "editor/shell/scope_guard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

TEST(ResumeNext, SkipsFailingStepsOnly)
{
    std::vector<int> ran;
    ResumeNext({
        [&] { ran.push_back(1); },
        [&] { RaiseError(errnum::SubscriptOutOfRange); },
        [&] {
            ran.push_back(3);
            RaiseError(errnum::Overflow);
            ran.push_back(99);  // the rest of a failing step does not run
        },
        [&] { ran.push_back(4); },
    });
    EXPECT_EQ(ran, (std::vector<int>{1, 3, 4}));
}

// A defect is never skipped as if it were a runtime error: the steps after
// it do not run and the exception reaches the caller unchanged.
TEST(ResumeNext, LetsEverythingButRuntimeErrorsThrough)
{
    const std::vector<int> numbers{1, 2};
    std::vector<int> ran;
    EXPECT_THROW(ResumeNext({
                     [&] { ran.push_back(numbers.at(5)); },  // an index the code computed
                     [&] { ran.push_back(2); },
                 }),
                 std::out_of_range);
    EXPECT_THROW(ResumeNext({[] { throw std::logic_error("broken invariant"); }}), std::logic_error);
    EXPECT_TRUE(ran.empty());
}

TEST(ScopeGuard, RunsOnEveryWayOutUnlessDismissed)
{
    int closed = 0;
    {
        auto guard = OnExit([&] { ++closed; });
    }
    EXPECT_EQ(closed, 1);
    try {
        auto guard = OnExit([&] { ++closed; });
        RaiseError(errnum::InvalidCall);
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), errnum::InvalidCall);
    }
    EXPECT_EQ(closed, 2);
    {
        auto guard = OnExit([&] { ++closed; });
        guard.Dismiss();
    }
    EXPECT_EQ(closed, 2);
}

TEST(ScopeGuard, ErrorOfTheGuardItself)
{
    // Leaving normally, the guard's own error propagates.
    EXPECT_THROW({ auto guard = OnExit([] { RaiseError(errnum::Overflow); }); }, RuntimeError);
    // Leaving by an error, the first error goes on and the guard's is dropped.
    try {
        auto guard = OnExit([] { RaiseError(errnum::Overflow); });
        throw std::logic_error("first");
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "first");
    }
}

TEST(RestoreOnExit, PutsTheFlagBackHoweverTheScopeEnds)
{
    int32_t busy = 0;
    bool noPaint = false;
    std::string prompt = "Components";
    try {
        RestoreOnExit<int32_t> b(busy, -1);
        RestoreOnExit<bool> n(noPaint, true);
        RestoreOnExit<std::string> p(prompt);
        EXPECT_EQ(busy, -1);
        EXPECT_TRUE(noPaint);
        prompt = "Nets";
        RaiseError(errnum::SubscriptOutOfRange);
    } catch (const RuntimeError&) {
    }
    EXPECT_EQ(busy, 0);
    EXPECT_FALSE(noPaint);
    EXPECT_EQ(prompt, "Components");
}

TEST(RuntimeErrors, NumbersAndDescriptions)
{
    const struct {
        int number;
        const char* description;
    } cases[] = {
        {errnum::InvalidCall, "Invalid procedure call or argument"},
        {errnum::Overflow, "Overflow"},
        {errnum::SubscriptOutOfRange, "Subscript out of range"},
        {errnum::ControlArrayElementMissing, "Control array element doesn't exist"},
        {errnum::FormUnloaded, "Object was unloaded"},
        {errnum::InvalidPropertyValue, "Invalid property value"},
        {errnum::CancelSelected, "Cancel was selected."},
        {12345, "Application-defined or object-defined error"},
    };
    for (const auto& c : cases) {
        try {
            RaiseError(c.number);
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), c.number);
            EXPECT_STREQ(e.what(), c.description);
        }
    }
}

}  // namespace
