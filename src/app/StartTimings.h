// Start-up and frame timings for tools that measure the game from outside.
// With the environment variable GW_TIMINGS=1 the game prints lines such as
//   timing first-frame-ms 83
//   timing interactive-ms 120
// to standard error as the moments pass; without it nothing is measured. The
// times count from the static initialisation of the program, a few
// milliseconds after the process starts (the dynamic loader runs before it).
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class TStartTimings {
 public:
  // On when GW_TIMINGS is set to 1.
  static bool RequestedByEnvironment();
  // Milliseconds since the program's static initialisation.
  static double SinceStart();

  // out receives the lines (standard error in the game, a buffer in tests).
  explicit TStartTimings(std::FILE* out = stderr) : Out_(out) {}
  // A game that ends while frames after the change to the menu are still
  // watched prints the worst of those it had.
  ~TStartTimings();

  // "timing NAME-ms N", once per name.
  void Mark(const std::string& name);
  void Mark(const std::string& name, double ms);

  // The game loop reports each frame: the screen it began and ended on, and
  // when it began and ended (SinceStart). The first frame, the first frame
  // shown on the main menu and the worst frame around the change from the
  // logo to the menu are printed as they become known:
  //   first-frame-ms      the end of the first frame the loop presented
  //   menu-ms             the end of the first frame begun on the menu
  //   switch-frame-ms     the length of the frame that left the logo
  //   switch-worst-frame-ms  the longest frame from kBefore frames before that
  //                          one to kAfter frames after it
  //   switch-worst-gap-ms    the longest time between two presented frames
  //                          over the same frames
  void Frame(uint8_t stateBefore, uint8_t stateAfter, double began, double ended);
  // The game ran its first process tick ("interactive"), at this time.
  void FirstTick(double at = SinceStart());

  static constexpr int kBefore = 10;
  static constexpr int kAfter = 60;

 private:
  void Print(const std::string& name, double ms);
  void PrintSwitchWorst();

  std::FILE* Out_;
  uint32_t Printed_ = 0;  // bit per name of the fixed lines already printed
  std::vector<std::string> Marked_;  // names marked so far
  int64_t Frames_ = 0;
  // The last kBefore frames' lengths and gaps, ring-buffered.
  std::array<double, kBefore> RecentLength_{};
  std::array<double, kBefore> RecentGap_{};
  double LastEnded_ = -1;
  int AfterSwitch_ = -1;  // frames still watched after the switch; -1 before it
  double WorstLength_ = 0, WorstGap_ = 0;
};
