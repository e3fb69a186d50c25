// The readable text form of the GUI layout (content/gui/*.txt), compiled by
// the layout compiler into the binary layout file and written back from it.
//
//   color bark rgb:5A3A1E           # a named colour
//   style dialog                    # a named group of properties
//       Bkgrnd bark rgb:1E120A      # fills: none | c | top bottom | tl tr br bl
//       Font 1 rgb:FFE9B0 rgb:C08A3C scale 1 style shadow interleave 0
//   form GameOptions                # a control: kind and optional name
//       style dialog                # the style's properties, in place
//       bounds 350 130 300 250      # Left Top Width Height
//       Caption "Options"
//       checkbox CbxFull            # children nest under their parent
//           Caption "Full screen"
//
// Kinds: form, button, checkbox, radio, listbox, label, edit, gauge, paint.
// Property names are the registry's; a value is read by the property's type:
// numbers, true/false, quoted text (several words join as lines), colours
// (rgb:RRGGBB, argb:AARRGGBB, a named colour, or 0x followed by the game's own
// colour value with red in the low byte),
// effect (opaque, alpha, add or a number), alignment (left, right, center,
// justify) and glyph position (left, right, top, bottom). ImageIndex and
// IconIndex take an image key ("icons.image") resolved to its list index; the
// key itself is kept beside it (ImageKey, IconKey), so that the game finds the
// picture by name (see GuiImageKeyProperty). A number gives the index alone.
// `raw NAME TYPE VALUE...` writes a property the registry does not know (the
// decompiler uses it for foreign files). Every unknown word is an error that
// names its file and line.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/DataFile.h"
#include "engine/gui/GuiLayoutFile.h"

struct TGuiSourceImages {
  // The list index of an image key, -1 when there is none.
  std::function<int(std::string_view key)> IndexOf;
  // The key of a list index, "" when there is none.
  std::function<std::string(int index)> KeyOf;
};

// Throws DataError ("file:line: message") on any fault.
std::vector<TGuiLayoutControl> CompileGuiSource(const std::vector<DataFile>& files,
                                                const TGuiSourceImages& images);
std::string DecompileGuiLayout(const std::vector<TGuiLayoutControl>& controls, const TGuiSourceImages& images);

// "argb:AARRGGBB" of a colour (red in the low byte of the game's value), and
// back; also reads "rgb:RRGGBB" (opaque) and "0x" with the game's value.
std::string FormatGuiColor(TColor color);
bool ParseGuiColorText(std::string_view text, TColor& out);
