// The words replays share between their writer and their reader: bytes as
// hexadecimal pairs, and whether a word can stand in quotes as it is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::string ReplayHex(const std::string& bytes);
std::string ReplayHex(const std::vector<uint8_t>& bytes);
bool ReplayFromHex(const std::string& text, std::vector<uint8_t>& out);
// A word holding both kinds of quote has no quoted form: a replay writes it
// in hex on a line of its own kind ("file-hex", "play-hex", "paste-hex").
bool QuotableWord(const std::string& word);
