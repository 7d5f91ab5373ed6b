// The words of the control protocol, shared by q7sim and its Windows-side
// client: requests and answers are lines of words separated by single spaces.
// Texts travel as one word each: bytes outside printable ASCII, the space and
// "%" itself as "%XX". Byte strings travel as upper-case hex.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

std::string EscapeText(const std::string& text);
// Nothing when a "%" is not followed by two hex digits.
std::optional<std::string> UnescapeText(const std::string& word);

// Empty words are kept: "a  b" is "a", "", "b".
std::vector<std::string> SplitWords(const std::string& line);

// An unsigned number, decimal or "0x" hex; false for anything else.
bool ParseNumber(const std::string& text, unsigned& value);

std::string HexBytes(const std::vector<uint8_t>& bytes);
// Nothing for an odd length or a character that is no hex digit.
std::optional<std::vector<uint8_t>> ParseHexBytes(const std::string& hex);
