// The SDL_Renderer back end. All drawing goes through SDL_RenderGeometry so
// that triangles, lines and points share one blending path.
//
// Coordinates: the canvas works in the classic convention where pixel centres
// sit on whole numbers (that is why textured quads arrive shifted by -0.5).
// SDL puts pixel centres at .5, so every vertex is moved by +0.5 here. The
// software renderer truncates positions to whole pixels, so for it the moved
// position is floored first, which keeps negative positions from rounding
// towards zero.
#include "platform/SdlRenderer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cmath>
#include <string>
#include <unordered_map>
#include <vector>

#include <unistd.h>

#include "platform/FrameDamage.h"

namespace plat {

SDL_Rect LetterboxRect(int windowW, int windowH, int w, int h) {
  if (windowW <= 0 || windowH <= 0 || w <= 0 || h <= 0) return SDL_Rect{0, 0, 0, 0};
  int64_t dw, dh;
  if (static_cast<int64_t>(windowW) * h <= static_cast<int64_t>(windowH) * w) {
    dw = windowW;  // the width limits
    dh = (static_cast<int64_t>(windowW) * h + w / 2) / w;
  } else {
    dh = windowH;
    dw = (static_cast<int64_t>(windowH) * w + h / 2) / h;
  }
  return SDL_Rect{static_cast<int>((windowW - dw) / 2), static_cast<int>((windowH - dh) / 2),
                  static_cast<int>(dw), static_cast<int>(dh)};
}

namespace {

SDL_Color ToSdl(uint32_t color) {
  return SDL_Color{static_cast<Uint8>(color), static_cast<Uint8>(color >> 8),
                   static_cast<Uint8>(color >> 16), static_cast<Uint8>(color >> 24)};
}

constexpr SDL_BlendFactor kFactors[] = {
    SDL_BLENDFACTOR_ZERO,
    SDL_BLENDFACTOR_ONE,
    SDL_BLENDFACTOR_SRC_COLOR,
    SDL_BLENDFACTOR_ONE_MINUS_SRC_COLOR,
    SDL_BLENDFACTOR_SRC_ALPHA,
    SDL_BLENDFACTOR_ONE_MINUS_SRC_ALPHA,
    SDL_BLENDFACTOR_DST_ALPHA,
    SDL_BLENDFACTOR_ONE_MINUS_DST_ALPHA,
    SDL_BLENDFACTOR_DST_COLOR,
    SDL_BLENDFACTOR_ONE_MINUS_DST_COLOR,
    SDL_BLENDFACTOR_SRC_ALPHA,  // "source alpha saturated" has no SDL twin
};

// Operation indices: add, reverse subtract (destination - source), subtract
// (source - destination), minimum, maximum. SDL names the two subtractions the
// other way round.
constexpr SDL_BlendOperation kOperations[] = {
    SDL_BLENDOPERATION_ADD,
    SDL_BLENDOPERATION_SUBTRACT,
    SDL_BLENDOPERATION_REV_SUBTRACT,
    SDL_BLENDOPERATION_MINIMUM,
    SDL_BLENDOPERATION_MAXIMUM,
};

// No device a graphics driver could use: OpenGL would be rasterised by the
// processor. Mesa's LIBGL_ALWAYS_SOFTWARE says the same.
bool NoGraphicsCard() {
  const char* forced = std::getenv("LIBGL_ALWAYS_SOFTWARE");
  if (forced && *forced && std::strcmp(forced, "0") != 0) return true;
  for (int i = 0; i < 8; ++i) {
    const std::string card = "/dev/dri/card" + std::to_string(i);
    const std::string render = "/dev/dri/renderD" + std::to_string(128 + i);
    if (access(card.c_str(), F_OK) == 0 || access(render.c_str(), F_OK) == 0) return false;
  }
  return true;
}

// The renderer draws through an OpenGL whose rasteriser is software.
bool RasterisesOnTheProcessor(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name) return false;
  if (std::strncmp(info.name, "opengl", 6) != 0) return (info.flags & SDL_RENDERER_SOFTWARE) != 0;
  using GetString = const unsigned char* (*)(unsigned int);
  auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  if (!getString) return false;
  const unsigned char* name = getString(0x1F01);  // GL_RENDERER
  if (!name) return false;
  const std::string text(reinterpret_cast<const char*>(name));
  for (const char* soft : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast", "SWR"})
    if (text.find(soft) != std::string::npos) return true;
  return false;
}

class SdlRenderer final : public Renderer {
 public:
  ~SdlRenderer() override {
    ReportFrameTimes();
    for (Tex& t : Textures_) {
      if (t.Texture) SDL_DestroyTexture(t.Texture);
    }
    if (Probe_) SDL_DestroyTexture(Probe_);
    if (Target_) SDL_DestroyTexture(Target_);
    if (Sdl_) SDL_DestroyRenderer(Sdl_);
    if (Surface_) SDL_FreeSurface(Surface_);
  }

  bool Open(SDL_Window* window, int width, int height, bool vsync, std::string& error) {
    Width_ = width;
    Height_ = height;
    if (window) {
      Window_ = window;
      Uint32 flags = SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE;
      if (vsync) flags |= SDL_RENDERER_PRESENTVSYNC;
      // A graphics card draws the frame for free; OpenGL rasterised on the
      // processor (Mesa's llvmpipe on a machine without one) costs several
      // times what SDL's own software renderer does for the same picture,
      // since only the changed parts are drawn and the window gets the
      // picture through shared memory. A renderer asked for by name
      // (SDL_RENDER_DRIVER) is taken as it is.
      const bool named = SDL_GetHint(SDL_HINT_RENDER_DRIVER) != nullptr;
      if (named || !NoGraphicsCard()) {
        Sdl_ = SDL_CreateRenderer(window, -1, flags);
        if (Sdl_ && !named && RasterisesOnTheProcessor(Sdl_)) {
          SDL_DestroyRenderer(Sdl_);
          Sdl_ = nullptr;
        }
      }
      if (!Sdl_) {
        // The window's own picture then goes straight to the X server
        // rather than through an OpenGL texture.
        SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
        Sdl_ = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
      }
      if (!Sdl_) return Failed(error, "cannot create a renderer");
      Target_ = SDL_CreateTexture(Sdl_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, width, height);
      if (!Target_) return Failed(error, "cannot create the frame texture");
      SDL_SetTextureBlendMode(Target_, SDL_BLENDMODE_NONE);
      SDL_SetTextureScaleMode(Target_, SDL_ScaleModeLinear);
      if (SDL_SetRenderTarget(Sdl_, Target_) != 0) return Failed(error, "cannot draw into the frame texture");
      Damage_ = std::make_unique<FrameDamage>(width, height);
      SDL_DisplayMode mode;
      if (SDL_GetDesktopDisplayMode(SDL_GetWindowDisplayIndex(window), &mode) == 0 && mode.refresh_rate > 0)
        RefreshRate_ = mode.refresh_rate;
    } else {
      Surface_ = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
      if (!Surface_) return Failed(error, "cannot create the frame surface");
      Sdl_ = SDL_CreateSoftwareRenderer(Surface_);
      if (!Sdl_) return Failed(error, "cannot create the software renderer");
    }
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(Sdl_, &info) == 0) {
      Software_ = (info.flags & SDL_RENDERER_SOFTWARE) != 0;
      if (info.name) Name_ = info.name;
      MaxTexture_ = std::min(info.max_texture_width, info.max_texture_height);
    }
    // A tiny texture on which custom blend modes are tried before first use.
    Probe_ = SDL_CreateTexture(Sdl_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, 1, 1);
    Clear(0xFF000000);
    return true;
  }

  int Width() const override { return Width_; }
  int Height() const override { return Height_; }
  int MaxTextureSize() const override { return MaxTexture_; }

  TextureId CreateTexture(int w, int h) override {
    if (w <= 0 || h <= 0) return 0;
    if (MaxTexture_ > 0 && (w > MaxTexture_ || h > MaxTexture_)) return 0;
    SDL_Texture* t = SDL_CreateTexture(Sdl_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, w, h);
    if (!t) return 0;
    SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(t, Linear_ ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    Tex entry{t, w, h, SDL_BLENDMODE_BLEND, Linear_};
    Versions_[t] = ++VersionCounter_;
    if (!FreeIds_.empty()) {
      const TextureId id = FreeIds_.back();
      FreeIds_.pop_back();
      Textures_[id - 1] = entry;
      return id;
    }
    Textures_.push_back(entry);
    return static_cast<TextureId>(Textures_.size());
  }

  bool UpdateTexture(TextureId id, const uint32_t* argb, int pitchPixels) override {
    Tex* t = Find(id);
    if (!t || !argb || pitchPixels < t->W) return false;
    Versions_[t->Texture] = ++VersionCounter_;
    return SDL_UpdateTexture(t->Texture, nullptr, argb, pitchPixels * 4) == 0;
  }

  void DestroyTexture(TextureId id) override {
    Tex* t = Find(id);
    if (!t) return;
    Versions_.erase(t->Texture);
    SDL_DestroyTexture(t->Texture);
    *t = Tex{};
    FreeIds_.push_back(id);
  }

  // Applies to every draw made afterwards, whenever its texture was created.
  void SetLinearFiltering(bool linear) override { Linear_ = linear; }

  void DrawTriangles(TextureId tex, const Vertex* v, int vertexCount, const int* indices, int indexCount,
                     int effect) override {
    if (!v || !indices || vertexCount <= 0 || indexCount < 3 || ClipEmpty_ || Discard_) return;
    const SDL_BlendMode mode = BlendMode(effect);
    SDL_Texture* texture = nullptr;
    if (tex != 0) {
      Tex* t = Find(tex);
      if (!t) return;
      texture = t->Texture;
      if (Surface_ && t->Mode != mode) {
        SDL_SetTextureBlendMode(texture, mode);
        t->Mode = mode;
      }
      if (t->Linear != Linear_) {
        SDL_SetTextureScaleMode(texture, Linear_ ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
        t->Linear = Linear_;
      }
    } else if (Surface_) {
      SDL_SetRenderDrawBlendMode(Sdl_, mode);
    }
    Verts_.resize(static_cast<size_t>(vertexCount));
    for (int i = 0; i < vertexCount; ++i) {
      Verts_[i] = SDL_Vertex{{Coord(v[i].X), Coord(v[i].Y)}, ToSdl(v[i].Color), {v[i].U, v[i].V}};
    }
    Indices_.assign(indices, indices + indexCount);
    for (int i = 0; i < indexCount; ++i) {
      if (Indices_[i] < 0 || Indices_[i] >= vertexCount) return;
    }
    if (Software_) SplitRectanglesForSoftware(indexCount);
    Submit(texture, vertexCount, indexCount, mode, Linear_);
  }

  void DrawLines(const Vertex* v, int vertexCount, const int* indices, int indexCount,
                 int effect) override {
    if (!v || !indices || vertexCount <= 0 || indexCount < 2 || ClipEmpty_ || Discard_) return;
    Verts_.clear();
    Indices_.clear();
    for (int i = 0; i + 1 < indexCount; i += 2) {
      const int a = indices[i], b = indices[i + 1];
      if (a < 0 || b < 0 || a >= vertexCount || b >= vertexCount) return;
      AddLine(v[a], v[b]);
    }
    if (Indices_.empty()) return;
    const SDL_BlendMode mode = BlendMode(effect);
    if (Surface_) SDL_SetRenderDrawBlendMode(Sdl_, mode);
    Submit(nullptr, static_cast<int>(Verts_.size()), static_cast<int>(Indices_.size()), mode);
  }

  void DrawPoints(const Vertex* v, int vertexCount, int effect) override {
    if (!v || vertexCount <= 0 || ClipEmpty_ || Discard_) return;
    Verts_.clear();
    Indices_.clear();
    for (int i = 0; i < vertexCount; ++i) {
      // The pixel whose centre is the point: a one-pixel square around it.
      AddQuad(v[i].X - 0.5f, v[i].Y - 0.5f, v[i].X + 0.5f, v[i].Y - 0.5f, v[i].X + 0.5f, v[i].Y + 0.5f,
              v[i].X - 0.5f, v[i].Y + 0.5f, v[i].Color, v[i].Color);
    }
    const SDL_BlendMode mode = BlendMode(effect);
    if (Surface_) SDL_SetRenderDrawBlendMode(Sdl_, mode);
    Submit(nullptr, static_cast<int>(Verts_.size()), static_cast<int>(Indices_.size()), mode);
  }

  void SetClip(const ClipRect* rect) override {
    ClipEmpty_ = false;
    if (!rect) {
      if (Surface_) {
        SDL_RenderSetClipRect(Sdl_, nullptr);
      } else {
        Command c;
        c.Type = Command::NoClip;
        Frame_.push_back(c);
      }
      return;
    }
    SDL_Rect r{rect->X, rect->Y, rect->W, rect->H};
    // SDL reads an empty rectangle as "no clipping"; we skip drawing instead.
    if (r.w <= 0 || r.h <= 0) {
      ClipEmpty_ = true;
      return;
    }
    if (Surface_) {
      SDL_RenderSetClipRect(Sdl_, &r);
    } else {
      Command c;
      c.Type = Command::Clip;
      c.Rect = r;
      Frame_.push_back(c);
    }
  }

  // Colour in the game's order (red in the low byte). Clears the whole picture,
  // whatever the clipping.
  void Clear(uint32_t color) override {
    if (Discard_) return;
    const SDL_Color c = ToSdl(color);
    if (!Surface_) {
      Command cmd;
      cmd.Type = Command::ClearTo;
      cmd.Color = c;
      Frame_.push_back(cmd);
      return;
    }
    SDL_SetRenderDrawColor(Sdl_, c.r, c.g, c.b, c.a);
    SDL_RenderClear(Sdl_);
  }

  void Present() override {
    DrawCalls_ = 0;
    if (Surface_ && Discard_) {
      Front_.clear();
      return;
    }
    if (Surface_) {
      // Headless: keep the finished picture as the "front buffer".
      Front_.resize(static_cast<size_t>(Width_) * Height_);
      if (SDL_RenderReadPixels(Sdl_, nullptr, SDL_PIXELFORMAT_ARGB8888, Front_.data(), Width_ * 4) != 0) {
        Front_.clear();
      }
      return;
    }
    // Only what differs from the frame on screen is drawn again, over the
    // last picture kept in the frame texture; a frame like the one on screen
    // (a still menu, a paused game) is not drawn at all, and the game sleeps.
    NoteFrameTime();
    BuildPrims();
    bool full = Invalid_ || !Damage_ || !Damage_->Compute(ShownPrims_, FramePrims_, Rects_);
    if (full || !Rects_.empty()) {
      if (full) {
        Replay();
        ++FullFrames_;
      } else {
        for (const DamageRect& r : Rects_) {
          ReplayIn(r);
          DamagedPixels_ += int64_t{r.W} * r.H;
        }
        ++PartialFrames_;
      }
      SDL_SetRenderTarget(Sdl_, nullptr);
      int ww = 0, wh = 0;
      SDL_GetRendererOutputSize(Sdl_, &ww, &wh);
      if (!full && Software_ && Window_ && ww == Width_ && wh == Height_) {
        // The software renderer draws into the window's own picture, which
        // still shows the last frame: only the changed rectangles are copied
        // and sent to the X server.
        WindowRects_.clear();
        for (const DamageRect& r : Rects_) {
          const SDL_Rect rect{r.X, r.Y, r.W, r.H};
          SDL_RenderCopy(Sdl_, Target_, &rect, &rect);
          WindowRects_.push_back(rect);
        }
        SDL_RenderFlush(Sdl_);
        SDL_UpdateWindowSurfaceRects(Window_, WindowRects_.data(), static_cast<int>(WindowRects_.size()));
      } else {
        SDL_SetRenderDrawColor(Sdl_, 0, 0, 0, 255);
        SDL_RenderClear(Sdl_);
        const SDL_Rect dst = LetterboxRect(ww, wh, Width_, Height_);
        SDL_RenderCopy(Sdl_, Target_, nullptr, &dst);
        SDL_RenderPresent(Sdl_);
      }
      SDL_SetRenderTarget(Sdl_, Target_);
      ShownPrims_.swap(FramePrims_);
      Invalid_ = false;
    } else {
      ++SameFrames_;
    }
    Frame_.clear();
    FrameVerts_.clear();
    FrameIndices_.clear();
    Pace();
  }

  void Invalidate() override { Invalid_ = true; }

  // With a window the frame texture still holds the last presented picture
  // until the next frame is drawn; headless keeps a copy at Present. Alpha is
  // reported opaque, as a displayed picture has none.
  bool ReadPixels(std::vector<uint32_t>& argb, int& w, int& h) override {
    w = Width_;
    h = Height_;
    argb.resize(static_cast<size_t>(w) * h);
    if (Surface_ && !Front_.empty()) {
      argb = Front_;
    } else if (SDL_RenderReadPixels(Sdl_, nullptr, SDL_PIXELFORMAT_ARGB8888, argb.data(), w * 4) != 0) {
      argb.clear();
      return false;
    }
    for (uint32_t& p : argb) p |= 0xFF000000u;
    return true;
  }

  int DrawCalls() const override { return DrawCalls_; }
  void SetDiscardFrames(bool discard) override { Discard_ = discard; }

 private:
  struct Tex {
    SDL_Texture* Texture = nullptr;
    int W = 0, H = 0;
    SDL_BlendMode Mode = SDL_BLENDMODE_BLEND;
    bool Linear = false;
  };

  static bool Failed(std::string& error, const char* what) {
    error = std::string(what) + ": " + SDL_GetError();
    return false;
  }

  Tex* Find(TextureId id) {
    if (id == 0 || id > Textures_.size() || !Textures_[id - 1].Texture) return nullptr;
    return &Textures_[id - 1];
  }

  float Coord(float c) const { return Software_ ? std::floor(c + 0.5f) : c + 0.5f; }

  // Effect code -> SDL blend mode. The game's three codes map exactly; any
  // other pair of factors and operation becomes a custom mode when this
  // renderer supports it, else the nearest of the three.
  SDL_BlendMode BlendMode(int effect) {
    const int code = effect & 0x00FFFFFF;  // bit 28 (modulate) is how SDL always draws
    if (code == 1) return SDL_BLENDMODE_NONE;
    if (code == 1284) return SDL_BLENDMODE_BLEND;
    if (code == 260) return SDL_BLENDMODE_ADD;
    auto cached = Modes_.find(code);
    if (cached != Modes_.end()) return cached->second;
    const int src = code & 0xFF, dst = (code >> 8) & 0xFF, op = (code >> 16) & 0xFF;
    SDL_BlendMode mode = dst == 1 ? SDL_BLENDMODE_ADD : dst == 0 ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND;
    if (src <= 10 && dst <= 10 && op <= 4 && Probe_) {
      const SDL_BlendMode custom = SDL_ComposeCustomBlendMode(kFactors[src], kFactors[dst], kOperations[op],
                                                              kFactors[src], kFactors[dst], kOperations[op]);
      if (SDL_SetTextureBlendMode(Probe_, custom) == 0) mode = custom;
    }
    Modes_[code] = mode;
    return mode;
  }

  // The software renderer copies a rectangle texel for texel only when its two
  // triangles share the diagonal from the first corner to the third. The canvas
  // splits quads along the other diagonal; for an axis-aligned, evenly coloured
  // rectangle the split makes no visible difference, so it is turned round.
  void SplitRectanglesForSoftware(int indexCount) {
    for (int i = 0; i + 6 <= indexCount; i += 6) {
      const int q = Indices_[i];
      if (Indices_[i + 1] != q + 1 || Indices_[i + 2] != q + 3 || Indices_[i + 3] != q + 1 ||
          Indices_[i + 4] != q + 2 || Indices_[i + 5] != q + 3) {
        continue;
      }
      const SDL_Vertex* c = &Verts_[q];
      const bool rect = c[0].position.y == c[1].position.y && c[1].position.x == c[2].position.x &&
                        c[2].position.y == c[3].position.y && c[3].position.x == c[0].position.x;
      auto same = [](SDL_Color a, SDL_Color b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; };
      const bool even = same(c[0].color, c[1].color) && same(c[0].color, c[2].color) &&
                        same(c[0].color, c[3].color);
      if (!rect || !even) continue;
      const int order[6] = {q, q + 1, q + 2, q, q + 2, q + 3};
      std::copy(order, order + 6, Indices_.begin() + i);
    }
  }

  void AddQuad(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3, uint32_t c0,
               uint32_t c1) {
    const int base = static_cast<int>(Verts_.size());
    const SDL_Color a = ToSdl(c0), b = ToSdl(c1);
    Verts_.push_back(SDL_Vertex{{Coord(x0), Coord(y0)}, a, {0, 0}});
    Verts_.push_back(SDL_Vertex{{Coord(x1), Coord(y1)}, b, {0, 0}});
    Verts_.push_back(SDL_Vertex{{Coord(x2), Coord(y2)}, b, {0, 0}});
    Verts_.push_back(SDL_Vertex{{Coord(x3), Coord(y3)}, a, {0, 0}});
    for (int k : {0, 1, 2, 0, 2, 3}) Indices_.push_back(base + k);
  }

  // A one-pixel line as a thin parallelogram: along its longer axis it covers
  // the pixels from the start point up to, not including, the end point (so
  // the four sides of an outline meet without overlapping), one pixel across.
  void AddLine(const Vertex& a, const Vertex& b) {
    const float dx = b.X - a.X, dy = b.Y - a.Y;
    if (dx == 0 && dy == 0) return;
    if (std::fabs(dx) >= std::fabs(dy)) {
      const float slope = dy / dx;
      float x0 = a.X, y0 = a.Y, x1 = b.X, y1 = b.Y;
      uint32_t c0 = a.Color, c1 = b.Color;
      if (dx < 0) {  // cover (end, start]: the same line moved one column on
        x0 = b.X + 1;
        y0 = b.Y + slope;
        x1 = a.X + 1;
        y1 = a.Y + slope;
        std::swap(c0, c1);
      }
      // Column coverage is decided by x alone; the sides stay horizontal.
      AddQuad(x0, y0 - 0.5f, x1, y1 - 0.5f, x1, y1 + 0.5f, x0, y0 + 0.5f, c0, c1);
    } else {
      const float slope = dx / dy;
      float x0 = a.X, y0 = a.Y, x1 = b.X, y1 = b.Y;
      uint32_t c0 = a.Color, c1 = b.Color;
      if (dy < 0) {
        y0 = b.Y + 1;
        x0 = b.X + slope;
        y1 = a.Y + 1;
        x1 = a.X + slope;
        std::swap(c0, c1);
      }
      // Corners in order around the parallelogram; c0 at the start, c1 at the end.
      const int base = static_cast<int>(Verts_.size());
      const SDL_Color s = ToSdl(c0), e = ToSdl(c1);
      Verts_.push_back(SDL_Vertex{{Coord(x0 - 0.5f), Coord(y0)}, s, {0, 0}});
      Verts_.push_back(SDL_Vertex{{Coord(x0 + 0.5f), Coord(y0)}, s, {0, 0}});
      Verts_.push_back(SDL_Vertex{{Coord(x1 + 0.5f), Coord(y1)}, e, {0, 0}});
      Verts_.push_back(SDL_Vertex{{Coord(x1 - 0.5f), Coord(y1)}, e, {0, 0}});
      for (int k : {0, 1, 2, 0, 2, 3}) Indices_.push_back(base + k);
    }
  }

  void Submit(SDL_Texture* texture, int vertexCount, int indexCount, SDL_BlendMode mode, bool linear = false) {
    ++DrawCalls_;
    if (Surface_) {
      SDL_RenderGeometry(Sdl_, texture, Verts_.data(), vertexCount, Indices_.data(), indexCount);
      return;
    }
    // Windowed frames are recorded and drawn at Present, and only when they
    // differ from the frame on screen.
    Command c;
    c.Type = Command::Geometry;
    c.Texture = texture;
    c.Mode = mode;
    c.Linear = texture && linear;
    c.FirstVertex = static_cast<int>(FrameVerts_.size());
    c.VertexCount = vertexCount;
    c.FirstIndex = static_cast<int>(FrameIndices_.size());
    c.IndexCount = indexCount;
    FrameVerts_.insert(FrameVerts_.end(), Verts_.begin(), Verts_.begin() + vertexCount);
    FrameIndices_.insert(FrameIndices_.end(), Indices_.begin(), Indices_.begin() + indexCount);
    Frame_.push_back(c);
  }

  // One recorded step of a windowed frame.
  struct Command {
    enum Kind : int { Geometry, Clip, NoClip, ClearTo } Type = Geometry;
    SDL_Texture* Texture = nullptr;
    SDL_BlendMode Mode = SDL_BLENDMODE_NONE;
    bool Linear = false;
    int FirstVertex = 0, VertexCount = 0, FirstIndex = 0, IndexCount = 0;
    SDL_Rect Rect{0, 0, 0, 0};
    SDL_Color Color{0, 0, 0, 0};
    bool operator==(const Command& o) const {
      return Type == o.Type && Texture == o.Texture && Mode == o.Mode && Linear == o.Linear && FirstVertex == o.FirstVertex &&
             VertexCount == o.VertexCount && FirstIndex == o.FirstIndex && IndexCount == o.IndexCount &&
             Rect.x == o.Rect.x && Rect.y == o.Rect.y && Rect.w == o.Rect.w && Rect.h == o.Rect.h &&
             Color.r == o.Color.r && Color.g == o.Color.g && Color.b == o.Color.b && Color.a == o.Color.a;
    }
  };

  // Each primitive of the recorded frame, with a hash of all that decides its
  // pixels and the rectangle it can touch (see FrameDamage).
  void BuildPrims() {
    FramePrims_.clear();
    bool clipped = false;
    SDL_Rect clip{0, 0, Width_, Height_};
    for (const Command& c : Frame_) {
      switch (c.Type) {
        case Command::Clip:
          clipped = true;
          clip = c.Rect;
          break;
        case Command::NoClip:
          clipped = false;
          clip = SDL_Rect{0, 0, Width_, Height_};
          break;
        case Command::ClearTo: {
          FramePrim p;
          p.Hash = HashBytes(&c.Color, sizeof c.Color, 0xC1EA);
          p.X1 = Width_;
          p.Y1 = Height_;
          FramePrims_.push_back(p);
          break;
        }
        case Command::Geometry: {
          struct {
            const void* Texture;
            uint64_t Version;
            int Mode, Linear, Clipped, X, Y, W, H;
          } state{c.Texture, 0, static_cast<int>(c.Mode), c.Linear, clipped, clip.x, clip.y, clip.w, clip.h};
          if (c.Texture) {
            auto v = Versions_.find(c.Texture);
            state.Version = v != Versions_.end() ? v->second : 0;
          }
          const uint64_t seed = HashBytes(&state, sizeof state, 0x6E0);
          const int step = c.IndexCount % 6 == 0 ? 6 : 3;
          const SDL_Vertex* verts = FrameVerts_.data() + c.FirstVertex;
          const int* idx = FrameIndices_.data() + c.FirstIndex;
          SDL_Vertex chunk[6];
          for (int i = 0; i + step <= c.IndexCount; i += step) {
            float x0 = 1e30f, y0 = 1e30f, x1 = -1e30f, y1 = -1e30f;
            for (int k = 0; k < step; ++k) {
              chunk[k] = verts[idx[i + k]];
              x0 = std::min(x0, chunk[k].position.x);
              x1 = std::max(x1, chunk[k].position.x);
              y0 = std::min(y0, chunk[k].position.y);
              y1 = std::max(y1, chunk[k].position.y);
            }
            FramePrim p;
            p.Hash = HashBytes(chunk, sizeof(SDL_Vertex) * static_cast<size_t>(step), seed);
            // A pixel or two of margin for filtering and rounding.
            p.X0 = std::max({0, clip.x, static_cast<int>(std::floor(std::max(x0, -1e6f))) - 2});
            p.Y0 = std::max({0, clip.y, static_cast<int>(std::floor(std::max(y0, -1e6f))) - 2});
            p.X1 = std::min({Width_, clip.x + clip.w, static_cast<int>(std::ceil(std::min(x1, 1e6f))) + 2});
            p.Y1 = std::min({Height_, clip.y + clip.h, static_cast<int>(std::ceil(std::min(y1, 1e6f))) + 2});
            FramePrims_.push_back(p);
          }
          break;
        }
      }
    }
  }

  // Draws again, within r only, every primitive of the frame that touches r.
  void ReplayIn(const DamageRect& r) {
    SDL_SetRenderTarget(Sdl_, Target_);
    const SDL_Rect area{r.X, r.Y, r.W, r.H};
    SDL_Rect clip{0, 0, Width_, Height_};
    size_t prim = 0;
    auto touches = [&](const FramePrim& p) {
      return p.X0 < r.X + r.W && r.X < p.X1 && p.Y0 < r.Y + r.H && r.Y < p.Y1;
    };
    for (const Command& c : Frame_) {
      switch (c.Type) {
        case Command::Clip:
          clip = c.Rect;
          break;
        case Command::NoClip:
          clip = SDL_Rect{0, 0, Width_, Height_};
          break;
        case Command::ClearTo:
          ++prim;
          SDL_RenderSetClipRect(Sdl_, &area);
          SDL_SetRenderDrawBlendMode(Sdl_, SDL_BLENDMODE_NONE);
          SDL_SetRenderDrawColor(Sdl_, c.Color.r, c.Color.g, c.Color.b, c.Color.a);
          SDL_RenderFillRect(Sdl_, &area);
          break;
        case Command::Geometry: {
          const int step = c.IndexCount % 6 == 0 ? 6 : 3;
          const int* idx = FrameIndices_.data() + c.FirstIndex;
          Subset_.clear();
          for (int i = 0; i + step <= c.IndexCount; i += step, ++prim)
            if (touches(FramePrims_[prim])) Subset_.insert(Subset_.end(), idx + i, idx + i + step);
          SDL_Rect within;
          if (Subset_.empty() || !SDL_IntersectRect(&area, &clip, &within)) break;
          SDL_RenderSetClipRect(Sdl_, &within);
          if (c.Texture) {
            SDL_SetTextureBlendMode(c.Texture, c.Mode);
          } else {
            SDL_SetRenderDrawBlendMode(Sdl_, c.Mode);
          }
          SDL_RenderGeometry(Sdl_, c.Texture, FrameVerts_.data() + c.FirstVertex, c.VertexCount, Subset_.data(),
                             static_cast<int>(Subset_.size()));
          break;
        }
      }
    }
    SDL_RenderSetClipRect(Sdl_, nullptr);
  }

  // With GW_TIMINGS set, the intervals between frames are kept and their
  // spread is printed when the window closes.
  void NoteFrameTime() {
    if (!TimingsWanted_) return;
    const uint64_t now = SDL_GetPerformanceCounter();
    // The start (loading, the first screen's pictures) is not counted.
    if (FirstFrameAt_ == 0) FirstFrameAt_ = now;
    const bool settled = now - FirstFrameAt_ > 3 * SDL_GetPerformanceFrequency();
    if (settled && LastFrameAt_ != 0 && FrameIntervals_.size() < (1u << 20))
      FrameIntervals_.push_back(static_cast<float>(static_cast<double>(now - LastFrameAt_) * 1000.0 /
                                                   static_cast<double>(SDL_GetPerformanceFrequency())));
    LastFrameAt_ = now;
  }

  void ReportFrameTimes() {
    if (!TimingsWanted_ || FrameIntervals_.size() < 2) return;
    std::vector<float> sorted = FrameIntervals_;
    std::sort(sorted.begin(), sorted.end());
    auto at = [&](double q) { return sorted[static_cast<size_t>(q * static_cast<double>(sorted.size() - 1))]; };
    std::fprintf(stderr,
                 "timing frames %zu p50-ms %.2f p99-ms %.2f max-ms %.2f drawn-full %lld drawn-part %lld unchanged %lld "
                 "part-share %.1f%% renderer %s\n",
                 sorted.size(), at(0.5), at(0.99), sorted.back(), FullFrames_, PartialFrames_, SameFrames_,
                 PartialFrames_ ? 100.0 * static_cast<double>(DamagedPixels_) /
                                      (static_cast<double>(PartialFrames_) * Width_ * Height_)
                                : 0.0,
                 Name_.c_str());
  }

  void Replay() {
    SDL_SetRenderTarget(Sdl_, Target_);
    for (const Command& c : Frame_) {
      switch (c.Type) {
        case Command::Geometry:
          if (c.Texture) {
            SDL_SetTextureBlendMode(c.Texture, c.Mode);
          } else {
            SDL_SetRenderDrawBlendMode(Sdl_, c.Mode);
          }
          SDL_RenderGeometry(Sdl_, c.Texture, FrameVerts_.data() + c.FirstVertex, c.VertexCount,
                             FrameIndices_.data() + c.FirstIndex, c.IndexCount);
          break;
        case Command::Clip:
          SDL_RenderSetClipRect(Sdl_, &c.Rect);
          break;
        case Command::NoClip:
          SDL_RenderSetClipRect(Sdl_, nullptr);
          break;
        case Command::ClearTo:
          SDL_RenderSetClipRect(Sdl_, nullptr);
          SDL_SetRenderDrawColor(Sdl_, c.Color.r, c.Color.g, c.Color.b, c.Color.a);
          SDL_RenderClear(Sdl_);
          break;
      }
    }
    SDL_RenderSetClipRect(Sdl_, nullptr);
  }

  // Holds the frame rate to the display's when presenting does not wait for
  // the display itself (no vertical sync, or an unchanged frame not shown).
  void Pace() {
    const uint64_t freq = SDL_GetPerformanceFrequency();
    const uint64_t period = freq / static_cast<uint64_t>(RefreshRate_ > 0 ? RefreshRate_ : 60);
    uint64_t now = SDL_GetPerformanceCounter();
    if (NextFrame_ > now) {
      const uint64_t waitMs = (NextFrame_ - now) * 1000 / freq;
      if (waitMs >= 1) SDL_Delay(static_cast<Uint32>(waitMs));
      now = SDL_GetPerformanceCounter();
    }
    NextFrame_ = (NextFrame_ + period > now) ? NextFrame_ + period : now + period;
    if (NextFrame_ > now + 2 * period) NextFrame_ = now + period;
  }

  SDL_Renderer* Sdl_ = nullptr;
  SDL_Surface* Surface_ = nullptr;  // headless picture
  SDL_Texture* Target_ = nullptr;   // windowed picture
  SDL_Window* Window_ = nullptr;
  std::vector<SDL_Rect> WindowRects_;
  SDL_Texture* Probe_ = nullptr;
  int Width_ = 0, Height_ = 0;
  int MaxTexture_ = 0;
  bool Software_ = false;
  bool Linear_ = false;
  bool ClipEmpty_ = false;
  bool Discard_ = false;  // headless frames nobody will look at
  int DrawCalls_ = 0;
  std::vector<Tex> Textures_;
  std::vector<TextureId> FreeIds_;
  std::unordered_map<int, SDL_BlendMode> Modes_;
  std::vector<SDL_Vertex> Verts_;
  std::vector<int> Indices_;
  std::vector<uint32_t> Front_;
  // Windowed frames: the one being recorded and the one on screen.
  std::vector<Command> Frame_;
  std::vector<SDL_Vertex> FrameVerts_;
  std::vector<int> FrameIndices_;
  // The primitives of the frame being drawn and of the one on screen, the
  // damage between them, and each texture's contents version.
  std::vector<FramePrim> FramePrims_, ShownPrims_;
  std::unique_ptr<FrameDamage> Damage_;
  std::vector<DamageRect> Rects_;
  std::vector<int> Subset_;
  std::unordered_map<SDL_Texture*, uint64_t> Versions_;
  uint64_t VersionCounter_ = 0;
  // Frame statistics for GW_TIMINGS.
  bool TimingsWanted_ = std::getenv("GW_TIMINGS") != nullptr;
  std::string Name_;
  uint64_t LastFrameAt_ = 0, FirstFrameAt_ = 0;
  std::vector<float> FrameIntervals_;
  long long FullFrames_ = 0, PartialFrames_ = 0, SameFrames_ = 0;
  int64_t DamagedPixels_ = 0;
  bool Invalid_ = true;
  int RefreshRate_ = 60;
  uint64_t NextFrame_ = 0;
};

}  // namespace

std::unique_ptr<Renderer> CreateSdlRenderer(SDL_Window* window, int width, int height, bool vsync,
                                            std::string& error) {
  if (width <= 0 || height <= 0) {
    error = "bad picture size";
    return nullptr;
  }
  auto renderer = std::make_unique<SdlRenderer>();
  if (!renderer->Open(window, width, height, vsync, error)) return nullptr;
  return renderer;
}

}  // namespace plat
