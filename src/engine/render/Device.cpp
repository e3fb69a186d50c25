// The rendering device and the notice link between it and its subscribers.
#include "engine/render/Device.h"

#include <algorithm>

#include "platform/Platform.h"

TCanopySubscriber::~TCanopySubscriber() { SetPublisher(nullptr); }

void TCanopySubscriber::SetPublisher(TCanopyPublisher* publisher) {
  if (publisher == Publisher_) return;
  if (Publisher_) {
    auto& list = Publisher_->Subscribers_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  Publisher_ = publisher;
  if (Publisher_) Publisher_->Subscribers_.push_back(this);
}

TCanopyPublisher::~TCanopyPublisher() {
  for (TCanopySubscriber* s : Subscribers_) s->Publisher_ = nullptr;
}

bool TCanopyPublisher::Broadcast(int code) {
  bool answer = true;
  // A copy, so that a subscriber may leave the list while it answers.
  const std::vector<TCanopySubscriber*> list = Subscribers_;
  for (TCanopySubscriber* s : list) {
    answer = s->HandleNotice(code);
    if (!answer) break;
  }
  return answer;
}

TCanopyDevice::TCanopyDevice(plat::Renderer* renderer) : Renderer_(renderer) {}

TCanopyDevice::~TCanopyDevice() { Finalize(); }

bool TCanopyDevice::Initialize() {
  if (Initialized_) return true;
  if (!Renderer_) return false;
  Initialized_ = true;
  Lost_ = false;
  if (!Broadcast(dnCreated)) {
    Finalize();
    return false;
  }
  bool success = true;
  if (OnInitialize) OnInitialize(*this, success);
  if (!success) Finalize();
  return success;
}

void TCanopyDevice::Finalize() {
  if (!Initialized_) return;
  if (OnFinalize) OnFinalize(*this);
  Broadcast(dnFinalizing);
  Initialized_ = false;
  Lost_ = false;
}

bool TCanopyDevice::Reset() {
  if (!Initialized_) return false;
  Broadcast(dnLost);
  // An SDL renderer keeps its textures and target through a mode change, so
  // there is nothing to rebuild below us.
  Lost_ = false;
  Broadcast(dnReset);
  return true;
}

void TCanopyDevice::NotifyRenderTargetsReset() {
  if (!Initialized_) return;
  Lost_ = true;
  Broadcast(dnLost);
  Lost_ = false;
  Broadcast(dnReset);
}

bool TCanopyDevice::Render(TColor color, bool clear) {
  if (!Initialized_ || Lost_ || !OnRender) return false;
  if (clear) Clear(color);
  if (!BeginScene()) return false;
  OnRender(*this);
  EndScene();
  return true;
}

bool TCanopyDevice::Present() {
  if (!Initialized_ || Lost_) return false;
  Renderer_->Present();
  return true;
}

void TCanopyDevice::Clear(TColor color) {
  if (Initialized_ && !Lost_) Renderer_->Clear(color);
}

bool TCanopyDevice::BeginScene() {
  if (!Initialized_ || Lost_) return false;
  Broadcast(dnBeginScene);
  return true;
}

void TCanopyDevice::EndScene() {
  if (Initialized_) Broadcast(dnEndScene);
}
