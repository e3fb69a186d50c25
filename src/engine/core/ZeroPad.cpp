#include "engine/core/ZeroPad.h"

std::string ZeroPad(int64_t number, int width) {
  std::string text = std::to_string(number);
  if (static_cast<int64_t>(text.size()) < width) text.insert(0, static_cast<size_t>(width) - text.size(), '0');
  return text;
}
