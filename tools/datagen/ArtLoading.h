// The panel the game shows while it loads, before any archive is open: a
// loose PNG beside the archives ("Data/loading.png").
#pragma once

#include <cstdint>
#include <vector>

// Panel size, and where the game draws the progress bar on it.
constexpr int kLoadingWidth = 348, kLoadingHeight = 290;
constexpr int kLoadingBarX = 50, kLoadingBarY = 247, kLoadingBarW = 257, kLoadingBarH = 32;

// The panel as PNG bytes.
std::vector<uint8_t> LoadingPanelPng();
