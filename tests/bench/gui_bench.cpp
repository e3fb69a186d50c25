// The GUI's per-frame and per-event work on a layout the size of the game's:
// 17 forms of 20 controls each, all shown at once.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/gui/GuiBase.h"
#include "engine/gui/GuiLabel.h"
#include "engine/gui/GuiLayoutFile.h"
#include "engine/gui/GuiListBox.h"

namespace {

std::vector<uint8_t> GameSizedLayout() {
  static const char* kinds[] = {"TGuiButton", "TGuiLabel", "TGuiCheckBox", "TGuiEdit", "TGuiListBox"};
  std::vector<TGuiLayoutControl> forms;
  for (int f = 0; f < 17; ++f) {
    TGuiLayoutControl form;
    form.ClassName = "TGuiForm";
    form.Props.push_back({"Name", 2, "form" + std::to_string(f), {}, {}});
    form.Props.push_back({"Left", 0, std::to_string(20 * f), {}, {}});
    form.Props.push_back({"Top", 0, std::to_string(10 * f), {}, {}});
    for (int c = 0; c < 20; ++c) {
      TGuiLayoutControl child;
      child.ClassName = kinds[c % 5];
      child.Props.push_back({"Left", 0, std::to_string(10 + (c % 4) * 70), {}, {}});
      child.Props.push_back({"Top", 0, std::to_string(25 + (c / 4) * 30), {}, {}});
      if (c % 5 == 1) {
        child.Props.push_back({"Text", 2, "A line of words that wraps inside the label", {}, {}});
        child.Props.push_back({"WordWrap", 3, "True", {}, {}});
      }
      form.Children.push_back(std::move(child));
    }
    forms.push_back(std::move(form));
  }
  return WriteGuiLayout(forms);
}

void BM_GuiLoadLayout(benchmark::State& state) {
  const std::vector<uint8_t> bytes = GameSizedLayout();
  for (auto _ : state) {
    TGuiBase gui;
    benchmark::DoNotOptimize(gui.LoadLayoutData(bytes.data(), bytes.size()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_GuiLoadLayout);

// One frame's tree walk (clipping, label layout) and one tick, with no canvas.
void BM_GuiFrame(benchmark::State& state) {
  const std::vector<uint8_t> bytes = GameSizedLayout();
  TGuiBase gui;
  gui.LoadLayoutData(bytes.data(), bytes.size());
  for (auto _ : state) {
    gui.Update();
    gui.Draw();
  }
}
BENCHMARK(BM_GuiFrame);

// Mouse moves across the screen: target search, hover, enter and leave.
void BM_GuiMouseMove(benchmark::State& state) {
  const std::vector<uint8_t> bytes = GameSizedLayout();
  TGuiBase gui;
  gui.LoadLayoutData(bytes.data(), bytes.size());
  int x = 0;
  for (auto _ : state) {
    x = (x + 7) % 800;
    benchmark::DoNotOptimize(gui.MouseMove(x, (x * 3) % 600));
  }
}
BENCHMARK(BM_GuiMouseMove);

}  // namespace
