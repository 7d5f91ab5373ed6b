// Command and reply texts as single space-free words, for the control
// channel and the log file: bytes outside printable ASCII, the space and
// "%" itself travel as "%XX".
#pragma once

#include <optional>
#include <string>

std::string EscapeText(const std::string& text);

// Nothing when a "%" is not followed by two hex digits.
std::optional<std::string> UnescapeText(const std::string& word);
