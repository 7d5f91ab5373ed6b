// How often a text stands in a log or a box: what a test counts when a line
// must appear exactly once.
#pragma once

#include <string>

inline size_t CountOf(const std::wstring& text, const std::wstring& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}
