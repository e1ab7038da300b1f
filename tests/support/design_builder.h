// Designs for tests, written in the readable form of docs/SOURCES.md (the
// form of the demo design): BuildDesign replaces the test's database by the
// design of the text. `include` lines name the shipped library sources
// ("include discrete.nls"), found in data/libraries unless the caller gives
// another folder.
//
//   ASSERT_TRUE(palvane_test::BuildDesign(R"(
//   include discrete.nls
//   unit 0.1in
//   design D
//   level MAIN
//   net N
//   page P
//     component R1 R at 0 0
//     component R2 R at 10 0
//     wire N R1.2 R2.1
//   end
//   )"));
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace palvane_test {

// The folder of the shipped library sources.
std::string LibrarySourceDir();

// Builds the design of `text` into the kernel, its includes found in
// `includeDir`. On failure the result carries the reader's "design:line:
// message" and a database is still open (the one before, or a fresh empty
// one when the kernel refused the build half-way).
::testing::AssertionResult BuildDesign(const std::string& text, const std::string& includeDir = LibrarySourceDir());

// Takes the current level's page "MAINPAGE" out of the open design with its
// frame and the frame's corners, as in designs stored before every design
// got one (the build adds it to the root level of every design). Another
// page must be current.
::testing::AssertionResult DropMainPage();

}  // namespace palvane_test
