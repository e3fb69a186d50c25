// Short messages for the player at the foot of the screen, and the one that
// tells of full screen refused by the window system.
#include "app/Main.h"
#include "engine/render/Fonts.h"
#include "screens/Menus.h"

namespace {
// Four seconds.
constexpr int64_t kStatusLineTicks = 480;
}  // namespace

void Tmain::ShowStatusLine(const std::string& text) {
  StatusLine_ = text;
  StatusLineUntil_ = TotalTicks + kStatusLineTicks;
}

const std::string& Tmain::StatusLine() const {
  static const std::string kNone;
  return TotalTicks < StatusLineUntil_ ? StatusLine_ : kNone;
}

void Tmain::DrawStatusLine() {
  const std::string& text = StatusLine();
  if (text.empty()) return;
  TCanopyFont* f = Fonts.Items(1);
  if (!f) return;
  f->Scale = 1.0;
  // A dark strip with a gilt edge, over whatever the screen shows.
  const float w = static_cast<float>(f->TextWidth(text)), h = static_cast<float>(f->TextHeight(text));
  const float left = 400.0f - w / 2.0f - 14.0f, right = 400.0f + w / 2.0f + 14.0f;
  const float top = 548.0f, bottom = top + h + 14.0f;
  Canvas.FillRect(left - 1, top - 1, right + 1, bottom + 1, 0xFF3A7FB8, kBlendAlpha);
  Canvas.FillRect(left, top, right, bottom, 0xF0101C24, kBlendAlpha);
  f->TextOutEx(text, 0xFFE8FAFF, 400.0f - w / 2.0f, top + 7.0f, 0xFFA0D8F0, kBlendAlpha);
}

void Tmain::WatchFullScreen() {
  if (!FullScreenWanted_ || Platform.FullScreen()) return;
  FullScreenRefused();
}

void Tmain::FullScreenRefused() {
  FullScreenWanted_ = false;
  ShowStatusLine("Full screen is not available on this display; the game stays in its window.");
  // The options' box shows what the window system gave.
  Menus->ShowFullScreenBox();
}
