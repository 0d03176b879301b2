#pragma once

#include <cstdint>
#include <string>

// Numbers and texts as the server's wire carries them. Every conversion here is
// independent of the C locale: a French locale must not read "145.800" as 145
// nor write "145,800" into a path.

// A decimal sent as text: every "," counts as ".", leading blanks and a sign are
// allowed, conversion stops at the first character that does not fit (the
// behaviour of atof in the "C" locale). False, leaving *value alone, for text
// without a number and for numbers that are not finite ("nan", "inf", 1e400).
bool readWireDecimal(const char* text, double* value);
// The same, reading 0 where there is no finite number.
double parseWireDecimal(const char* text);

// An integer sent as text, read like atoi in the "C" locale; values beyond the
// int range are clamped.
int parseWireInt(const char* text);

// MHz to Hz rounded to the nearest hertz (ties to even); 0 for a value that is
// not finite or does not fit in 64 bits.
int64_t mhzToHz(double mhz);

// printf("%0.Nf") with a "." whatever the locale.
std::string formatFixed(double value, int decimals);

// Percent-encodes a text for one segment of a URL path: everything except the
// unreserved characters and "*" (the server's "every user" address) becomes %XX,
// so "/", "?", "#", "%" and blanks cannot change the path's structure.
std::string encodePathText(const std::string& text);
