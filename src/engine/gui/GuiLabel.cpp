#include "engine/gui/GuiLabel.h"

#include <algorithm>

namespace {
enum : int32_t {
  lbText = kGuiClassPropBase,
  lbWordWrap,
  lbTextAdjust,
  lbAlignment,
  lbLineSpacing,
  lbProgressive,
  lbShowDelay
};

// Text starts and ends this far inside the label's edges.
constexpr int kMargin = 4;

struct Word {
  std::string Text;
  bool BreakBefore = false;  // a line feed came before it
};

std::vector<Word> SplitWords(const std::string& text) {
  std::vector<Word> words;
  std::string cur;
  bool pendingBreak = false;
  auto flush = [&] {
    if (!cur.empty()) {
      words.push_back({cur, pendingBreak});
      pendingBreak = false;
      cur.clear();
    }
  };
  for (char c : text) {
    if (c == ' ' || c == '\r' || c == 8) {
      flush();
    } else if (c == '\n') {
      flush();
      pendingBreak = true;
    } else {
      cur += c;
    }
  }
  flush();
  return words;
}

}  // namespace

TGuiLabel::TGuiLabel() : TGuiControl(TGuiKind::Label) {
  Bkgrnd.Active = 0;
  Border.Active = 0;
  Font.SetColors(0xFF000000, 0xFF000000);
  DisabledFont.SetColors(0xFF808080, 0xFF808080);
}

void TGuiLabel::SetText(std::string text) {
  Text_ = std::move(text);
  Shown_ = 0;
  Counter_ = 0;
}

std::string TGuiLabel::VisibleText() const {
  if (!Progressive) return Text_;
  return Text_.substr(0, static_cast<size_t>(std::clamp(Shown_, 0, static_cast<int>(Text_.size()))));
}

void TGuiLabel::Tick() {
  if (!Progressive || Shown_ >= static_cast<int>(Text_.size())) return;
  if (ShowDelay <= 0) {
    Shown_ = static_cast<int>(Text_.size());
    return;
  }
  if (++Counter_ >= ShowDelay) {
    Counter_ = 0;
    ++Shown_;
  }
}

std::vector<TGuiLabel::Line> TGuiLabel::Layout() const {
  std::vector<Word> words = SplitWords(VisibleText());
  std::vector<Line> lines;
  if (!WordWrap) {
    Line line;
    for (Word& w : words) line.Words.push_back(std::move(w.Text));
    line.ParagraphEnd = true;
    if (!line.Words.empty()) lines.push_back(std::move(line));
    return lines;
  }
  TCanopyFonts* fonts = Fonts();
  const TGuiFont& font = TextFont();
  int space = font.Extent(fonts, " ").W;
  int avail = Width() - 2 * kMargin;
  Line line;
  int used = 0;
  for (Word& w : words) {
    int width = font.Extent(fonts, w.Text).W;
    bool fits = line.Words.empty() || used + space + width <= avail;
    if (!line.Words.empty() && (w.BreakBefore || !fits)) {
      line.ParagraphEnd = w.BreakBefore;
      lines.push_back(std::move(line));
      line = Line{};
      used = 0;
    }
    used += (line.Words.empty() ? 0 : space) + width;
    line.Words.push_back(std::move(w.Text));
  }
  if (!line.Words.empty()) {
    line.ParagraphEnd = true;
    lines.push_back(std::move(line));
  }
  return lines;
}

bool TGuiLabel::ApplyProp(int32_t id, uint8_t type, std::string_view value) {
  switch (id) {
    case lbText: SetText(std::string(value)); return true;
    case lbWordWrap:
    case lbProgressive: {
      auto v = ParseGuiBool(value);
      if (!v) return false;
      (id == lbWordWrap ? WordWrap : Progressive) = *v;
      return true;
    }
    case lbTextAdjust:
    case lbAlignment:
    case lbLineSpacing:
    case lbShowDelay: {
      auto v = ParseGuiInt(value);
      if (!v || *v < INT32_MIN || *v > INT32_MAX) return false;
      int n = static_cast<int>(*v);
      if (id == lbTextAdjust) TextAdjust = n;
      if (id == lbAlignment) Alignment = n;
      if (id == lbLineSpacing) LineSpacing = n;
      if (id == lbShowDelay) ShowDelay = n;
      return true;
    }
    default: return TGuiControl::ApplyProp(id, type, value);
  }
}

void TGuiLabel::DrawSelf(const TRect& r) {
  Bkgrnd.Fill(Canvas(), r, DrawFx);
  Border.Frame(Canvas(), r, DrawFx);
  TCanopyFonts* fonts = Fonts();
  const TGuiFont& font = TextFont();
  std::vector<Line> lines = Layout();
  if (lines.empty()) return;
  int space = font.Extent(fonts, " ").W;
  int lineHeight = font.Extent(fonts, "Wg").H;
  int step = LineSpacing > 0 ? LineSpacing : lineHeight;
  int avail = r.Right - r.Left - 2 * kMargin;
  int y = WordWrap ? r.Top + TextAdjust : r.Top + (r.Bottom - r.Top - lineHeight) / 2 + TextAdjust;
  for (const Line& line : lines) {
    if (y > r.Bottom) break;
    std::vector<int> widths;
    int total = 0;
    for (const std::string& w : line.Words) {
      widths.push_back(font.Extent(fonts, w).W);
      total += widths.back();
    }
    int gaps = static_cast<int>(line.Words.size()) - 1;
    int lineWidth = total + gaps * space;
    double gap = space;
    double x = r.Left + kMargin;
    switch (Alignment) {
      case taRight: x = r.Right - kMargin - lineWidth; break;
      case taCenter: x = r.Left + (r.Right - r.Left - lineWidth) / 2.0; break;
      case taJustify:
        if (gaps > 0 && !line.ParagraphEnd) gap = static_cast<double>(avail - total) / gaps;
        break;
      default: break;
    }
    for (size_t i = 0; i < line.Words.size(); ++i) {
      font.TextOut(fonts, line.Words[i], static_cast<float>(x), static_cast<float>(y), DrawFx);
      x += widths[i] + gap;
    }
    y += step;
  }
}
