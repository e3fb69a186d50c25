#include "engine/input/Screener.h"

#include <filesystem>

#include "engine/render/ImageFile.h"
#include "platform/Platform.h"

std::string TCanopyScreener::NextFileName() const {
  if (!AutoInc) return FileName;
  std::string base = FileName;
  std::string ext = ".jpg";
  const size_t dot = FileName.find('.');
  if (dot != std::string::npos) {
    base = FileName.substr(0, dot);
    ext = FileName.substr(dot);
  }
  for (int n = 0;; ++n) {
    std::string number = std::to_string(n);
    if (number.size() < 3) number.insert(0, 3 - number.size(), '0');
    std::string name = base + number + ext;
    std::error_code ec;
    if (!std::filesystem::exists(name, ec)) return name;
  }
}

bool TCanopyScreener::Capture() { return CaptureTo(NextFileName()); }

bool TCanopyScreener::CaptureTo(const std::string& path) {
  if (!Source) return false;
  TBitmap32 bitmap;
  if (!Source->ReadPixels(bitmap.Pixels, bitmap.Width, bitmap.Height)) return false;
  for (uint32_t& p : bitmap.Pixels) p |= 0xFF000000u;
  return SaveImageFile(path, bitmap);
}
