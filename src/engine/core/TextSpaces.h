// Names compared as a player reads them. A name typed with a no-break space
// (the game's 8-bit text) or a folder named with another of Unicode's spaces
// looks just like one with a plain space, or none at either end: "Game
// Levels" followed by a no-break space is the campaign's name to anybody who
// reads it.
#pragma once

#include <string>

// The UTF-8 name with every kind of space (and the invisible ones) as one
// plain space, runs of them as one, none at either end.
std::string FoldSpaces(const std::string& utf8);
// Whether two UTF-8 names read the same: equal once their spaces are folded,
// letters A-Z matching their lower-case forms.
bool SameNameAsRead(const std::string& utf8a, const std::string& utf8b);
// The 8-bit name without plain or no-break spaces at either end.
std::string TrimSpaces8(const std::string& name);
