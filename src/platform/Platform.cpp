#include "platform/Platform.h"

#include <SDL.h>

namespace plat {

uint64_t SystemClock::Counter() { return SDL_GetPerformanceCounter(); }
uint64_t SystemClock::Frequency() { return SDL_GetPerformanceFrequency(); }
void SystemClock::SleepMs(uint32_t ms) { SDL_Delay(ms); }

namespace {
// Windows-1252 characters 0x80..0x9F; 0 where the code page has none.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,
    0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A,
    0x0153, 0, 0x017E, 0x0178};

int UnicodeToAnsi(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] != 0 && kCp1252High[i] == cp) return 0x80 + i;
  return -1;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}
}  // namespace

std::string Utf8ToAnsi(const std::string& utf8) {
  std::string out;
  size_t i = 0;
  while (i < utf8.size()) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    uint32_t cp = 0;
    int extra = 0;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      extra = 3;
    } else {
      ++i;  // a stray continuation byte
      continue;
    }
    if (i + extra >= utf8.size()) break;  // a sequence cut off at the end
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      const auto cc = static_cast<unsigned char>(utf8[i + k]);
      if ((cc & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (cc & 0x3F);
    }
    i += ok ? extra + 1 : 1;
    if (!ok) continue;
    const int a = UnicodeToAnsi(cp);
    out += static_cast<char>(a < 0 ? '?' : a);
  }
  return out;
}

std::string AnsiToUtf8(const std::string& ansi) {
  std::string out;
  for (char ch : ansi) {
    const auto c = static_cast<unsigned char>(ch);
    uint32_t cp = c;
    if (c >= 0x80 && c < 0xA0) cp = kCp1252High[c - 0x80] ? kCp1252High[c - 0x80] : '?';
    AppendUtf8(out, cp);
  }
  return out;
}

std::string WrapLines(const std::string& text, size_t width) {
  std::string out;
  size_t lineStart = 0;  // in out
  size_t lastSpace = std::string::npos;
  for (char c : text) {
    if (c == '\n') {
      out += c;
      lineStart = out.size();
      lastSpace = std::string::npos;
      continue;
    }
    out += c;
    if (c == ' ') lastSpace = out.size() - 1;
    if (out.size() - lineStart > width && lastSpace != std::string::npos && lastSpace >= lineStart) {
      out[lastSpace] = '\n';
      lineStart = lastSpace + 1;
      lastSpace = std::string::npos;
    }
  }
  return out;
}

}  // namespace plat
