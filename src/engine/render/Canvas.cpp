// The canvas: every 2D primitive is queued into one vertex and one index array
// and handed to the back end in as few batches as the state changes allow.
#include "engine/render/Canvas.h"

#include <algorithm>

#include "engine/render/Images.h"
#include "platform/Platform.h"

namespace {

enum TPrimitiveKind { pkNone, pkPoints, pkLines, pkTriangles };

// Binds no texture; also what an untextured primitive asks for.
constexpr plat::TextureId kNoTexture = 0;
// Forces the next call to rebind, whatever it draws with.
constexpr plat::TextureId kUnbound = ~plat::TextureId{0};

}  // namespace

// What is queued (at most VertexCache vertices and indices), the state it is
// drawn with, and the counters of the current scene.
struct TCanopyCanvas::Batch {
  plat::Renderer* Renderer = nullptr;
  bool Created = false;
  bool Lost = false;
  std::vector<plat::Vertex> Vertices;
  std::vector<int> Indices;
  int Primitives = 0;
  TPrimitiveKind Kind = pkNone;
  int Effect = -1;
  plat::TextureId Texture = kUnbound;
  bool NeedStateReset = true;
  TRect Clip;
  int VerticesDrawn = 0;
  int IndicesDrawn = 0;
};

TCanopyCanvas::TCanopyCanvas() : Batch_(new Batch) {}

TCanopyCanvas::~TCanopyCanvas() {
  SetPublisher(nullptr);
  delete Batch_;
}

void TCanopyCanvas::SetVertexCache(int value) {
  if (Batch_->Created) return;
  int64_t v = value;
  v = (v + 3) / 4 * 4;
  if (v < 512) v = 512;
  if (v > 65536) v = 65536;
  VertexCache_ = static_cast<int>(v);
}

int TCanopyCanvas::VerticesDrawn() const { return Batch_->VerticesDrawn; }
int TCanopyCanvas::IndicesDrawn() const { return Batch_->IndicesDrawn; }
int TCanopyCanvas::QueuedVertices() const { return static_cast<int>(Batch_->Vertices.size()); }
int TCanopyCanvas::QueuedIndices() const { return static_cast<int>(Batch_->Indices.size()); }
int TCanopyCanvas::QueuedPrimitives() const { return Batch_->Primitives; }

bool TCanopyCanvas::HandleNotice(int code) {
  Batch& b = *Batch_;
  switch (code) {
    case dnCreated: {
      auto* device = dynamic_cast<TCanopyDevice*>(Publisher());
      b.Renderer = device ? device->Renderer() : nullptr;
      if (!b.Renderer) return false;
      b.Vertices.reserve(static_cast<size_t>(VertexCache_));
      b.Indices.reserve(static_cast<size_t>(VertexCache_));
      b.Created = true;
      b.Lost = false;
      b.NeedStateReset = true;
      b.Clip = TRect{0, 0, b.Renderer->Width(), b.Renderer->Height()};
      b.Renderer->SetClip(nullptr);
      return true;
    }
    case dnFinalizing:
      b.Vertices = {};
      b.Indices = {};
      b.Primitives = 0;
      b.Kind = pkNone;
      b.Renderer = nullptr;
      b.Created = false;
      return true;
    case dnLost:
      // Whatever is queued belongs to a picture that is gone.
      b.Lost = true;
      b.Vertices.clear();
      b.Indices.clear();
      b.Primitives = 0;
      b.Kind = pkNone;
      return true;
    case dnReset:
      b.Lost = false;
      b.NeedStateReset = true;
      if (b.Renderer) {
        b.Clip = TRect{0, 0, b.Renderer->Width(), b.Renderer->Height()};
        b.Renderer->SetClip(nullptr);
      }
      return true;
    case dnBeginScene:
      Batches_ = 0;
      CacheStalls_ = 0;
      b.VerticesDrawn = 0;
      b.IndicesDrawn = 0;
      return true;
    case dnEndScene:
      Flush();
      b.NeedStateReset = true;
      return true;
    default:
      return true;
  }
}

void TCanopyCanvas::Flush() {
  Batch& b = *Batch_;
  if (!b.Vertices.empty() && b.Primitives > 0 && !b.Lost && b.Renderer) {
    const int nv = static_cast<int>(b.Vertices.size());
    const int ni = static_cast<int>(b.Indices.size());
    switch (b.Kind) {
      case pkTriangles:
        b.Renderer->DrawTriangles(b.Texture == kUnbound ? kNoTexture : b.Texture, b.Vertices.data(), nv,
                                  b.Indices.data(), ni, b.Effect);
        break;
      case pkLines:
        b.Renderer->DrawLines(b.Vertices.data(), nv, b.Indices.data(), ni, b.Effect);
        break;
      case pkPoints:
        b.Renderer->DrawPoints(b.Vertices.data(), nv, b.Effect);
        break;
      case pkNone:
        break;
    }
    ++Batches_;
    b.VerticesDrawn += nv;
    b.IndicesDrawn += ni;
  }
  b.Vertices.clear();
  b.Indices.clear();
  b.Primitives = 0;
  b.Kind = pkNone;
}

void TCanopyCanvas::TexMap(TCanopyImage* image, const TQuad& quad, const TColor4& colors,
                           const TPatternRec& pattern, int effect) {
  if (!image) return;
  int textureIndex = 0;
  float u[4], v[4];
  if (!image->PatternCoords(pattern, textureIndex, u, v)) return;
  const plat::TextureId texture = image->Texture(textureIndex);
  if (texture == kNoTexture) return;
  const bool white = std::all_of(colors.begin(), colors.end(), [](TColor c) { return c == 0xFFFFFFFFu; });
  if (!white) effect |= kEffectModulate;
  Batch& b = *Batch_;
  const int first = Reserve(4, 6, pkTriangles, effect, texture);
  // Textured corners sit half a pixel up and left, so that texel centres land
  // on pixel centres.
  for (int i = 0; i < 4; ++i) {
    b.Vertices.push_back(plat::Vertex{quad[i].X - 0.5f, quad[i].Y - 0.5f, colors[i], u[i], v[i]});
  }
  for (int k : {0, 1, 3, 1, 2, 3}) b.Indices.push_back(first + k);
  b.Primitives += 2;
}

void TCanopyCanvas::Draw(TCanopyImage* image, int pattern, float x, float y, int effect) {
  DrawColored(image, 0xFFFFFFFFu, x, y, pattern, effect);
}

void TCanopyCanvas::DrawColored(TCanopyImage* image, TColor color, float x, float y, int pattern,
                                int effect) {
  if (!image) return;
  const TQuad quad = QuadFromRect(x, y, x + static_cast<float>(image->VisibleSize.W),
                                  y + static_cast<float>(image->VisibleSize.H));
  TPatternRec rec;
  rec.Index = pattern;
  TexMap(image, quad, Color4(color), rec, effect);
}

void TCanopyCanvas::StretchDraw(TCanopyImage* image, const TRect& rect, int pattern, int effect) {
  TPatternRec rec;
  rec.Index = pattern;
  TexMap(image,
         QuadFromRect(static_cast<float>(rect.Left), static_cast<float>(rect.Top),
                      static_cast<float>(rect.Right), static_cast<float>(rect.Bottom)),
         Color4(0xFFFFFFFFu), rec, effect);
}

void TCanopyCanvas::FillTriangle(TColor color, int effect, TPoint2 a, TPoint2 b, TPoint2 c) {
  Batch& batch = *Batch_;
  const int first =
      Reserve(3, 3, pkTriangles, effect, kNoTexture);
  for (const TPoint2& p : {a, b, c}) batch.Vertices.push_back(plat::Vertex{p.X, p.Y, color, 0, 0});
  for (int k : {0, 1, 2}) batch.Indices.push_back(first + k);
  batch.Primitives += 1;
}

void TCanopyCanvas::FillQuad(const TQuad& quad, const TColor4& colors, int effect) {
  Batch& b = *Batch_;
  const int first = Reserve(4, 6, pkTriangles, effect, kNoTexture);
  for (int i = 0; i < 4; ++i) b.Vertices.push_back(plat::Vertex{quad[i].X, quad[i].Y, colors[i], 0, 0});
  for (int k : {0, 1, 3, 1, 2, 3}) b.Indices.push_back(first + k);
  b.Primitives += 2;
}

void TCanopyCanvas::FrameQuad(const TQuad& quad, const TColor4& colors, int effect) {
  TQuad q = quad;
  const bool rectangle = q[0].Y == q[1].Y && q[1].X == q[2].X && q[2].Y == q[3].Y && q[3].X == q[0].X;
  if (rectangle) {
    // The right and bottom edges come in by a pixel, so that a frame drawn with
    // the rectangle of a fill outlines exactly the filled pixels.
    q[1].X -= 1;
    q[2].X -= 1;
    q[2].Y -= 1;
    q[3].Y -= 1;
  }
  for (int i = 0; i < 4; ++i) Line(q[i], q[(i + 1) % 4], colors[i], colors[(i + 1) % 4], effect);
}

void TCanopyCanvas::Line(TPoint2 a, TPoint2 b, TColor colorA, TColor colorB, int effect) {
  Batch& batch = *Batch_;
  const int first = Reserve(2, 2, pkLines, effect, kNoTexture);
  batch.Vertices.push_back(plat::Vertex{a.X, a.Y, colorA, 0, 0});
  batch.Vertices.push_back(plat::Vertex{b.X, b.Y, colorB, 0, 0});
  batch.Indices.push_back(first);
  batch.Indices.push_back(first + 1);
  batch.Primitives += 1;
}

void TCanopyCanvas::Point(TPoint2 p, TColor color, int effect) {
  Batch& batch = *Batch_;
  Reserve(1, 0, pkPoints, effect, kNoTexture);
  batch.Vertices.push_back(plat::Vertex{p.X, p.Y, color, 0, 0});
  batch.Primitives += 1;
}

TRect TCanopyCanvas::GetClipRect() const { return Batch_->Clip; }

void TCanopyCanvas::SetClipRect(const TRect& rect) {
  Flush();
  Batch& b = *Batch_;
  if (!b.Renderer) {
    b.Clip = rect;
    return;
  }
  const int w = b.Renderer->Width(), h = b.Renderer->Height();
  TRect r;
  r.Left = std::clamp(rect.Left, 0, w);
  r.Top = std::clamp(rect.Top, 0, h);
  r.Right = std::clamp(rect.Right, r.Left, w);
  r.Bottom = std::clamp(rect.Bottom, r.Top, h);
  b.Clip = r;
  const plat::ClipRect clip{r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top};
  b.Renderer->SetClip(&clip);
}

int TCanopyCanvas::Reserve(int vertices, int indices, int kind, int effect, uint32_t texture) {
  Batch& b = *Batch_;
  if (b.NeedStateReset && b.Renderer) {
    // First call of a scene: filtering as configured, and no blend state or
    // texture carried over from the last scene.
    b.Renderer->SetLinearFiltering(Antialias);
    b.Effect = -1;
    b.Texture = kUnbound;
    b.NeedStateReset = false;
  }
  const int nv = static_cast<int>(b.Vertices.size());
  const int ni = static_cast<int>(b.Indices.size());
  if (nv + vertices > VertexCache_ || ni + indices > VertexCache_) {
    ++CacheStalls_;
    Flush();
  } else if (b.Kind != kind && b.Kind != pkNone) {
    Flush();
  }
  if (effect != b.Effect || b.Effect == -1) {
    Flush();
    b.Effect = effect;
  }
  if (texture != b.Texture) {
    Flush();
    b.Texture = texture;
  }
  b.Kind = static_cast<TPrimitiveKind>(kind);
  return static_cast<int>(b.Vertices.size());
}
