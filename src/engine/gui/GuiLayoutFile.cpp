#include "engine/gui/GuiLayoutFile.h"

#include <cstring>

#include "engine/core/SafeFile.h"
#include "engine/gui/GuiProperties.h"

namespace {

// Smallest encodings, used to refuse counts that the bytes left cannot hold.
constexpr size_t kMinControlBytes = 4 + 4 + 4;  // empty class name, no properties, no children
constexpr size_t kMinPropBytes = 4 + 1 + 4;     // empty name, type, empty value

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : Data_(data), Size_(size) {}

  size_t Left() const { return Size_ - Pos_; }
  bool Fail(const std::string& why) {
    if (Error.empty()) Error = why + " at byte " + std::to_string(Pos_);
    return false;
  }
  bool Bytes(void* out, size_t n) {
    if (n > Left()) return Fail("file ends early");
    std::memcpy(out, Data_ + Pos_, n);
    Pos_ += n;
    return true;
  }
  bool U32(uint32_t& v) {
    uint8_t b[4] = {0, 0, 0, 0};
    if (!Bytes(b, 4)) return false;
    v = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
        static_cast<uint32_t>(b[3]) << 24;
    return true;
  }
  bool U8(uint8_t& v) { return Bytes(&v, 1); }
  bool F64(double& v) {
    uint32_t lo = 0, hi = 0;
    if (!U32(lo) || !U32(hi)) return false;
    uint64_t bits = static_cast<uint64_t>(hi) << 32 | lo;
    std::memcpy(&v, &bits, 8);
    return true;
  }
  bool String(std::string& s) {
    uint32_t n = 0;
    if (!U32(n)) return false;
    if (n > Left()) return Fail("string of " + std::to_string(n) + " bytes runs past the end");
    s.assign(reinterpret_cast<const char*>(Data_ + Pos_), n);
    Pos_ += n;
    return true;
  }
  bool Count(uint32_t& n, size_t minBytes) {
    if (!U32(n)) return false;
    if (n > Left() / minBytes) return Fail("count " + std::to_string(n) + " exceeds the bytes left");
    return true;
  }

  bool List(std::vector<TGuiLayoutControl>& out, int depth) {
    if (depth > kGuiLayoutMaxDepth) return Fail("controls nest too deep");
    uint32_t count = 0;
    if (!Count(count, kMinControlBytes)) return false;
    for (uint32_t i = 0; i < count; ++i) {
      TGuiLayoutControl c;
      if (!String(c.ClassName)) return false;
      // An unknown class ends this list; its bytes are left where they are.
      if (!GuiKindFromClassName(c.ClassName)) return true;
      if (!Properties(c.Props) || !List(c.Children, depth + 1)) return false;
      out.push_back(std::move(c));
    }
    return true;
  }

  bool Properties(std::vector<TGuiLayoutProp>& out) {
    uint32_t count = 0;
    if (!Count(count, kMinPropBytes)) return false;
    out.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
      TGuiLayoutProp p;
      if (!String(p.Name) || !U8(p.Type)) return false;
      if (p.Type == ptFill) {
        for (TColor& c : p.Fill.Colors)
          if (!U32(c)) return false;
        if (!U8(p.Fill.Active)) return false;
      } else if (p.Type == ptFont) {
        uint32_t index = 0;
        if (!U32(index) || !U32(p.Font.Top) || !U32(p.Font.Bottom) || !F64(p.Font.Scale) ||
            !U8(p.Font.Style) || !F64(p.Font.Interleave))
          return false;
        p.Font.Index = static_cast<int32_t>(index);
      } else if (!String(p.Value)) {
        return false;
      }
      out.push_back(std::move(p));
    }
    return true;
  }

  std::string Error;

 private:
  const uint8_t* Data_;
  size_t Size_;
  size_t Pos_ = 0;
};

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutF64(std::vector<uint8_t>& out, double v) {
  uint64_t bits = 0;
  std::memcpy(&bits, &v, 8);
  PutU32(out, static_cast<uint32_t>(bits));
  PutU32(out, static_cast<uint32_t>(bits >> 32));
}

void PutString(std::vector<uint8_t>& out, const std::string& s) {
  PutU32(out, static_cast<uint32_t>(s.size()));
  out.insert(out.end(), s.begin(), s.end());
}

void PutList(std::vector<uint8_t>& out, const std::vector<TGuiLayoutControl>& list) {
  PutU32(out, static_cast<uint32_t>(list.size()));
  for (const TGuiLayoutControl& c : list) {
    PutString(out, c.ClassName);
    PutU32(out, static_cast<uint32_t>(c.Props.size()));
    for (const TGuiLayoutProp& p : c.Props) {
      PutString(out, p.Name);
      out.push_back(p.Type);
      if (p.Type == ptFill) {
        for (TColor col : p.Fill.Colors) PutU32(out, col);
        out.push_back(p.Fill.Active);
      } else if (p.Type == ptFont) {
        PutU32(out, static_cast<uint32_t>(p.Font.Index));
        PutU32(out, p.Font.Top);
        PutU32(out, p.Font.Bottom);
        PutF64(out, p.Font.Scale);
        out.push_back(p.Font.Style);
        PutF64(out, p.Font.Interleave);
      } else {
        PutString(out, p.Value);
      }
    }
    PutList(out, c.Children);
  }
}

}  // namespace

std::string_view GuiImageKeyProperty(std::string_view indexProperty) {
  if (SameText(indexProperty, "ImageIndex")) return "ImageKey";
  if (SameText(indexProperty, "IconIndex")) return "IconKey";
  return {};
}

const std::string* TGuiLayoutControl::Value(std::string_view name) const {
  for (const TGuiLayoutProp& p : Props)
    if (p.Type != ptFill && p.Type != ptFont && SameText(p.Name, name)) return &p.Value;
  return nullptr;
}

bool ReadGuiLayout(const uint8_t* data, size_t size, std::vector<TGuiLayoutControl>& out, std::string* error) {
  Reader reader(data, size);
  std::vector<TGuiLayoutControl> list;
  if (!reader.List(list, 0)) {
    if (error) *error = reader.Error;
    return false;
  }
  out = std::move(list);
  return true;
}

bool ReadGuiLayoutFile(const std::string& path, std::vector<TGuiLayoutControl>& out, std::string* error) {
  // Only a plain file of sensible size: a pipe would block the start for ever,
  // a device or a huge file would exhaust memory.
  std::vector<uint8_t> bytes;
  std::string why;
  if (!ReadSmallFile(path, kGuiLayoutMaxFileBytes, bytes, why)) {
    if (error) *error = why;
    return false;
  }
  if (!ReadGuiLayout(bytes.data(), bytes.size(), out, error)) {
    if (error) *error = path + ": " + *error;
    return false;
  }
  return true;
}

std::vector<uint8_t> WriteGuiLayout(const std::vector<TGuiLayoutControl>& controls) {
  std::vector<uint8_t> out;
  PutList(out, controls);
  return out;
}
