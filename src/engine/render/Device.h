// The rendering device and the publisher/subscriber link through which device
// events reach the canvas, the image and font lists, the GUI and the particles.
#pragma once

#include <functional>
#include <vector>

#include "engine/render/CanopyTypes.h"

namespace plat {
class Renderer;
}

// Notice codes broadcast by the device.
enum TDeviceNotice : int {
  dnCreated = 256,        // device created
  dnFinalizing = 257,     // device about to be released
  dnLost = 258,           // device lost, before a reset
  dnReset = 259,          // device reset
  dnBeginScene = 260,     // scene begun
  dnEndScene = 261        // scene about to end
};

class TCanopyPublisher;

class TCanopySubscriber {
 public:
  virtual ~TCanopySubscriber();
  // Joins the publisher's list (leaving the previous one).
  void SetPublisher(TCanopyPublisher* publisher);
  TCanopyPublisher* Publisher() const { return Publisher_; }
  // Answers a device notice; false stops the broadcast.
  virtual bool HandleNotice(int code) = 0;

 private:
  friend class TCanopyPublisher;
  TCanopyPublisher* Publisher_ = nullptr;
};

class TCanopyPublisher {
 public:
  virtual ~TCanopyPublisher();
  // Sends code to the subscribers in list order; stops at the first false and
  // returns the last answer (true when there are no subscribers).
  bool Broadcast(int code);
  const std::vector<TCanopySubscriber*>& Subscribers() const { return Subscribers_; }

 private:
  friend class TCanopySubscriber;
  std::vector<TCanopySubscriber*> Subscribers_;
};

enum TBitDepth { bdLow, bdHigh };

class TCanopyDevice : public TCanopyPublisher {
 public:
  explicit TCanopyDevice(plat::Renderer* renderer);
  ~TCanopyDevice() override;

  int Width = 640, Height = 480;
  TBitDepth BitDepth = bdHigh;
  int Refresh = 0;
  bool Windowed = true;
  bool VSync = false;
  bool HardwareTL = true;
  bool DepthBuffer = false;

  std::function<void(TCanopyDevice& sender, bool& success)> OnInitialize;
  std::function<void(TCanopyDevice& sender)> OnFinalize;
  std::function<void(TCanopyDevice& sender)> OnRender;

  bool Initialize();
  void Finalize();
  bool Reset();
  // Clears (when clear is set) to colour, runs the scene and OnRender.
  bool Render(TColor color, bool clear);
  bool Present();
  void Clear(TColor color);
  bool BeginScene();
  void EndScene();

  // The platform calls this when the renderer reports that its render targets
  // (or the whole device) were reset: the subscribers hear "lost" and "reset"
  // so that nothing half-built survives into the next frame.
  void NotifyRenderTargetsReset();

  bool Initialized() const { return Initialized_; }
  bool Lost() const { return Lost_; }
  plat::Renderer* Renderer() const { return Renderer_; }

 private:
  plat::Renderer* Renderer_;
  bool Initialized_ = false;
  bool Lost_ = false;
};
