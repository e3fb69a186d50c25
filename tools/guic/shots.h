// Headless screenshots of every form of the built layout.
#pragma once

#include <string>

// Loads the data archives and data/interface.gui under buildDir and saves
// outDir/gui-<form>.png for every form the game finds by name. Returns the
// process exit code.
int RunShots(const std::string& buildDir, const std::string& outDir);
