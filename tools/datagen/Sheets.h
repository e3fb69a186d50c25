// Pictures for looking at the art: a zoomed preview of one image, the contact
// sheet of every image, and mock screens put together as the game shows them.
#pragma once

#include <string>

#include "Pack.h"
#include "Vision.h"

int WritePreview(const std::string& key, const std::string& out, const TGenOptions& options, int zoom);
int WriteContactSheet(const std::string& out, const TGenOptions& options);
// A mock screen; with a vision other than normal, as those eyes see it.
int WriteScene(const std::string& name, const std::string& out, const TGenOptions& options,
               TVision vision = TVision::Normal);
