// The one entry point shared by the layout fuzz target and the test that
// replays its corpus: reads arbitrary bytes as a GUI layout file, builds the
// controls, and drives them a little, checking what must hold for any input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/gui/GuiBase.h"
#include "engine/gui/GuiLayoutFile.h"

// Returns false when an invariant is broken (the fuzz target then traps).
inline bool GuiLayoutFuzzEntry(const uint8_t* data, size_t size) {
  std::vector<TGuiLayoutControl> controls;
  std::string error;
  bool read = ReadGuiLayout(data, size, controls, &error);
  if (read != error.empty()) return false;

  TGuiBase gui;
  gui.ClipboardText = [] { return std::string("pasted\ttext"); };
  if (gui.LoadLayoutData(data, size) != read) return false;
  if (!read) return gui.Root().ChildCount() == 0;
  if (gui.Root().ChildCount() != static_cast<int>(controls.size())) return false;

  // What was read writes back to the same records.
  std::vector<uint8_t> again = WriteGuiLayout(controls);
  std::vector<TGuiLayoutControl> reread;
  if (!ReadGuiLayout(again.data(), again.size(), reread) || WriteGuiLayout(reread) != again) return false;

  // Drive the tree: ticks, a press, a drag, keys and a frame without a canvas.
  for (int i = 0; i < 3; ++i) gui.Update();
  gui.MouseMove(120, 90);
  gui.MouseDown(0, 120, 90);
  gui.MouseMove(140, 100);
  gui.KeyDown(17);
  gui.KeyDown('V');
  gui.KeyUp(17);
  gui.KeyPress('x');
  gui.KeyDown(9);
  gui.KeyDown(8);
  gui.MouseUp(0, 140, 100);
  gui.Draw();
  return gui.Root().HeldButtons() == 0 && gui.Root().Captured() == nullptr;
}
