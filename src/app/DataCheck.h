// The start-up check of the two data archives against everything the game
// asks of them. Without it a missing record shows up only as an invisible
// piece, a silent sound or, for records the game takes by position, the
// wrong picture in the wrong place.
#pragma once

#include <functional>
#include <string>
#include <vector>

class TCPDb;

struct TDataCheck {
  // Keys of records that are absent from each archive, or present with another
  // record type (the image and font lists skip those, so they are as good as
  // absent).
  std::vector<std::string> MissingGame, MissingParticles;
  // The lists taken by position whose records are all there but stand in
  // another order.
  bool FontsOutOfOrder = false, ParticleImagesOutOfOrder = false;

  bool Ok() const {
    return MissingGame.empty() && MissingParticles.empty() && !FontsOutOfOrder && !ParticleImagesOutOfOrder;
  }
};

// Checks the main archive for every image, font, picture, music and sound
// record, and the particle archive for its images. The fonts and the particle
// images are used by their place in the list, so they must come first among
// records of their type, in the list's order.
TDataCheck CheckGameArchives(TCPDb& gameData, TCPDb& particleData);

// One message for the player naming what is wrong, or "" when nothing is.
std::string DataCheckMessage(const TDataCheck& check, const std::string& gameFile, const std::string& particleFile);

// Reads every particle settings file the effects use, as the game will when
// they are first needed (a plain file of at most 64 KiB holding a record):
// one message naming those that cannot be used and why, or "" when all can.
// `path` turns "Data/x.pss" into the file's place.
std::string ParticleSettingsMessage(const std::function<std::string(const std::string&)>& path);
