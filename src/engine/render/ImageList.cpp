// The image list: loading the archive's images with every core decoding while
// the game thread makes the textures, the images decoded when first drawn, and
// pictures read ahead of their use.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <map>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "engine/archive/CPDb.h"
#include "engine/core/TextCompare.h"
#include "engine/core/ThreadPriority.h"
#include "engine/render/Images.h"
#include "platform/Platform.h"

namespace {

plat::Renderer* RendererOf(TCanopyPublisher* publisher) {
  auto* device = dynamic_cast<TCanopyDevice*>(publisher);
  return device ? device->Renderer() : nullptr;
}

std::string LowerName(std::string_view name) {
  std::string lower(name);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

// One image record of LoadFromCPDb, from the question to the decoded pixels.
struct TLoadJob {
  std::string Key, Name;
  TCanopyQuality Quality = aqHigh;
  TAlphaLevel Alpha = alFull;
  bool Deferred = false;   // only its header now, its pixels when first drawn
  uint64_t Original = 0;   // the bytes the archive says it unpacks to
  std::string Refused;     // why it is refused before being read
  bool Done = false;
  bool Ok = false;
  std::string Error;
  TDecodedImage Image;

  void Decode(TCPDb& archive, const TImageLimits& limits, bool concurrent) {
    if (!Refused.empty()) {
      Error = Refused;
      return;
    }
    try {
      Ok = Deferred ? Image.DecodeHeader(archive, Key, Original, limits, Error)
                    : Image.Decode(archive, Key, Alpha, limits, concurrent, Error);
    } catch (const std::bad_alloc&) {
      Image.Release();
      Ok = false;
      Error = "not enough memory";
    }
  }
};

// Decoding threads working through the jobs in order, at most Window jobs
// ahead of the textures, so that the pixels waiting for them stay few.
class TDecodePool {
 public:
  TDecodePool(std::vector<TLoadJob>& jobs, TCPDb& archive, const TImageLimits& limits, unsigned threads)
      : Jobs_(jobs), Archive_(archive), Limits_(limits), Window_(threads + 1) {
    try {
      for (unsigned i = 0; i < threads; ++i) Threads_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      // Fewer threads than asked; with none, the game thread decodes (Wait).
    }
  }
  ~TDecodePool() {
    {
      std::lock_guard<std::mutex> lock(Mutex_);
      Stop_ = true;
    }
    Changed_.notify_all();
    for (std::thread& t : Threads_) t.join();
  }

  // Job i, decoded.
  TLoadJob& Wait(size_t i) {
    if (Threads_.empty()) {
      Jobs_[i].Decode(Archive_, Limits_, false);
      return Jobs_[i];
    }
    std::unique_lock<std::mutex> lock(Mutex_);
    Changed_.wait(lock, [&] { return Jobs_[i].Done; });
    return Jobs_[i];
  }
  // Job i has its textures: one more may be decoded.
  void Taken(size_t i) {
    {
      std::lock_guard<std::mutex> lock(Mutex_);
      Taken_ = i + 1;
    }
    Changed_.notify_all();
  }

 private:
  void Work() {
    for (;;) {
      size_t i;
      {
        std::unique_lock<std::mutex> lock(Mutex_);
        Changed_.wait(lock, [&] { return Stop_ || Next_ >= Jobs_.size() || Next_ < Taken_ + Window_; });
        if (Stop_ || Next_ >= Jobs_.size()) return;
        i = Next_++;
      }
      Jobs_[i].Decode(Archive_, Limits_, true);
      {
        std::lock_guard<std::mutex> lock(Mutex_);
        Jobs_[i].Done = true;
      }
      Changed_.notify_all();
    }
  }

  std::vector<TLoadJob>& Jobs_;
  TCPDb& Archive_;
  const TImageLimits& Limits_;
  const size_t Window_;
  std::mutex Mutex_;
  std::condition_variable Changed_;
  size_t Next_ = 0, Taken_ = 0;
  bool Stop_ = false;
  std::vector<std::thread> Threads_;
};

// A picture read ahead: its archive and the decode under way.
struct TPrefetchedPicture {
  TCPDb* Archive = nullptr;
  std::future<std::pair<bool, TBitmap32>> Result;
};

}  // namespace

// Work the list does on other threads after loading.
struct TCanopyImages::Background {
  std::thread Decoder;  // the waiting images, decoded in list order
  std::atomic<bool> Stop{false};
  bool Uploading = false;  // decoded images still get their textures at the end of scenes
  std::map<std::string, TPrefetchedPicture> Pictures;  // by lower-cased key
  // Reads ahead that were not waited for: they end on their own, and are
  // waited for only when the list stops its background work.
  std::vector<std::future<std::pair<bool, TBitmap32>>> Abandoned;

  ~Background() {
    Stop = true;
    if (Decoder.joinable()) Decoder.join();
    // The pictures' futures wait for their decodes as they go.
  }
};

TCanopyImages::TCanopyImages() = default;

TCanopyImages::~TCanopyImages() {
  RemoveAll();
  SetPublisher(nullptr);
}

bool TCanopyImages::HandleNotice(int code) {
  if (code == dnFinalizing) RemoveAll();
  if (code == dnEndScene) UploadOneDecoded();
  return true;
}

TCanopyImage* TCanopyImages::Items(int i) const {
  if (i < 0 || i >= Count()) return nullptr;
  return Items_[static_cast<size_t>(i)].get();
}

TCanopyImage* TCanopyImages::Find(std::string_view name) const { return Items(IndexOf(name)); }

int TCanopyImages::IndexOf(std::string_view name) const {
  for (int i = 0; i < Count(); ++i) {
    if (SameText(Items_[static_cast<size_t>(i)]->Name, name)) return i;
  }
  return -1;
}

TCanopyImage* TCanopyImages::Add() {
  auto image = std::make_unique<TCanopyImage>();
  image->SetRenderer(RendererOf(Publisher()));
  image->MipMapping = MipMappping;
  Items_.push_back(std::move(image));
  return Items_.back().get();
}

void TCanopyImages::Remove(int i) {
  if (i < 0 || i >= Count()) return;
  Items_.erase(Items_.begin() + i);
}

void TCanopyImages::RemoveAll() {
  StopBackground();
  Items_.clear();
}

void TCanopyImages::StopBackground() { Background_.reset(); }

int TCanopyImages::WaitingCount() const {
  return static_cast<int>(std::count_if(Items_.begin(), Items_.end(), [](const auto& i) { return i->Waiting(); }));
}

bool TCanopyImages::LoadImage(const std::string& key, TCPDb& archive, TCanopyQuality quality,
                              TAlphaLevel alphaLevel) {
  LastError_.clear();
  if (!archive.Open()) {
    LastError_ = "cannot open " + archive.FileName();
    return false;
  }
  const int index = archive.IndexOf(key);
  if (index < 0) {
    LastError_ = key + ": no such record";
    return false;
  }
  if (archive.RecordType(index) != kRecordImage) {
    LastError_ = key + ": not an image record";
    return false;
  }
  // The size the record claims is checked before it is unpacked: a small
  // record may claim to inflate to hundreds of megabytes.
  const TImageLimits limits = TImageLimits::Of(RendererOf(Publisher()));
  const uint64_t claimed = archive.Entries()[static_cast<size_t>(index)].OriginalSize;
  if (claimed > limits.MaxRecordBytes) {
    LastError_ = key + ": the record claims " + std::to_string(claimed) + " bytes, more than an image may hold (" +
                 std::to_string(limits.MaxRecordBytes) + ")";
    return false;
  }
  TCanopyImage* image = Add();
  image->Name = key;
  image->Quality = quality;
  image->AlphaLevel = alphaLevel;
  TDecodedImage decoded;
  std::string error;
  const bool ok = decoded.Decode(archive, key, alphaLevel, limits, false, error) && image->LoadDecoded(decoded);
  if (!ok) {
    LastError_ = key + ": " + (error.empty() ? image->LastError() : error);
    Remove(Count() - 1);
  }
  return ok;
}

bool TCanopyImages::LoadFromCPDb(TCPDb& archive) {
  LastError_.clear();
  if (!archive.Open()) {
    LastError_ = "cannot open " + archive.FileName();
    return false;
  }
  const TImageLimits limits = TImageLimits::Of(RendererOf(Publisher()));
  // Every image record is asked about first, in order, with the index it will
  // have; the answers say how each is decoded.
  std::vector<TLoadJob> jobs;
  const int records = archive.RecordCount();
  for (int i = 0; i < records; ++i) {
    if (archive.RecordType(i) != kRecordImage) continue;
    TLoadJob job;
    job.Key = job.Name = archive.RecordKey(i);
    bool accept = true;
    if (OnCPDbLoad)
      OnCPDbLoad(*this, job.Key, Count() + static_cast<int>(jobs.size()), accept, job.Name, job.Quality, job.Alpha);
    if (!accept) continue;
    // The size the record claims is checked before it is unpacked: a small
    // record may claim to inflate to hundreds of megabytes. (A read of the key
    // finds the first record of that name.)
    const int index = std::max(0, archive.IndexOf(job.Key));
    job.Original = archive.Entries()[static_cast<size_t>(index)].OriginalSize;
    if (job.Original > limits.MaxRecordBytes)
      job.Refused = "the record claims " + std::to_string(job.Original) + " bytes, more than an image may hold (" +
                    std::to_string(limits.MaxRecordBytes) + ")";
    job.Deferred = DecodeWhenDrawn && DecodeWhenDrawn(job.Name);
    jobs.push_back(std::move(job));
  }
  if (jobs.empty()) return true;

  unsigned threads = DecodeThreads > 0 ? static_cast<unsigned>(DecodeThreads)
                                       : std::max(1u, std::thread::hardware_concurrency());
  threads = std::min<unsigned>(threads, static_cast<unsigned>(jobs.size()));
  // One thread decodes on this one: no pool.
  TDecodePool pool(jobs, archive, limits, threads > 1 ? threads : 0);
  for (size_t i = 0; i < jobs.size(); ++i) {
    TLoadJob& job = pool.Wait(i);
    if (!job.Ok) {
      LastError_ = job.Key + ": " + job.Error;
      return false;
    }
    TCanopyImage* image = Add();
    image->Name = job.Name;
    image->Quality = job.Quality;
    image->AlphaLevel = job.Alpha;
    bool ok = true;
    if (!job.Deferred) {
      ok = image->LoadDecoded(job.Image);
    } else if (!image->Renderer()) {
      ok = false;
      job.Error = "no renderer to hold the textures";
    } else {
      auto deferred = std::make_shared<TDeferredDecode>();
      deferred->Archive = &archive;
      deferred->Key = job.Key;
      deferred->AlphaLevel = job.Alpha;
      deferred->Limits = limits;
      image->Defer(job.Image, std::move(deferred), [this, name = job.Name](const std::string& error) {
        if (OnDecodeFailed) OnDecodeFailed(name, error);
      });
    }
    if (!ok) {
      LastError_ = job.Key + ": " + (job.Error.empty() ? image->LastError() : job.Error);
      Remove(Count() - 1);
      return false;
    }
    job.Image.Release();
    pool.Taken(i);
  }
  return true;
}

void TCanopyImages::DecodeWaitingInBackground() {
  if (!Background_) Background_ = std::make_unique<Background>();
  Background& work = *Background_;
  if (work.Decoder.joinable()) return;  // once
  std::vector<std::shared_ptr<TDeferredDecode>> queue;
  for (const auto& image : Items_)
    if (image->Waiting()) queue.push_back(image->DeferredDecode());
  if (queue.empty()) return;
  try {
    work.Decoder = std::thread([&work, queue = std::move(queue)] {
      LowerThisThreadsPriority();
      for (const auto& deferred : queue) {
        if (work.Stop) return;
        deferred->DecodeHere(true);
      }
    });
    work.Uploading = true;
  } catch (const std::system_error&) {
    // No thread: each image is decoded when first drawn.
  }
}

void TCanopyImages::UploadOneDecoded() {
  if (!Background_ || !Background_->Uploading) return;
  for (const auto& image : Items_) {
    if (!image->Waiting()) continue;
    // The decoder goes in list order: the first image waiting is the next
    // to be ready.
    if (image->DecodedInBackground()) image->MakeWaitingTextures();
    return;
  }
  // Nothing waits any more. (The decoder may still finish a picture that was
  // drawn before it got there; it is joined when the list stops.)
  Background_->Uploading = false;
}

void TCanopyImages::PrefetchPicture(const std::string& key, TCPDb& archive) {
  if (!archive.Open()) return;
  const int index = archive.IndexOf(key);
  if (index < 0) return;
  const int type = archive.RecordType(index);
  if (!Background_) Background_ = std::make_unique<Background>();
  const std::string lower = LowerName(key);
  if (Background_->Pictures.count(lower)) return;
  try {
    TPrefetchedPicture picture;
    picture.Archive = &archive;
    picture.Result = std::async(std::launch::async, [&archive, key, type] {
      LowerThisThreadsPriority();
      std::pair<bool, TBitmap32> result{false, {}};
      std::vector<uint8_t> bytes;
      result.first = archive.ReadRecordConcurrently(key, bytes) && DecodeBitmapRecord(key, type, bytes, result.second);
      return result;
    });
    Background_->Pictures.emplace(lower, std::move(picture));
  } catch (const std::system_error&) {
    // No thread: the picture is read when it is asked for.
  }
}

bool TCanopyImages::LoadPicture(const std::string& key, TBitmap32& bitmap, TCPDb& archive) {
  if (Background_) {
    auto it = Background_->Pictures.find(LowerName(key));
    if (it != Background_->Pictures.end() && it->second.Archive == &archive) {
      std::future<std::pair<bool, TBitmap32>> result = std::move(it->second.Result);
      Background_->Pictures.erase(it);
      // The reading thread gives way to every other: should it not be done
      // at once, the picture is read here rather than waited for.
      if (result.wait_for(std::chrono::milliseconds(4)) != std::future_status::ready) {
        Background_->Abandoned.push_back(std::move(result));
        return LoadBitmap(key, bitmap, archive);
      }
      try {
        std::pair<bool, TBitmap32> picture = result.get();
        if (picture.first) {
          bitmap = std::move(picture.second);
          return true;
        }
      } catch (const std::bad_alloc&) {
        // Read again below, where running out of memory is handled as ever.
      }
    }
  }
  // Not read ahead, or the read failed: read it here, failing as ever.
  return LoadBitmap(key, bitmap, archive);
}
