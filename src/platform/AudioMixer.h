// The mixer: adds up every playing channel into stereo float frames.
//
// The game thread never touches a channel's playback state directly: it posts
// commands, and the mixing thread applies them at the start of its next block.
// The queue's lock is held only to swap or append commands, never while
// decoding, so the game thread does not wait on the mixer.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/AudioDecoders.h"

namespace plat {

// One playable channel: a music, a stream or one voice of a sample.
struct AudioChannel {
  std::unique_ptr<AudioSource> Source;

  // Mixing thread only, once the channel has been added.
  bool Playing = false;
  bool AtEnd = false;  // played to its end: the next play starts from the beginning
  bool Loop = false;
  bool SourceLoops = false;  // the source handles the loop flag itself
  float GainLeft = 1.0f;
  float GainRight = 1.0f;
  uint32_t Generation = 0;  // of the command that last started it
  uint64_t Frames = 0;      // played since the last rewind

  // Written by the mixing thread, read by the game thread.
  std::atomic<uint32_t> DoneGeneration{0};  // the last play that ended or stop that was applied
  std::atomic<int64_t> Position{0};         // Frames, as of the last block
};

struct AudioCommand {
  enum Kind : uint8_t {
    Add,        // start mixing the channel (stopped)
    Remove,     // stop mixing it; it comes back through TakeRetired
    Play,       // Flag: from the beginning
    Stop,
    SetLoop,    // Flag: loop
    SetGain,    // GainLeft, GainRight
    Rewind,
    PauseOutput,
    ResumeOutput
  };
  Kind Type = Add;
  AudioChannel* Channel = nullptr;
  uint32_t Generation = 0;
  bool Flag = false;
  float GainLeft = 1.0f;
  float GainRight = 1.0f;
};

class AudioMixer {
 public:
  AudioMixer();

  // Any thread but the mixing one.
  void Post(const AudioCommand& command);
  // Channels the mixer has let go of after a Remove; the caller frees them.
  std::vector<AudioChannel*> TakeRetired();

  // The mixing thread: applies the posted commands, then writes frames stereo
  // frames (interleaved, clamped to -1..1) to out.
  void Mix(float* out, int frames);
  // Applies the posted commands without mixing (when no device pulls).
  void ApplyPending();

  int ChannelCount() const { return static_cast<int>(Channels_.size()); }

 private:
  static constexpr int kBlock = 2048;

  void Apply(const AudioCommand& command);
  void RenderChannel(AudioChannel& channel, float* out, int frames);

  std::mutex Lock_;
  std::vector<AudioCommand> Pending_;   // guarded by Lock_
  std::vector<AudioChannel*> Retired_;  // guarded by Lock_

  // Mixing thread only.
  std::vector<AudioCommand> Working_;
  std::vector<AudioChannel*> Channels_;
  std::vector<AudioChannel*> JustRetired_;
  std::vector<float> Scratch_;
  bool OutputPaused_ = false;
};

}  // namespace plat
