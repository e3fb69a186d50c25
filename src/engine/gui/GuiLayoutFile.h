// The binary layout file ("data/interface.gui"): a list of controls, each a
// class name, a block of named properties and a list of children. Reading
// gives a plain tree of these records; the GUI base builds controls from it,
// and the layout compiler writes and reads it.
//
// Little-endian; a string is a 32-bit length and that many 8-bit characters.
//   list     := count:u32, control * count
//   control  := class:string, count:u32, property * count, list
//   property := name:string, type:u8, value
//   value    := type 4 (fill): 4 x u32 colours, u8 Active
//               type 5 (font): i32 index, u32 top, u32 bottom, f64 scale, u8 style, f64 interleave
//               any other type: string
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/gui/GuiStyle.h"

struct TGuiLayoutProp {
  std::string Name;
  uint8_t Type = 2;
  std::string Value;  // for every type but fill and font
  TGuiFill Fill;
  TGuiFont Font;

  bool operator==(const TGuiLayoutProp&) const = default;
};

struct TGuiLayoutControl {
  std::string ClassName;
  std::vector<TGuiLayoutProp> Props;
  std::vector<TGuiLayoutControl> Children;

  bool operator==(const TGuiLayoutControl&) const = default;
  // The value of a property of type other than fill or font; nullptr if absent.
  const std::string* Value(std::string_view name) const;
};

// Image references. An image property ("ImageIndex", "IconIndex") holds a
// position in the image list; the layout compiler also stores the image's key
// in a companion text property ("ImageKey", "IconKey"), which controls do not
// know and skip. The GUI base looks the key up in the image list it draws
// with and puts the position found into the image property, so a missing or
// reordered archive record cannot make a control show another picture.
// The companion of an image property; "" for any other name.
std::string_view GuiImageKeyProperty(std::string_view indexProperty);

// Controls nest at most this deep; deeper files are refused.
constexpr int kGuiLayoutMaxDepth = 32;
// The largest layout file read: the game's is some tens of kilobytes.
constexpr size_t kGuiLayoutMaxFileBytes = size_t{4} << 20;

// Reads the root's control list. A class name that is not one of the nine
// control kinds ends the list it stands in (nothing after it in that list is
// read). Truncation, a length or count larger than the bytes left, or nesting
// deeper than kGuiLayoutMaxDepth make it return false with a reason.
bool ReadGuiLayout(const uint8_t* data, size_t size, std::vector<TGuiLayoutControl>& out,
                   std::string* error = nullptr);
bool ReadGuiLayoutFile(const std::string& path, std::vector<TGuiLayoutControl>& out,
                       std::string* error = nullptr);
std::vector<uint8_t> WriteGuiLayout(const std::vector<TGuiLayoutControl>& controls);
