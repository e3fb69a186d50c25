#include "engine/core/TextSpaces.h"

#include "engine/core/TextCompare.h"

namespace {

// Unicode's spaces and the characters that show nothing at all.
bool IsSpace(char32_t c) {
  return c == 0x20 || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 || c == 0x180E ||
         (c >= 0x2000 && c <= 0x200B) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x2060 ||
         c == 0x3000 || c == 0xFEFF;
}

// The code point at text[i], and its length in bytes; a byte that starts no
// well-formed sequence stands for itself.
char32_t Decode(const std::string& text, size_t i, size_t& length) {
  const auto b = static_cast<unsigned char>(text[i]);
  length = 1;
  int more = 0;
  char32_t c = b;
  if (b >= 0xC2 && b <= 0xDF) {
    more = 1;
    c = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    more = 2;
    c = b & 0x0F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    more = 3;
    c = b & 0x07;
  } else {
    return b >= 0x80 ? 0xFFFD : c;
  }
  if (i + static_cast<size_t>(more) >= text.size()) return 0xFFFD;
  for (int k = 1; k <= more; ++k) {
    const auto n = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
    if ((n & 0xC0) != 0x80) return 0xFFFD;
    c = (c << 6) | (n & 0x3F);
  }
  length = static_cast<size_t>(more) + 1;
  return c;
}

}  // namespace

std::string FoldSpaces(const std::string& utf8) {
  std::string out;
  bool space = false;
  for (size_t i = 0; i < utf8.size();) {
    size_t length = 1;
    const char32_t c = Decode(utf8, i, length);
    if (IsSpace(c)) {
      space = !out.empty();
    } else {
      if (space) out += ' ';
      space = false;
      out.append(utf8, i, length);
    }
    i += length;
  }
  return out;
}

bool SameNameAsRead(const std::string& utf8a, const std::string& utf8b) {
  return SameText(FoldSpaces(utf8a), FoldSpaces(utf8b));
}

std::string TrimSpaces8(const std::string& name) {
  auto space = [](char c) { return c == ' ' || c == '\xA0'; };
  size_t first = 0, last = name.size();
  while (first < last && space(name[first])) ++first;
  while (last > first && space(name[last - 1])) --last;
  return name.substr(first, last - first);
}
