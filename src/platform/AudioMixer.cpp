#include "platform/AudioMixer.h"

#include <algorithm>

namespace plat {

AudioMixer::AudioMixer() : Scratch_(kBlock * 2) {
  // Room for a burst of commands, so the mixing thread rarely allocates.
  Pending_.reserve(256);
  Working_.reserve(256);
  Retired_.reserve(64);
  JustRetired_.reserve(64);
  Channels_.reserve(256);
}

void AudioMixer::Post(const AudioCommand& command) {
  std::lock_guard<std::mutex> lock(Lock_);
  Pending_.push_back(command);
}

std::vector<AudioChannel*> AudioMixer::TakeRetired() {
  std::vector<AudioChannel*> taken;
  std::lock_guard<std::mutex> lock(Lock_);
  taken.swap(Retired_);
  return taken;
}

void AudioMixer::ApplyPending() {
  {
    std::lock_guard<std::mutex> lock(Lock_);
    Working_.swap(Pending_);
  }
  for (const AudioCommand& command : Working_) Apply(command);
  Working_.clear();
  if (!JustRetired_.empty()) {
    std::lock_guard<std::mutex> lock(Lock_);
    Retired_.insert(Retired_.end(), JustRetired_.begin(), JustRetired_.end());
    JustRetired_.clear();
  }
}

namespace {

void RewindChannel(AudioChannel& channel) {
  channel.Source->Rewind();
  channel.AtEnd = false;
  channel.Frames = 0;
  channel.Position.store(0, std::memory_order_relaxed);
}

}  // namespace

void AudioMixer::Apply(const AudioCommand& command) {
  AudioChannel* channel = command.Channel;
  switch (command.Type) {
    case AudioCommand::Add:
      if (std::find(Channels_.begin(), Channels_.end(), channel) == Channels_.end()) Channels_.push_back(channel);
      break;
    case AudioCommand::Remove: {
      auto it = std::find(Channels_.begin(), Channels_.end(), channel);
      if (it != Channels_.end()) Channels_.erase(it);
      JustRetired_.push_back(channel);
      break;
    }
    case AudioCommand::Play:
      channel->Generation = command.Generation;
      if (command.Flag || channel->AtEnd) RewindChannel(*channel);
      channel->Playing = true;
      break;
    case AudioCommand::Stop:
      channel->Playing = false;
      channel->DoneGeneration.store(command.Generation, std::memory_order_release);
      break;
    case AudioCommand::SetLoop:
      channel->Loop = command.Flag;
      channel->SourceLoops = channel->Source->SetLoop(command.Flag);
      break;
    case AudioCommand::SetGain:
      channel->GainLeft = command.GainLeft;
      channel->GainRight = command.GainRight;
      break;
    case AudioCommand::Rewind:
      RewindChannel(*channel);
      break;
    case AudioCommand::PauseOutput:
      OutputPaused_ = true;
      break;
    case AudioCommand::ResumeOutput:
      OutputPaused_ = false;
      break;
  }
}

void AudioMixer::RenderChannel(AudioChannel& channel, float* out, int frames) {
  float* buffer = Scratch_.data();
  int done = 0;
  int rewinds = 0;
  while (done < frames) {
    int n = channel.Source->Read(buffer + 2 * done, frames - done);
    done += n;
    channel.Frames += static_cast<uint64_t>(n);
    if (done == frames) break;
    // The source ended inside this block. A looping channel starts again at
    // once, unless the source gives nothing even from its beginning.
    if (channel.Loop && !channel.SourceLoops && (n > 0 || rewinds == 0)) {
      RewindChannel(channel);
      ++rewinds;
      continue;
    }
    channel.Playing = false;
    channel.AtEnd = true;
    channel.DoneGeneration.store(channel.Generation, std::memory_order_release);
    break;
  }
  const float left = channel.GainLeft;
  const float right = channel.GainRight;
  for (int i = 0; i < done; ++i) {
    out[2 * i] += buffer[2 * i] * left;
    out[2 * i + 1] += buffer[2 * i + 1] * right;
  }
  channel.Position.store(static_cast<int64_t>(channel.Frames), std::memory_order_relaxed);
}

void AudioMixer::Mix(float* out, int frames) {
  ApplyPending();
  std::fill(out, out + 2 * static_cast<size_t>(std::max(frames, 0)), 0.0f);
  if (OutputPaused_) return;
  for (int start = 0; start < frames; start += kBlock) {
    int count = std::min(kBlock, frames - start);
    float* block = out + 2 * start;
    for (AudioChannel* channel : Channels_)
      if (channel->Playing) RenderChannel(*channel, block, count);
  }
  for (int i = 0; i < 2 * frames; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
}

}  // namespace plat
