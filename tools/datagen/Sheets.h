// Pictures for looking at the art: a zoomed preview of one image, the contact
// sheet of every image, and mock screens put together as the game shows them.
#pragma once

#include <string>

#include "Pack.h"

int WritePreview(const std::string& key, const std::string& out, const TGenOptions& options, int zoom);
int WriteContactSheet(const std::string& out, const TGenOptions& options);
int WriteScene(const std::string& name, const std::string& out, const TGenOptions& options);
