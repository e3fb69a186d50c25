#include "audiogen/SongBuilder.h"

#include <algorithm>

namespace audiogen {

void SongBuilder::Note(int ch, int row, int len, int midi, int instrument, int volume, bool release) {
  if (row < 0 || row >= Rows_) return;
  ItCell& c = Cells_[ch][row];
  c.note = std::clamp(midi, 0, 119);
  c.instrument = instrument;
  c.volume = std::clamp(volume, 1, 64);
  if (release && len > 0) Offs_[ch].push_back({row, row + len});
}

void SongBuilder::Command(int ch, int row, uint8_t command, uint8_t param) {
  ItCell& c = Cells_[ch][row];
  c.command = command;
  c.param = param;
}

std::vector<ItPattern> SongBuilder::Patterns(int rowsPerPattern) {
  for (int ch = 0; ch < Channels_; ++ch) {
    for (auto [start, end] : Offs_[ch]) {
      if (end >= Rows_) continue;  // still sounding when the song wraps
      bool interrupted = false;
      for (auto next = Cells_[ch].upper_bound(start); next != Cells_[ch].end() && next->first <= end; ++next)
        if (next->second.note >= 0) interrupted = true;
      if (!interrupted) Cells_[ch][end].note = kItNoteOff;
    }
  }
  Offs_.assign(Channels_, {});
  std::vector<ItPattern> out;
  for (int first = 0; first < Rows_; first += rowsPerPattern) {
    int rows = std::min(rowsPerPattern, Rows_ - first);
    ItPattern p(rows, Channels_);
    for (int ch = 0; ch < Channels_; ++ch) {
      for (auto it = Cells_[ch].lower_bound(first); it != Cells_[ch].end() && it->first < first + rows; ++it)
        p.At(it->first - first, ch, Channels_) = it->second;
    }
    out.push_back(std::move(p));
  }
  return out;
}

int InstrumentTable::operator()(Voice v) {
  for (size_t i = 0; i < Voices.size(); ++i)
    if (Voices[i] == v) return static_cast<int>(i) + 1;
  Voices.push_back(v);
  return static_cast<int>(Voices.size());
}

}  // namespace audiogen
