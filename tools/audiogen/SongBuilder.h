// Collects a song's notes per channel and row, adds note-offs where a note
// ends before the channel's next one starts, and cuts the result into
// tracker patterns. Instruments are numbered in order of first use.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "audiogen/Instruments.h"
#include "audiogen/ItWriter.h"

namespace audiogen {

class SongBuilder {
 public:
  SongBuilder(int rows, int channels) : Rows_(rows), Channels_(channels), Cells_(channels), Offs_(channels) {}

  int Rows() const { return Rows_; }

  // A note `len` rows long; with `release` a note-off follows unless another
  // note on the channel starts first. Notes outside the song are dropped.
  void Note(int ch, int row, int len, int midi, int instrument, int volume, bool release);
  void Command(int ch, int row, uint8_t command, uint8_t param);

  std::vector<ItPattern> Patterns(int rowsPerPattern);

 private:
  int Rows_, Channels_;
  std::vector<std::map<int, ItCell>> Cells_;
  std::vector<std::vector<std::pair<int, int>>> Offs_;  // (start, end) rows
};

class InstrumentTable {
 public:
  int operator()(Voice v);  // the 1-based instrument number of the voice
  std::vector<Voice> Voices;
};

}  // namespace audiogen
