// Where the build folder is, for tests that run the built programs or read
// the built data. It is compiled into one file only, so that every other
// test file compiles to the same thing in any build folder and the compiler
// cache can share it between folders.
#pragma once

#include <string>

const std::string& TestBuildDir();

#define GW_BUILD_DIR TestBuildDir()
