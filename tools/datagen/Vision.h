// Looking at the art as players with other eyes see it: a greyscale view (no
// colour at all) and a deuteranopia view (no green-red axis), and a measure
// of how well a piece stands out from the cell under it in either view.
#pragma once

#include "Paint.h"

enum class TVision { Normal, Grey, Deuteranopia };

// The vision named "normal", "grey" or "deuteranopia"; throws otherwise.
TVision VisionByName(const std::string& name);

struct TLab {
  double L = 0, A = 0, B = 0;
};
// CIE L*a*b* (D65) of an sRGB colour given in 0..1.
TLab LabOf(double r, double g, double b);
// An sRGB colour in 0..1 as the vision shows it.
void SimulateColour(TVision vision, double& r, double& g, double& b);
// Every pixel of the surface as the vision shows it (alpha kept).
void SimulateVision(TSurface& surface, TVision vision);

// How far a piece drawn over a cell stands out from it, in the vision: the
// larger colour difference (CIE76 delta E) between the cell seen in the two
// pixels round the piece's silhouette and either the silhouette's outermost
// pixel (its outline) or the three pixels inside that (its body). Both
// surfaces are 40 x 40 patterns; the cell is opaque. An additive piece is
// added to the cell as the game's additive blend draws it.
double RimContrast(const TSurface& piece, const TSurface& cell, TVision vision, bool additive = false);
