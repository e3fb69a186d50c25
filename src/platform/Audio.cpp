#include "platform/Audio.h"

#include <SDL.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/AudioDecoders.h"
#include "platform/AudioMixer.h"

namespace plat {
namespace {

// Longest sample we decode: effects are short, and this bounds the memory a
// damaged record can claim.
constexpr size_t kMaxSampleFrames = static_cast<size_t>(kAudioRate) * 180;
// Largest file the path variants read into memory.
constexpr uint64_t kMaxFileBytes = 512ull << 20;

enum class ChannelKind { Music, Stream, SampleVoice };

struct ChannelRecord {
  ChannelKind Kind = ChannelKind::Music;
  std::unique_ptr<AudioChannel> Channel;
  std::vector<uint8_t> OwnedData;  // a stream read from a file plays from here
  AudioHandle Sample = 0;          // the sample a voice belongs to
  uint32_t Issued = 0;             // generation of the last play or stop posted
  bool IssuedPlay = false;         // that last command was a play
  uint64_t StartedAt = 0;          // order of the last play, to find the longest playing voice
  int Volume = 100;
  int Pan = 0;
};

struct SampleRecord {
  std::shared_ptr<const std::vector<float>> Pcm;
  uint32_t Max = 1;
  uint32_t Flags = 0;
  std::vector<AudioHandle> Voices;
};

// A channel removed from the mixer but perhaps still being mixed: freed once
// the mixer hands it back.
struct Retiring {
  std::unique_ptr<AudioChannel> Channel;
  std::vector<uint8_t> OwnedData;
};

struct AudioState {
  AudioMixer Mixer;
  SDL_AudioDeviceID Device = 0;
  bool SdlAudioStarted = false;
  std::unordered_map<AudioHandle, ChannelRecord> Channels;
  std::unordered_map<AudioHandle, SampleRecord> Samples;
  std::vector<Retiring> Freeing;
  AudioHandle NextHandle = 1;
  uint32_t NextGeneration = 1;
  uint64_t PlayOrder = 0;
};

// The audio library is process-wide, like the one output device it drives.
AudioState* gState = nullptr;
int gError = aeOk;
bool gNoDevice = false;

bool Fail(int code) {
  gError = code;
  return false;
}
AudioHandle FailHandle(int code) {
  gError = code;
  return 0;
}
bool Succeed() {
  gError = aeOk;
  return true;
}

void SDLCALL MixCallback(void* user, Uint8* stream, int length) {
  static_cast<AudioMixer*>(user)->Mix(reinterpret_cast<float*>(stream), length / static_cast<int>(2 * sizeof(float)));
}

// Frees the channels the mixer no longer uses.
void Collect(AudioState& state) {
  std::vector<AudioChannel*> retired = state.Mixer.TakeRetired();
  for (AudioChannel* channel : retired) {
    auto it = std::find_if(state.Freeing.begin(), state.Freeing.end(),
                           [channel](const Retiring& r) { return r.Channel.get() == channel; });
    if (it != state.Freeing.end()) state.Freeing.erase(it);
  }
}

// Without a device nothing else runs the mixer, so commands take effect at once.
void Send(AudioState& state, const AudioCommand& command) {
  state.Mixer.Post(command);
  if (!state.Device) {
    state.Mixer.ApplyPending();
    Collect(state);
  }
}

void Send(AudioState& state, AudioCommand::Kind type, AudioChannel* channel, bool flag = false,
          uint32_t generation = 0) {
  AudioCommand command;
  command.Type = type;
  command.Channel = channel;
  command.Flag = flag;
  command.Generation = generation;
  Send(state, command);
}

void SendGain(AudioState& state, ChannelRecord& record) {
  float volume = record.Volume / 100.0f;
  AudioCommand command;
  command.Type = AudioCommand::SetGain;
  command.Channel = record.Channel.get();
  command.GainLeft = volume * (record.Pan > 0 ? (100 - record.Pan) / 100.0f : 1.0f);
  command.GainRight = volume * (record.Pan < 0 ? (100 + record.Pan) / 100.0f : 1.0f);
  Send(state, command);
}

bool Busy(const ChannelRecord& record) {
  return record.IssuedPlay && record.Channel->DoneGeneration.load(std::memory_order_acquire) != record.Issued;
}

AudioHandle NewHandle(AudioState& state) {
  AudioHandle handle;
  do {
    handle = state.NextHandle++;
  } while (handle == 0 || state.Channels.count(handle) || state.Samples.count(handle));
  return handle;
}

// Hands a new channel to the mixer, stopped.
AudioHandle AddChannel(AudioState& state, ChannelKind kind, std::unique_ptr<AudioSource> source, uint32_t flags,
                       std::vector<uint8_t> owned = {}, AudioHandle sample = 0) {
  ChannelRecord record;
  record.Kind = kind;
  record.Sample = sample;
  record.OwnedData = std::move(owned);
  record.Channel = std::make_unique<AudioChannel>();
  // Not yet shared with the mixer: set up directly.
  record.Channel->Loop = (flags & kAudioLoop) != 0;
  record.Channel->SourceLoops = source->SetLoop(record.Channel->Loop);
  record.Channel->Source = std::move(source);
  AudioChannel* channel = record.Channel.get();
  AudioHandle handle = NewHandle(state);
  state.Channels.emplace(handle, std::move(record));
  Send(state, AudioCommand::Add, channel);
  return handle;
}

void RemoveChannel(AudioState& state, AudioHandle handle) {
  auto it = state.Channels.find(handle);
  if (it == state.Channels.end()) return;
  AudioChannel* channel = it->second.Channel.get();
  state.Freeing.push_back({std::move(it->second.Channel), std::move(it->second.OwnedData)});
  state.Channels.erase(it);
  Send(state, AudioCommand::Remove, channel);
}

// The bytes a load call names: the caller's memory, or a part of a file read
// into owned. Returns an AudioError.
int GetBytes(bool mem, const void* file, uint64_t offset, uint64_t length, std::vector<uint8_t>& owned,
             const uint8_t*& data, size_t& size) {
  if (!file) return aeIllParam;
  if (mem) {
    if (length > kMaxFileBytes) return aeMemory;
    data = static_cast<const uint8_t*>(file);
    size = static_cast<size_t>(length);
    return aeOk;
  }
  // Only a plain file: a pipe would block the open for ever, a device never ends.
  struct stat info;
  if (::stat(static_cast<const char*>(file), &info) != 0 || !S_ISREG(info.st_mode)) return aeFileOpen;
  std::ifstream in(static_cast<const char*>(file), std::ios::binary | std::ios::ate);
  if (!in) return aeFileOpen;
  auto end = static_cast<uint64_t>(in.tellg());
  if (offset > end) return aeFileOpen;
  uint64_t count = length == 0 ? end - offset : std::min<uint64_t>(length, end - offset);
  if (count > kMaxFileBytes) return aeMemory;
  owned.resize(static_cast<size_t>(count));
  in.seekg(static_cast<std::streamoff>(offset));
  if (!in.read(reinterpret_cast<char*>(owned.data()), static_cast<std::streamsize>(count))) return aeFileOpen;
  data = owned.data();
  size = owned.size();
  return aeOk;
}

ChannelRecord* FindChannel(AudioHandle handle) {
  if (!gState) return nullptr;
  auto it = gState->Channels.find(handle);
  return it == gState->Channels.end() ? nullptr : &it->second;
}

}  // namespace

uint32_t Audio_GetVersion() { return kAudioVersion; }

int Audio_ErrorGetCode() { return gError; }

void Audio_SetNoDevice(bool noDevice) { gNoDevice = noDevice; }

bool Audio_Init(int device, uint32_t freq, uint32_t flags, void* window, const void* classId) {
  (void)freq;
  (void)flags;
  (void)window;
  (void)classId;
  if (gState) return Fail(aeAlready);
  if (device < -1) return Fail(aeIllParam);
  auto state = std::make_unique<AudioState>();
  if (device != 0 && !gNoDevice && SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
    state->SdlAudioStarted = true;
    const char* driver = SDL_GetCurrentAudioDriver();
    // SDL's dummy driver plays into nothing on a thread of its own; running
    // without a device instead keeps what is mixed under the caller's control.
    if (driver && std::strcmp(driver, "dummy") != 0) {
      const char* name = nullptr;
      if (device > 0) {
        name = SDL_GetAudioDeviceName(device - 1, 0);
        if (!name) {
          SDL_QuitSubSystem(SDL_INIT_AUDIO);
          return Fail(aeIllParam);
        }
      }
      SDL_AudioSpec want{};
      SDL_AudioSpec have{};
      want.freq = kAudioRate;
      want.format = AUDIO_F32SYS;
      want.channels = 2;
      want.samples = 1024;
      want.callback = MixCallback;
      want.userdata = &state->Mixer;
      state->Device = SDL_OpenAudioDevice(name, 0, &want, &have, 0);
    }
    if (!state->Device) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      state->SdlAudioStarted = false;
    }
  }
  gState = state.release();
  if (gState->Device) SDL_PauseAudioDevice(gState->Device, 0);
  return Succeed();
}

bool Audio_Start() {
  if (!gState) return Fail(aeInit);
  Send(*gState, AudioCommand::ResumeOutput, nullptr);
  return Succeed();
}

bool Audio_Stop() {
  if (!gState) return Fail(aeInit);
  Send(*gState, AudioCommand::PauseOutput, nullptr);
  return Succeed();
}

bool Audio_Free() {
  if (!gState) return Fail(aeInit);
  // Closing the device waits for the callback to finish; after it no other
  // thread touches the channels.
  if (gState->Device) SDL_CloseAudioDevice(gState->Device);
  if (gState->SdlAudioStarted) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  delete gState;
  gState = nullptr;
  return Succeed();
}

bool Audio_HasDevice() { return gState && gState->Device != 0; }

AudioHandle Audio_MusicLoad(bool mem, const void* file, uint64_t offset, uint32_t length, uint32_t flags,
                            uint32_t freq) {
  (void)freq;
  if (!gState) return FailHandle(aeInit);
  Collect(*gState);
  std::vector<uint8_t> owned;
  const uint8_t* data = nullptr;
  size_t size = 0;
  if (int error = GetBytes(mem, file, offset, length, owned, data, size)) return FailHandle(error);
  auto source = CreateModuleSource(data, size);
  if (!source) return FailHandle(aeFormat);
  AudioHandle handle = AddChannel(*gState, ChannelKind::Music, std::move(source), flags);
  gError = aeOk;
  return handle;
}

AudioHandle Audio_StreamCreateFile(bool mem, const void* file, uint64_t offset, uint64_t length, uint32_t flags) {
  if (!gState) return FailHandle(aeInit);
  Collect(*gState);
  std::vector<uint8_t> owned;
  const uint8_t* data = nullptr;
  size_t size = 0;
  if (int error = GetBytes(mem, file, offset, length, owned, data, size)) return FailHandle(error);
  // The decoder reads from owned's buffer, which moving the vector keeps.
  auto source = CreateStreamSource(data, size);
  if (!source) return FailHandle(aeFormat);
  AudioHandle handle = AddChannel(*gState, ChannelKind::Stream, std::move(source), flags, std::move(owned));
  gError = aeOk;
  return handle;
}

namespace {
// Bytes handed over to be decoded off the audio thread: present, and no larger
// than a file the layer would read.
int CheckBuffer(const void* data, uint64_t length) {
  if (!data) return aeIllParam;
  return length > kMaxFileBytes ? aeMemory : aeOk;
}
}  // namespace

std::unique_ptr<AudioSource> Audio_PrepareMusic(bool stream, const void* data, uint64_t length, int& error) {
  error = CheckBuffer(data, length);
  if (error != aeOk) return nullptr;
  const auto* bytes = static_cast<const uint8_t*>(data);
  auto source = stream ? CreateStreamSource(bytes, static_cast<size_t>(length))
                       : CreateModuleSource(bytes, static_cast<size_t>(length));
  if (!source) error = aeFormat;
  return source;
}

AudioHandle Audio_MusicLoadPrepared(std::unique_ptr<AudioSource> source, bool stream, uint32_t flags,
                                    std::vector<uint8_t> owned) {
  if (!gState) return FailHandle(aeInit);
  if (!source) return FailHandle(aeIllParam);
  Collect(*gState);
  // The decoder reads from owned's buffer, which moving the vector keeps.
  AudioHandle handle = AddChannel(*gState, stream ? ChannelKind::Stream : ChannelKind::Music, std::move(source),
                                  flags, std::move(owned));
  gError = aeOk;
  return handle;
}

bool Audio_StreamFree(AudioHandle handle) {
  ChannelRecord* record = FindChannel(handle);
  if (!record) return Fail(gState ? aeHandle : aeInit);
  if (record->Kind == ChannelKind::SampleVoice) return Fail(aeHandle);
  RemoveChannel(*gState, handle);
  return Succeed();
}

bool Audio_MusicFree(AudioHandle handle) { return Audio_StreamFree(handle); }

AudioHandle Audio_SampleLoad(bool mem, const void* file, uint64_t offset, uint32_t length, uint32_t max,
                             uint32_t flags) {
  if (!gState) return FailHandle(aeInit);
  if (max < 1 || max > 65535) return FailHandle(aeIllParam);
  Collect(*gState);
  std::vector<uint8_t> owned;
  const uint8_t* data = nullptr;
  size_t size = 0;
  if (int error = GetBytes(mem, file, offset, length, owned, data, size)) return FailHandle(error);
  auto pcm = std::make_shared<std::vector<float>>();
  if (int error = DecodeToPcm(data, size, kMaxSampleFrames, *pcm)) return FailHandle(error);
  return Audio_SampleLoadDecoded(std::move(pcm), max, flags);
}

std::shared_ptr<const std::vector<float>> Audio_SampleDecode(const void* data, uint32_t length, int& error) {
  error = CheckBuffer(data, length);
  if (error != aeOk) return nullptr;
  auto pcm = std::make_shared<std::vector<float>>();
  error = DecodeToPcm(static_cast<const uint8_t*>(data), length, kMaxSampleFrames, *pcm);
  if (error != aeOk) return nullptr;
  return pcm;
}

AudioHandle Audio_SampleLoadDecoded(std::shared_ptr<const std::vector<float>> pcm, uint32_t max, uint32_t flags) {
  if (!gState) return FailHandle(aeInit);
  if (max < 1 || max > 65535) return FailHandle(aeIllParam);
  if (!pcm || pcm->empty()) return FailHandle(aeFormat);
  SampleRecord sample;
  sample.Pcm = std::move(pcm);
  sample.Max = max;
  sample.Flags = flags;
  AudioHandle handle = NewHandle(*gState);
  gState->Samples.emplace(handle, std::move(sample));
  gError = aeOk;
  return handle;
}

bool Audio_SampleFree(AudioHandle handle) {
  if (!gState) return Fail(aeInit);
  auto it = gState->Samples.find(handle);
  if (it == gState->Samples.end()) return Fail(aeHandle);
  for (AudioHandle voice : it->second.Voices) RemoveChannel(*gState, voice);
  gState->Samples.erase(it);
  return Succeed();
}

AudioHandle Audio_SampleGetChannel(AudioHandle handle, bool onlyNew) {
  if (!gState) return FailHandle(aeInit);
  auto it = gState->Samples.find(handle);
  if (it == gState->Samples.end()) return FailHandle(aeHandle);
  AudioState& state = *gState;
  SampleRecord& sample = it->second;
  bool loop = (sample.Flags & kAudioLoop) != 0;

  // A voice handed out again starts afresh: from the beginning, at full
  // volume, centred, with the sample's own loop setting.
  auto reset = [&](AudioHandle voice) {
    ChannelRecord& record = state.Channels.at(voice);
    record.Volume = 100;
    record.Pan = 0;
    SendGain(state, record);
    Send(state, AudioCommand::SetLoop, record.Channel.get(), loop);
    Send(state, AudioCommand::Rewind, record.Channel.get());
    gError = aeOk;
    return voice;
  };

  for (AudioHandle voice : sample.Voices)
    if (!Busy(state.Channels.at(voice))) return reset(voice);
  if (sample.Voices.size() < sample.Max) {
    AudioHandle voice = AddChannel(state, ChannelKind::SampleVoice, CreatePcmSource(sample.Pcm),
                                   loop ? kAudioLoop : 0, {}, handle);
    sample.Voices.push_back(voice);
    gError = aeOk;
    return voice;
  }
  if (!onlyNew && (sample.Flags & kAudioSampleOverride)) {
    AudioHandle oldest = sample.Voices.front();
    for (AudioHandle voice : sample.Voices)
      if (state.Channels.at(voice).StartedAt < state.Channels.at(oldest).StartedAt) oldest = voice;
    ChannelRecord& record = state.Channels.at(oldest);
    record.Issued = state.NextGeneration++;
    record.IssuedPlay = false;
    Send(state, AudioCommand::Stop, record.Channel.get(), false, record.Issued);
    return reset(oldest);
  }
  return FailHandle(aeNoChannel);
}

bool Audio_ChannelPlay(AudioHandle handle, bool restart) {
  ChannelRecord* record = FindChannel(handle);
  if (!record) return Fail(gState ? aeHandle : aeInit);
  Collect(*gState);
  record->Issued = gState->NextGeneration++;
  record->IssuedPlay = true;
  record->StartedAt = ++gState->PlayOrder;
  Send(*gState, AudioCommand::Play, record->Channel.get(), restart, record->Issued);
  return Succeed();
}

bool Audio_ChannelStop(AudioHandle handle) {
  ChannelRecord* record = FindChannel(handle);
  if (!record) return Fail(gState ? aeHandle : aeInit);
  record->Issued = gState->NextGeneration++;
  record->IssuedPlay = false;
  Send(*gState, AudioCommand::Stop, record->Channel.get(), false, record->Issued);
  return Succeed();
}

bool Audio_ChannelSetFlags(AudioHandle handle, uint32_t flags) {
  ChannelRecord* record = FindChannel(handle);
  if (!record) return Fail(gState ? aeHandle : aeInit);
  Send(*gState, AudioCommand::SetLoop, record->Channel.get(), (flags & kAudioLoop) != 0);
  return Succeed();
}

bool Audio_ChannelSetAttributes(AudioHandle handle, int freq, int volume, int pan) {
  ChannelRecord* record = FindChannel(handle);
  if (!record) return Fail(gState ? aeHandle : aeInit);
  // Changing a channel's playback rate is not something this layer does.
  if (freq != -1 && freq != 0) return Fail(aeNotAvail);
  if (volume < -1 || volume > 100 || pan < -100 || pan > 100) return Fail(aeIllParam);
  if (volume >= 0) record->Volume = volume;
  record->Pan = pan;
  SendGain(*gState, *record);
  return Succeed();
}

int Audio_ChannelIsActive(AudioHandle handle) {
  ChannelRecord* record = FindChannel(handle);
  if (!record) {
    gError = gState ? aeHandle : aeInit;
    return 0;
  }
  gError = aeOk;
  return Busy(*record) ? 1 : 0;
}

int64_t Audio_ChannelGetPosition(AudioHandle handle) {
  ChannelRecord* record = FindChannel(handle);
  if (!record) {
    gError = gState ? aeHandle : aeInit;
    return -1;
  }
  gError = aeOk;
  return record->Channel->Position.load(std::memory_order_relaxed);
}

int Audio_MixForTest(float* out, int frames) {
  if (frames <= 0) return 0;
  if (!gState || gState->Device) {
    std::fill(out, out + 2 * static_cast<size_t>(frames), 0.0f);
    return 0;
  }
  gState->Mixer.Mix(out, frames);
  Collect(*gState);
  return frames;
}

}  // namespace plat
