#include "support/TestPaths.h"

const std::string& TestBuildDir() {
  static const std::string dir = GW_BUILD_DIR_TEXT;
  return dir;
}
