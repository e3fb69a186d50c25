#include "magic/TimeReadout.h"

#include <algorithm>

#include "board/Board.h"
#include "engine/render/Canvas.h"
#include "engine/render/Fonts.h"
#include "engine/render/Images.h"
#include "magic/MagicHost.h"

namespace {

constexpr int kDigitsFont = 2;
// Colours are 0xAABBGGRR: white digits, going to a warm red at each beat of
// the warning.
constexpr TColor kDigitsTop = 0xFFFFFFFF;
constexpr TColor kDigitsBottom = 0xFFD8E8F0;
constexpr TColor kWarnTop = 0xFF60C8FF;
constexpr TColor kWarnBottom = 0xFF2040F0;

TColor Mix(TColor a, TColor b, double t) {
  TColor out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const double ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
    const auto c = static_cast<TColor>(ca + (cb - ca) * std::clamp(t, 0.0, 1.0) + 0.5);
    out |= (c & 0xFF) << shift;
  }
  return out;
}

}  // namespace

TClockLook ClockLookOf(const TBoard& board) {
  TClockLook look;
  const int left = board.Options.LevelTime - board.ElapsedSeconds;
  look.SecondsLeft = std::max(0, left);
  look.Warning = ClockWarns(left) && !board.Cleared && !board.Completed && !board.TimeOver;
  if (look.Warning) {
    // A second of the clock is 121 ticks: the beat comes as it begins.
    const double t = 1.0 - std::clamp(board.SecondTicks, 0, 120) / 121.0;
    look.Pulse = t * t;
  }
  return look;
}

std::string ClockDigits(int secondsLeft) { return std::to_string(std::max(0, secondsLeft)); }

void DrawClockPlate(TMagicHost& game, const TClockLook& look) {
  const float left = kClockPlateLeft, top = kClockPlateTop;
  const float right = left + kClockPlateWidth, bottom = top + kClockPlateHeight;
  if (TCanopyImage* plate = game.Images.Find("gui-clock.image")) {
    game.Canvas.Draw(plate, 0, left, top, kBlendAlpha);
  } else {
    game.Canvas.FillRect(left, top, right, bottom, 0xF0182010, kBlendAlpha);
  }
  if (look.Warning) {
    // The plate glows warm with each beat.
    const auto a = static_cast<uint32_t>(110.0 * look.Pulse);
    game.Canvas.FillRect(left + 2, top + 2, right - 2, bottom - 2, (a << 24) | 0x2050FF, kBlendAdditive);
  }
  TCanopyFont* font = game.Fonts.Items(kDigitsFont);
  if (!font) return;
  const std::string digits = ClockDigits(look.SecondsLeft);
  const double before = font->Scale;
  font->Scale = 1.0;
  // Wide numbers shrink to fit the plate; the warning's beat swells them.
  const double room = kClockPlateWidth - 8.0;
  const double width = font->TextWidth(digits);
  double scale = width > room ? room / width : 1.0;
  if (look.Warning) scale *= 1.0 + 0.22 * look.Pulse;
  font->Scale = scale;
  const float w = static_cast<float>(font->TextWidth(digits));
  const float h = static_cast<float>(font->TextHeight(digits));
  const float x = left + (kClockPlateWidth - w) / 2.0f, y = top + (kClockPlateHeight - h) / 2.0f;
  if (look.Warning)
    font->TextOutEx(digits, Mix(kWarnTop, kDigitsTop, 0.35 * (1.0 - look.Pulse)), x, y,
                    Mix(kWarnBottom, kDigitsBottom, 0.35 * (1.0 - look.Pulse)), kBlendAlpha);
  else
    font->TextOutEx(digits, kDigitsTop, x, y, kDigitsBottom, kBlendAlpha);
  font->Scale = before;
}

void DrawRelaxedLabel(TMagicHost& game) {
  TCanopyFont* font = game.Fonts.Items(kDigitsFont);
  if (!font) return;
  const double before = font->Scale;
  font->Scale = 1.0;
  const std::string text = "Relaxed Play";
  // In the middle of the vine's channel, soft gold on its dark green.
  const float x = 168.0f - static_cast<float>(font->TextWidth(text)) / 2.0f;
  const float y = 567.0f - static_cast<float>(font->TextHeight(text)) / 2.0f;
  font->TextOutEx(text, 0xFFB8F0FF, x, y, 0xFF40A8D8, kBlendAlpha);
  font->Scale = before;
}
