#include "support/RenderFixtures.h"

#include <stdexcept>

#include "platform/SdlRenderer.h"

namespace render_test {

namespace {

std::unique_ptr<plat::Renderer> Headless() {
  std::string error;
  auto r = plat::CreateSdlRenderer(nullptr, 800, 600, false, error);
  if (!r) throw std::runtime_error("headless renderer: " + error);
  return r;
}

}  // namespace

RenderRig::RenderRig(std::unique_ptr<plat::Renderer> backEnd)
    : BackEnd_(backEnd ? std::move(backEnd) : Headless()), Device(BackEnd_.get()) {
  Device.Width = 800;
  Device.Height = 600;
  Canvas.Antialias = false;
  Canvas.SetPublisher(&Device);
  Images.SetPublisher(&Device);
  Fonts.SetPublisher(&Device);
  Fonts.Canvas = &Canvas;
  if (!Device.Initialize()) throw std::runtime_error("device did not initialise");
}

RenderRig::~RenderRig() { Device.Finalize(); }

TCanopyImage* RenderRig::AddImage(const std::string& name, const TImageRecord& record, TAlphaLevel alpha) {
  TCanopyImage* image = Images.Add();
  image->Name = name;
  image->AlphaLevel = alpha;
  if (!image->LoadFromRecord(record)) throw std::runtime_error("image did not load: " + image->LastError());
  return image;
}

TCanopyFont* RenderRig::AddFont(const TFontRecord& record) {
  TCanopyFont* font = Fonts.Add();
  if (!font->LoadFromRecord(record)) throw std::runtime_error("font did not load");
  return font;
}

}  // namespace render_test
