// The audio layer: tracker music, streams and samples played from memory,
// mixed by our own mixer on SDL's audio thread.
//
// All functions are called from the game thread. The mixer shares nothing with
// it but the memory blocks handed to Audio_StreamCreateFile (which must stay
// unchanged until the stream is freed) and a briefly locked command queue, so
// no call here ever waits on decoding.
//
// Without an audio device (SDL's "dummy" driver, no sound hardware, or
// Audio_SetNoDevice before Audio_Init) every call behaves the same and nothing
// is heard; the mixer then runs only when Audio_MixForTest pulls from it.
//
// Handles are non-zero on success. Every call sets the code Audio_ErrorGetCode
// returns: 0 when it succeeded, one of AudioError otherwise.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace plat {

class AudioSource;  // AudioDecoders.h

using AudioHandle = uint32_t;  // 0 = none

constexpr uint32_t kAudioVersion = 0x00020002;  // major 2, minor 2
constexpr int kAudioRate = 44100;               // the mixer's output rate

// Channel flags.
constexpr uint32_t kAudioLoop = 4;  // play again from the start on reaching the end
// Sample flag: when every voice of a sample is busy, Audio_SampleGetChannel
// takes over the voice that has been playing longest.
constexpr uint32_t kAudioSampleOverride = 64;

enum AudioError : int {
  aeOk = 0,
  aeMemory = 1,     // data too large
  aeFileOpen = 2,   // a file could not be read
  aeHandle = 5,     // not a valid handle of the right kind
  aeFormat = 6,     // the data is not in a format we can play
  aeInit = 8,       // Audio_Init has not been called
  aeAlready = 14,   // Audio_Init was already called
  aeNoChannel = 18, // every voice of the sample is busy
  aeIllParam = 20,  // an argument is out of range
  aeNotAvail = 37,  // a feature this layer does not provide
};

uint32_t Audio_GetVersion();
int Audio_ErrorGetCode();

// Forces the next Audio_Init to run without a device (headless runs).
void Audio_SetNoDevice(bool noDevice);

// device: -1 the default output, 0 no output, n > 0 the n-th output device.
// freq is the rate asked of the device; the mixer always runs at 44100 Hz and
// SDL converts. flags, window and classId are accepted and ignored. Fails only
// when already initialised; a missing device is not a failure.
bool Audio_Init(int device, uint32_t freq, uint32_t flags, void* window, const void* classId);
// Stops and resumes the output; channels keep their state meanwhile.
bool Audio_Start();
bool Audio_Stop();
// Closes the device and frees every music, stream and sample.
bool Audio_Free();
// True when a real output device is open.
bool Audio_HasDevice();

// Tracker modules (IT, XM, S3M, MOD and whatever else libopenmpt reads).
// mem true: file points at length bytes of data (copied; offset ignored).
// mem false: file is a path (const char*); offset and length (0 = to the end)
// select the part of the file to read. flags: kAudioLoop. freq is ignored.
AudioHandle Audio_MusicLoad(bool mem, const void* file, uint64_t offset, uint32_t length, uint32_t flags,
                            uint32_t freq);
// Streams: OGG Vorbis, MP3 or WAV, recognised by their content, decoded on the
// mixer's thread while they play. mem true: the stream plays straight from the
// caller's memory, which must stay allocated and unchanged until
// Audio_StreamFree (offset ignored). mem false: as for Audio_MusicLoad.
AudioHandle Audio_StreamCreateFile(bool mem, const void* file, uint64_t offset, uint64_t length, uint32_t flags);
// The two halves of Audio_MusicLoad and Audio_StreamCreateFile (mem true),
// so that the slow one can run away from the game thread.
// Any thread (it touches no state of the layer): a tracker module (stream
// false; the data is copied) or a stream that will play straight from data,
// which must then stay allocated and unchanged until the channel made of it
// is freed. nullptr, with error set to aeFormat (aeMemory when too large),
// when the data is nothing we can play; error is aeOk otherwise.
std::unique_ptr<AudioSource> Audio_PrepareMusic(bool stream, const void* data, uint64_t length, int& error);
// The game thread: the prepared music as a new stopped channel, as
// Audio_MusicLoad or Audio_StreamCreateFile would have made it. A stream may
// hand over the bytes it plays from (owned): they then stay with the channel
// and go when the mixer has let go of it, however soon it is freed.
AudioHandle Audio_MusicLoadPrepared(std::unique_ptr<AudioSource> source, bool stream, uint32_t flags,
                                    std::vector<uint8_t> owned = {});
// Frees a stream or a music.
bool Audio_StreamFree(AudioHandle handle);
bool Audio_MusicFree(AudioHandle handle);

// Samples: OGG, MP3 or WAV decoded once, here, to PCM. Up to max voices of one
// sample sound at once. flags: kAudioLoop (voices loop), kAudioSampleOverride.
AudioHandle Audio_SampleLoad(bool mem, const void* file, uint64_t offset, uint32_t length, uint32_t max,
                             uint32_t flags);
bool Audio_SampleFree(AudioHandle sample);
// The two halves of Audio_SampleLoad (mem true), so that decoding can run on
// other threads. Any thread: the sample decoded (it touches no state of the
// layer); nullptr, with error set, when it cannot be.
std::shared_ptr<const std::vector<float>> Audio_SampleDecode(const void* data, uint32_t length, int& error);
// The game thread: the decoded sample as Audio_SampleLoad would have made it.
AudioHandle Audio_SampleLoadDecoded(std::shared_ptr<const std::vector<float>> pcm, uint32_t max, uint32_t flags);
// A channel to play the sample on, rewound to its start: an idle voice, a new
// one while fewer than max exist, or (kAudioSampleOverride, onlyNew false) the
// voice playing longest. 0 with aeNoChannel when none can be had.
AudioHandle Audio_SampleGetChannel(AudioHandle sample, bool onlyNew);

// Channels: a music, a stream or a sample voice.
// restart true plays from the beginning; false plays on from where the channel
// stopped (from the beginning if it had played to its end).
bool Audio_ChannelPlay(AudioHandle handle, bool restart);
// Stops the channel where it is; stopping a stopped channel is harmless.
bool Audio_ChannelStop(AudioHandle handle);
// Sets the channel's flags; kAudioLoop is the one that matters.
bool Audio_ChannelSetFlags(AudioHandle handle, uint32_t flags);
// freq: -1 unchanged (other rates are not supported); volume 0..100 (-1
// unchanged); pan -100 (left) .. 100 (right).
bool Audio_ChannelSetAttributes(AudioHandle handle, int freq, int volume, int pan);
// 1 while the channel plays, 0 when stopped or ended (as the game has asked for
// it: a play just asked for counts as playing).
int Audio_ChannelIsActive(AudioHandle handle);
// Frames played since the channel last started from its beginning, as the
// mixer last reported it; -1 for an invalid handle.
int64_t Audio_ChannelGetPosition(AudioHandle handle);

// Without a device: mixes the next frames (interleaved stereo float) on the
// calling thread and returns their count. With a device, or before Audio_Init,
// fills silence and returns 0.
int Audio_MixForTest(float* out, int frames);

}  // namespace plat
