#pragma once

#include <string>

// The server's base-64: RFC 4648 with "$" for "+", "*" for "/" and "_" as pad.
// Used for sealed tokens, chat texts and stored server keys.
extern const char* const kBase64VariantAlphabet;

std::string encodeBase64Variant(const char* bytes, unsigned length);

// Stops without error at the end, at the first "_" or at the first character
// outside the alphabet. A last group of j symbols (1 to 3) gives j - 1 bytes.
std::string decodeBase64Variant(const std::string& text);
