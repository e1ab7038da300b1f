#include "editor/shell/binding.h"
#include "editor/shell/applink.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/shell/bindprobe.h"

#include <gtest/gtest.h>

#include <cstring>

BINDPROBE_FUNCTIONS(BINDING_DECLARE_THUNK)
NOSUCHLIB_FUNCTIONS(BINDING_DECLARE_THUNK)

#define PROBE_THUNK(ret, name, params, args) \
    BINDING_DEFINE_THUNK(BINDPROBE_LIBRARY, bindprobe_proto, ret, name, params, args)
#define NOSUCH_THUNK(ret, name, params, args) \
    BINDING_DEFINE_THUNK(NOSUCHLIB_LIBRARY, nosuchlib_proto, ret, name, params, args)
BINDPROBE_FUNCTIONS(PROBE_THUNK)
NOSUCHLIB_FUNCTIONS(NOSUCH_THUNK)

TEST(Binding, BoundCallReachesTheLibrary)
{
    EXPECT_EQ(Probe_Add(2, 40), 42);
    EXPECT_EQ(Probe_Add(-5, 5), 0);
}

// The editor reaches the same kernel that the test process linked: a string
// set here is read back by the editor through its thunk.
TEST(Binding, EditorAndHostShareOneKernel)
{
    ASSERT_NE(E_SetString("AllAps", "NVOSPCED,PALVANE,NVOSIM"), 0);
    InitAppLink();
    EXPECT_EQ(g_AppCount, 3);
    EXPECT_EQ(g_AppSelf, 2);
    EXPECT_EQ(g_AppList(3), "NVOSIM");
    EXPECT_EQ(binding::OpenCount(NVOKERNEL32_LIBRARY), 1);
}

TEST(Binding, MissingFunctionRaisesTypedError)
{
    EXPECT_EQ(Probe_Add(1, 1), 2);
    try {
        Probe_Missing(1);
        FAIL() << "a missing function must not return";
    } catch (const binding::BindError& e) {
        EXPECT_EQ(e.number(), 453);
        EXPECT_EQ(e.library(), BINDPROBE_LIBRARY);
        EXPECT_EQ(e.function(), "Probe_Missing");
    }
    // The library itself stays usable.
    EXPECT_EQ(Probe_Add(3, 4), 7);
}

TEST(Binding, MissingLibraryRaisesTypedErrorEveryCall)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            NoSuch_Function(1);
            FAIL() << "a missing library must not return";
        } catch (const binding::BindError& e) {
            EXPECT_EQ(e.number(), 53);
            EXPECT_EQ(e.library(), NOSUCHLIB_LIBRARY);
            EXPECT_NE(std::strstr(e.what(), NOSUCHLIB_LIBRARY), nullptr);
        }
    }
    EXPECT_EQ(binding::OpenCount(NOSUCHLIB_LIBRARY), 0);
}

TEST(Binding, EachLibraryIsOpenedOnce)
{
    // Opened at most once by the tests that ran before in this process.
    EXPECT_LE(binding::OpenCount(BINDPROBE_LIBRARY), 1);
    Probe_Add(1, 2);
    Probe_Add(3, 4);
    EXPECT_THROW(Probe_Missing(0), binding::BindError);
    EXPECT_EQ(binding::OpenCount(BINDPROBE_LIBRARY), 1);
}
