// A helper that runs as a test only when asked: the body a test runs in a child process of the same program (a
// second client process, a display back end whose library keeps allocations of its own), or a tool for a person.
// It is registered with the test framework only where the environment variable names it, so the test list (and
// ctest) never shows it as a test that is always skipped.
//
//   void SdlChild() { ... EXPECT_... }                 // the child's body
//   const bool sdlChild = RegisterHelperTest("Display", "SdlChild", "MORWICK_TEST_SDL_CHILD", SdlChild);
//   ...  MORWICK_TEST_SDL_CHILD=1 <this program> --gtest_filter=Display.SdlChild
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

inline bool RegisterHelperTest(const char* suite, const char* name, const char* variable, void (*body)(),
                               const char* file = __builtin_FILE(), int line = __builtin_LINE())
{
    if (!std::getenv(variable))
        return false;
    struct Child : ::testing::Test {
        explicit Child(void (*run)()) : run(run) {}
        void TestBody() override { run(); }
        void (*run)();
    };
    ::testing::RegisterTest(suite, name, nullptr, nullptr, file, line,
                            [body]() -> ::testing::Test* { return new Child(body); });
    return true;
}
