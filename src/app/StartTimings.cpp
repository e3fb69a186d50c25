#include "app/StartTimings.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "services/ScreenState.h"

namespace {

// Taken while the program's statics are set up, before main runs.
const std::chrono::steady_clock::time_point kProgramStart = std::chrono::steady_clock::now();

enum TFixedLine : uint32_t { flFirstFrame = 1, flInteractive = 2, flMenu = 4, flSwitch = 8 };

}  // namespace

bool TStartTimings::RequestedByEnvironment() {
  const char* value = std::getenv("GW_TIMINGS");
  return value && std::strcmp(value, "1") == 0;
}

double TStartTimings::SinceStart() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - kProgramStart).count();
}

void TStartTimings::Print(const std::string& name, double ms) {
  if (!Out_) return;
  // Whole milliseconds are plenty for start-up; frame lengths keep a decimal.
  if (ms < 100)
    std::fprintf(Out_, "timing %s-ms %.1f\n", name.c_str(), ms);
  else
    std::fprintf(Out_, "timing %s-ms %.0f\n", name.c_str(), std::round(ms));
  std::fflush(Out_);
}

void TStartTimings::Mark(const std::string& name) { Mark(name, SinceStart()); }

void TStartTimings::Mark(const std::string& name, double ms) {
  if (std::find(Marked_.begin(), Marked_.end(), name) != Marked_.end()) return;
  Marked_.push_back(name);
  Print(name, ms);
}

TStartTimings::~TStartTimings() {
  if (AfterSwitch_ > 0) PrintSwitchWorst();
}

void TStartTimings::PrintSwitchWorst() {
  Printed_ |= flSwitch;
  Print("switch-worst-frame", WorstLength_);
  Print("switch-worst-gap", WorstGap_);
  AfterSwitch_ = -1;
}

void TStartTimings::FirstTick(double at) {
  if (Printed_ & flInteractive) return;
  Printed_ |= flInteractive;
  Print("interactive", at);
}

void TStartTimings::Frame(uint8_t stateBefore, uint8_t stateAfter, double began, double ended) {
  const double length = ended - began;
  const double gap = LastEnded_ < 0 ? length : ended - LastEnded_;
  LastEnded_ = ended;
  if (!(Printed_ & flFirstFrame)) {
    Printed_ |= flFirstFrame;
    Print("first-frame", ended);
  }
  if (stateBefore == ssMainMenu && !(Printed_ & flMenu)) {
    Printed_ |= flMenu;
    Print("menu", ended);
  }
  if (AfterSwitch_ < 0 && !(Printed_ & flSwitch) && stateBefore == ssSplash && stateAfter == ssMainMenu) {
    // The frame that left the logo, with the frames just before it.
    Print("switch-frame", length);
    WorstLength_ = length;
    WorstGap_ = gap;
    for (int i = 0; i < kBefore && i < Frames_; ++i) {
      WorstLength_ = std::max(WorstLength_, RecentLength_[static_cast<size_t>(i)]);
      WorstGap_ = std::max(WorstGap_, RecentGap_[static_cast<size_t>(i)]);
    }
    AfterSwitch_ = kAfter;
  } else if (AfterSwitch_ > 0) {
    WorstLength_ = std::max(WorstLength_, length);
    WorstGap_ = std::max(WorstGap_, gap);
    if (--AfterSwitch_ == 0) PrintSwitchWorst();
  }
  RecentLength_[static_cast<size_t>(Frames_ % kBefore)] = length;
  RecentGap_[static_cast<size_t>(Frames_ % kBefore)] = gap;
  ++Frames_;
}
