#include "Preview.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "datagen/Art.h"

namespace {

// The game's process tick and the particle time each tick hands the systems.
constexpr double kTicksPerSecond = 120;
constexpr int kStepMs = 9;
// Dark blue-grey night, the kind of ground the effects play over.
constexpr float kBackdrop[3] = {0.055f, 0.066f, 0.090f};
constexpr float kCellEdge[3] = {0.11f, 0.12f, 0.15f};

// One pattern as premultiplied RGBA floats, 0..1.
struct TPatternPixels {
  int W = 0, H = 0;
  std::vector<float> Px;

  // Bilinear, transparent outside; (u, v) in texels, texel centres at +0.5.
  void Sample(float u, float v, float out[4]) const {
    const float fu = u - 0.5f, fv = v - 0.5f;
    const int x0 = static_cast<int>(std::floor(fu)), y0 = static_cast<int>(std::floor(fv));
    const float ax = fu - static_cast<float>(x0), ay = fv - static_cast<float>(y0);
    out[0] = out[1] = out[2] = out[3] = 0;
    for (int j = 0; j < 2; ++j) {
      const int y = y0 + j;
      if (y < 0 || y >= H) continue;
      const float wy = j ? ay : 1 - ay;
      for (int i = 0; i < 2; ++i) {
        const int x = x0 + i;
        if (x < 0 || x >= W) continue;
        const float w = wy * (i ? ax : 1 - ax);
        const float* p = &Px[(static_cast<size_t>(y) * static_cast<size_t>(W) + static_cast<size_t>(x)) * 4];
        for (int k = 0; k < 4; ++k) out[k] += p[k] * w;
      }
    }
  }
};

bool LoadPatterns(std::vector<TPatternPixels>& patterns, std::string& error) {
  const TArtItem* art = FindArt("particles-arvanels.image");
  if (!art) {
    error = "the data generator has no drawing of particles-arvanels.image";
    return false;
  }
  TPatterns drawn = art->Draw(TArtInputs{});
  for (TSurface& s : drawn) {
    s.Flush();
    TPatternPixels p;
    p.W = s.Width();
    p.H = s.Height();
    p.Px.resize(static_cast<size_t>(p.W) * static_cast<size_t>(p.H) * 4);
    for (int y = 0; y < p.H; ++y) {
      const uint32_t* row = s.Row(y);
      for (int x = 0; x < p.W; ++x) {
        float* q = &p.Px[(static_cast<size_t>(y) * static_cast<size_t>(p.W) + static_cast<size_t>(x)) * 4];
        q[0] = static_cast<float>((row[x] >> 16) & 0xFF) / 255.0f;
        q[1] = static_cast<float>((row[x] >> 8) & 0xFF) / 255.0f;
        q[2] = static_cast<float>(row[x] & 0xFF) / 255.0f;
        q[3] = static_cast<float>(row[x] >> 24) / 255.0f;
      }
    }
    patterns.push_back(std::move(p));
  }
  return true;
}

// An RGB picture in floats, opaque.
struct TPicture {
  int W = 0, H = 0;
  std::vector<float> Rgb;
  float* At(int x, int y) {
    return &Rgb[(static_cast<size_t>(y) * static_cast<size_t>(W) + static_cast<size_t>(x)) * 3];
  }
};

struct TClip {
  int Left, Top, Right, Bottom;  // right and bottom exclusive
};

// What the canvas does with one particle: the pattern centred on (cx, cy),
// rotated by spin, scaled by size, modulated by the colour, blended additively
// (260) or over what is there (every other code).
void DrawParticle(TPicture& pic, const TClip& clip, const TPatternPixels& pattern, float cx, float cy, float spin,
                  float size, const float color[4], int blend) {
  if (!(std::fabs(size) > 1e-3f) || !std::isfinite(size) || !std::isfinite(cx) || !std::isfinite(cy)) return;
  const float reach = std::fabs(size) * 0.5f * std::hypot(static_cast<float>(pattern.W), static_cast<float>(pattern.H));
  const int x0 = std::max(clip.Left, static_cast<int>(std::floor(cx - reach)));
  const int x1 = std::min(clip.Right, static_cast<int>(std::ceil(cx + reach)));
  const int y0 = std::max(clip.Top, static_cast<int>(std::floor(cy - reach)));
  const int y1 = std::min(clip.Bottom, static_cast<int>(std::ceil(cy + reach)));
  const float c = std::cos(spin), s = std::sin(spin);
  const float halfW = static_cast<float>(pattern.W) / 2, halfH = static_cast<float>(pattern.H) / 2;
  const float tint[3] = {color[0] * color[3], color[1] * color[3], color[2] * color[3]};
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const float dx = static_cast<float>(x) + 0.5f - cx, dy = static_cast<float>(y) + 0.5f - cy;
      // Back from the screen into the pattern: turn by -spin, undo the scale.
      const float u = (dx * c + dy * s) / size + halfW;
      const float v = (-dx * s + dy * c) / size + halfH;
      if (u < -1 || v < -1 || u > static_cast<float>(pattern.W) + 1 || v > static_cast<float>(pattern.H) + 1)
        continue;
      float texel[4];
      pattern.Sample(u, v, texel);
      const float alpha = texel[3] * color[3];
      if (alpha <= 0 && blend != kBlendAdditive) continue;
      float* d = pic.At(x, y);
      for (int k = 0; k < 3; ++k) {
        const float src = texel[k] * tint[k];
        d[k] = blend == kBlendAdditive ? d[k] + src : src + d[k] * (1 - alpha);
      }
    }
  }
}

void PaintFrame(TPicture& pic, const TClip& clip, const TXParticleSystem& system,
                const std::vector<TPatternPixels>& patterns) {
  const int pattern = system.Settings.Pattern;
  if (pattern < 0 || pattern >= static_cast<int>(patterns.size())) return;
  for (int i = 0; i < system.LiveCount(); ++i) {
    const TXParticleSystem::TParticle& p = system.Particle(i);
    const float color[4] = {p.Color[0] / 255, p.Color[1] / 255, p.Color[2] / 255, p.Color[3] / 255};
    DrawParticle(pic, clip, patterns[static_cast<size_t>(pattern)], p.X + system.Offset.X, p.Y + system.Offset.Y,
                 p.Spin, p.Size, color, system.Settings.BlendEffect);
  }
}

struct TCairoSurface {
  cairo_surface_t* S;
  ~TCairoSurface() { cairo_surface_destroy(S); }
};
struct TCairo {
  cairo_t* C;
  ~TCairo() { cairo_destroy(C); }
};

}  // namespace

bool WriteParticlePreview(const TPssSettings& settings, const std::string& out, const TPreviewOptions& options,
                          std::string& error) {
  if (options.Frames < 1 || options.Frames > 64 || options.Cell < 32 || options.Cell > 1024) {
    error = "frames must be 1..64 and the cell 32..1024 pixels";
    return false;
  }
  std::vector<TPatternPixels> patterns;
  if (!LoadPatterns(patterns, error)) return false;

  const bool endless = settings.Lifetime <= -0.9f;
  int every = options.EveryMs;
  if (every <= 0) {
    const double run = std::max(0.0f, settings.Lifetime) + std::max(settings.LifeMin, settings.LifeMax);
    every = endless ? 120 : static_cast<int>(std::clamp(std::ceil(run / options.Frames / 10) * 10, 20.0, 500.0));
  }
  const int cell = options.Cell;
  TPicture pic;
  pic.W = cell * options.Frames;
  pic.H = cell;
  pic.Rgb.resize(static_cast<size_t>(pic.W) * static_cast<size_t>(pic.H) * 3);
  for (int y = 0; y < pic.H; ++y)
    for (int x = 0; x < pic.W; ++x) {
      const bool edge = x % cell == 0 || x % cell == cell - 1 || y == 0 || y == pic.H - 1;
      std::copy(edge ? kCellEdge : kBackdrop, (edge ? kCellEdge : kBackdrop) + 3, pic.At(x, y));
    }

  // The system runs as the game's owners drive it: a burst is fired once where
  // it happens; a trail is fired again at its new place after every update.
  TXParticleSystem::ResetSharedRandom();
  auto system = std::make_unique<TXParticleSystem>(settings);
  const float step = options.Speed / static_cast<float>(kTicksPerSecond);
  float x = 0;
  system->FireAt(x, 0);
  int elapsed = 0;
  std::vector<int> times;
  for (int frame = 0; frame < options.Frames; ++frame) {
    while (elapsed < (frame + 1) * every) {
      system->Update(kStepMs);
      elapsed += kStepMs;
      if (endless) {
        x += step;
        system->FireAt(x, 0);
      }
    }
    // The emitter sits in the middle of its cell; a trail streams out behind it.
    const float centreX = static_cast<float>(frame * cell) + static_cast<float>(cell) / 2;
    system->Offset = TPoint2{centreX - x, static_cast<float>(cell) / 2};
    times.push_back(elapsed);
    PaintFrame(pic, TClip{frame * cell + 1, 1, (frame + 1) * cell - 1, cell - 1}, *system, patterns);
  }

  TCairoSurface surface{cairo_image_surface_create(CAIRO_FORMAT_RGB24, pic.W, pic.H)};
  if (cairo_surface_status(surface.S) != CAIRO_STATUS_SUCCESS) {
    error = "cannot make a picture of " + std::to_string(pic.W) + " x " + std::to_string(pic.H);
    return false;
  }
  cairo_surface_flush(surface.S);
  unsigned char* data = cairo_image_surface_get_data(surface.S);
  const int stride = cairo_image_surface_get_stride(surface.S);
  for (int y = 0; y < pic.H; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
    for (int px = 0; px < pic.W; ++px) {
      const float* c = pic.At(px, y);
      auto byte = [](float v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); };
      row[px] = 0xFF000000u | byte(c[0]) << 16 | byte(c[1]) << 8 | byte(c[2]);
    }
  }
  cairo_surface_mark_dirty(surface.S);
  {
    TCairo cr{cairo_create(surface.S)};
    cairo_select_font_face(cr.C, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr.C, 10);
    cairo_set_source_rgb(cr.C, 0.55, 0.58, 0.64);
    for (int frame = 0; frame < options.Frames; ++frame) {
      const std::string label = std::to_string(times[static_cast<size_t>(frame)]) + " ms";
      cairo_move_to(cr.C, frame * cell + 5, cell - 6);
      cairo_show_text(cr.C, label.c_str());
    }
    if (!options.Title.empty()) {
      cairo_set_source_rgb(cr.C, 0.80, 0.82, 0.86);
      cairo_move_to(cr.C, 5, 13);
      cairo_show_text(cr.C, options.Title.c_str());
    }
  }
  if (cairo_surface_write_to_png(surface.S, out.c_str()) != CAIRO_STATUS_SUCCESS) {
    error = out + ": cannot write the picture";
    return false;
  }
  return true;
}
