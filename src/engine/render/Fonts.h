// Bitmap fonts: one pattern per glyph, drawn through the canvas.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/render/CanopyTypes.h"
#include "engine/render/Device.h"
#include "engine/render/ImageRecord.h"
#include "engine/render/Images.h"

class TCanopyCanvas;
class TCanopyFonts;
class TCPDb;

enum TFontStyleFx : uint32_t { feBold = 1, feItalic = 2, feShadow = 4, feEmboss = 8 };

class TCanopyFont {
 public:
  explicit TCanopyFont(TCanopyFonts* owner);
  ~TCanopyFont();

  std::string Name;
  double Scale = 1.0;
  uint32_t Style = 0;  // TFontStyleFx bits
  bool TextTags = true;
  double Interleave = 0;
  double ShadowIntensity = 0.5;
  TColor ShadowColor = 0;
  double ShadowDistance = 1.0;
  double EmbossStrength = 0.8;
  TColor EmbossColor = 0;
  double BlankSpacing = 0.3;

  bool Loaded() const;
  bool LoadFromRecord(const TFontRecord& record);

  void TextOut(std::string_view text, TColor color, float x, float y);
  void TextOutEx(std::string_view text, TColor top, float x, float y, TColor bottom, int effect);
  TSize TextExtent(std::string_view text) const;
  int TextWidth(std::string_view text) const { return TextExtent(text).W; }
  int TextHeight(std::string_view text) const { return TextExtent(text).H; }

  TCanopyFonts* Owner() const { return Owner_; }
  TCanopyImage& Image() { return Image_; }

 private:
  TCanopyFonts* Owner_;
  TCanopyImage Image_;
  uint8_t FirstChar_ = 32;
  int32_t ExtraAdvance_ = 0;
  std::vector<TGlyph> Glyphs_;
  bool Loaded_ = false;
};

class TCanopyFonts : public TCanopySubscriber {
 public:
  TCanopyFonts();
  ~TCanopyFonts() override;

  TCanopyCanvas* Canvas = nullptr;
  // Called for every font record before it loads; it may refuse it or rename it.
  std::function<void(TCanopyFonts& sender, const std::string& key, int index, bool& accept,
                     std::string& name)> OnCPDbLoad;

  bool HandleNotice(int code) override;

  int Count() const { return static_cast<int>(Items_.size()); }
  TCanopyFont* Items(int i) const;  // nullptr outside range
  TCanopyFont* Find(std::string_view name) const;
  TCanopyFont* Add();               // named Font00, Font01, ...
  void RemoveAll();
  bool LoadFromCPDb(TCPDb& archive);

 private:
  std::vector<std::unique_ptr<TCanopyFont>> Items_;
  int NextNumber_ = 0;
};
