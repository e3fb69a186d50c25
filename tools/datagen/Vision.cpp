#include "Vision.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace {

double ToLinear(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }
double ToSrgb(double c) {
  c = std::clamp(c, 0.0, 1.0);
  return c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
}

// Straight (not premultiplied) 0..1 colour of a pixel and its alpha.
struct TPixel {
  double R, G, B, A;
};
TPixel Unpack(uint32_t p) {
  const double a = (p >> 24) / 255.0;
  if (a <= 0) return {0, 0, 0, 0};
  return {((p >> 16) & 255) / 255.0 / a, ((p >> 8) & 255) / 255.0 / a, (p & 255) / 255.0 / a, a};
}

}  // namespace

TVision VisionByName(const std::string& name) {
  if (name == "normal") return TVision::Normal;
  if (name == "grey" || name == "gray") return TVision::Grey;
  if (name == "deuteranopia") return TVision::Deuteranopia;
  throw std::runtime_error("no vision named " + name + " (normal, grey, deuteranopia)");
}

TLab LabOf(double r, double g, double b) {
  const double lr = ToLinear(r), lg = ToLinear(g), lb = ToLinear(b);
  const double x = (0.4124 * lr + 0.3576 * lg + 0.1805 * lb) / 0.95047;
  const double y = 0.2126 * lr + 0.7152 * lg + 0.0722 * lb;
  const double z = (0.0193 * lr + 0.1192 * lg + 0.9505 * lb) / 1.08883;
  auto f = [](double t) { return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116; };
  return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

void SimulateColour(TVision vision, double& r, double& g, double& b) {
  const double lr = ToLinear(r), lg = ToLinear(g), lb = ToLinear(b);
  if (vision == TVision::Grey) {
    r = g = b = ToSrgb(0.2126 * lr + 0.7152 * lg + 0.0722 * lb);
  } else if (vision == TVision::Deuteranopia) {
    // Machado, Oliveira and Fernandes (2009), full severity, on linear RGB.
    r = ToSrgb(0.367322 * lr + 0.860646 * lg - 0.227968 * lb);
    g = ToSrgb(0.280085 * lr + 0.672501 * lg + 0.047413 * lb);
    b = ToSrgb(-0.011820 * lr + 0.042940 * lg + 0.968881 * lb);
  }
}

void SimulateVision(TSurface& surface, TVision vision) {
  if (vision == TVision::Normal) return;
  surface.Flush();
  for (int y = 0; y < surface.Height(); ++y) {
    uint32_t* row = surface.Row(y);
    for (int x = 0; x < surface.Width(); ++x) {
      TPixel p = Unpack(row[x]);
      if (p.A <= 0) continue;
      SimulateColour(vision, p.R, p.G, p.B);
      auto channel = [&](double c) { return static_cast<uint32_t>(std::lround(std::clamp(c, 0.0, 1.0) * p.A * 255)); };
      row[x] = (row[x] & 0xFF000000u) | channel(p.R) << 16 | channel(p.G) << 8 | channel(p.B);
    }
  }
  surface.MarkDirty();
}

double RimContrast(const TSurface& piece, const TSurface& cell, TVision vision, bool additive) {
  constexpr int kSize = 40;
  TSurface seen(kSize, kSize);
  {
    TPen pen(seen);
    cairo_set_source_surface(pen, cell.Get(), 0, 0);
    cairo_paint(pen);
    if (additive) cairo_set_operator(pen, CAIRO_OPERATOR_ADD);
    cairo_set_source_surface(pen, piece.Get(), 0, 0);
    cairo_paint(pen);
  }
  SimulateVision(seen, vision);
  TSurface p = piece.Clone();
  p.Flush();
  seen.Flush();
  std::vector<bool> inside(kSize * kSize);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) inside[static_cast<size_t>(y * kSize + x)] = (p.Row(y)[x] >> 24) >= 128;
  // Distance (squared, up to 16) from a pixel to the nearest pixel on the
  // other side of the silhouette's edge.
  auto edgeDistance = [&](int x, int y) {
    const bool in = inside[static_cast<size_t>(y * kSize + x)];
    int best = 99;
    for (int dy = -4; dy <= 4; ++dy)
      for (int dx = -4; dx <= 4; ++dx) {
        const int nx = x + dx, ny = y + dy;
        if (nx < 0 || ny < 0 || nx >= kSize || ny >= kSize) continue;
        if (inside[static_cast<size_t>(ny * kSize + nx)] != in) best = std::min(best, dx * dx + dy * dy);
      }
    return best;
  };
  // Three bands: the piece's outermost pixel (its outline), the piece a
  // little further in (its body), the cell round it.
  struct TBand {
    double L = 0, A = 0, B = 0;
    int Count = 0;
    TLab Mean() const { return {L / Count, A / Count, B / Count}; }
  } outline, body, around;
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const int d = edgeDistance(x, y);
      const bool in = inside[static_cast<size_t>(y * kSize + x)];
      TBand* band = !in ? (d <= 4 ? &around : nullptr) : d <= 1 ? &outline : d <= 16 ? &body : nullptr;
      if (!band) continue;
      const TPixel c = Unpack(seen.Row(y)[x]);
      const TLab lab = LabOf(c.R, c.G, c.B);
      band->L += lab.L;
      band->A += lab.A;
      band->B += lab.B;
      ++band->Count;
    }
  if (around.Count == 0 || outline.Count == 0 || body.Count == 0) return 0;
  auto delta = [](const TLab& a, const TLab& b) {
    return std::sqrt((a.L - b.L) * (a.L - b.L) + (a.A - b.A) * (a.A - b.A) + (a.B - b.B) * (a.B - b.B));
  };
  // Either edge shows the shape: an outline unlike the cell, or a body unlike
  // it where the outline melts into the cell.
  return std::max(delta(outline.Mean(), around.Mean()), delta(body.Mean(), around.Mean()));
}
