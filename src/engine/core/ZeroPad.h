// Number formatting the whole program shares.
#pragma once

#include <cstdint>
#include <string>

// The number's decimal form with "0" put in front until it is at least width
// characters long: ZeroPad(7, 2) is "07", ZeroPad(123, 2) stays "123".
std::string ZeroPad(int64_t number, int width);
