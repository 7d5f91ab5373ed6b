#include "ControlWords.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string Hex2(unsigned char byte)
{
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", byte);
    return digits;
}

}  // namespace

std::string EscapeText(const std::string& text)
{
    std::string word;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > 0x20 && byte < 0x7F && c != '%')
            word += c;
        else
            word += "%" + Hex2(byte);
    }
    return word;
}

std::optional<std::string> UnescapeText(const std::string& word)
{
    std::string text;
    for (size_t i = 0; i < word.size(); ++i) {
        if (word[i] != '%') {
            text += word[i];
            continue;
        }
        if (i + 2 >= word.size())
            return std::nullopt;
        const int high = HexValue(word[i + 1]);
        const int low = HexValue(word[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        text += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return text;
}

std::vector<std::string> SplitWords(const std::string& line)
{
    std::vector<std::string> words;
    size_t start = 0;
    for (size_t space; (space = line.find(' ', start)) != std::string::npos; start = space + 1)
        words.push_back(line.substr(start, space - start));
    words.push_back(line.substr(start));
    return words;
}

std::string HexBytes(const std::vector<uint8_t>& bytes)
{
    std::string hex;
    for (const uint8_t byte : bytes)
        hex += Hex2(byte);
    return hex;
}

std::optional<std::vector<uint8_t>> ParseHexBytes(const std::string& hex)
{
    if (hex.size() % 2 != 0)
        return std::nullopt;
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexValue(hex[i]);
        const int low = HexValue(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return bytes;
}

bool ParseNumber(const std::string& text, unsigned& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long number = std::strtoul(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || number > 0xFFFFFFFFul || text[0] == '-')
        return false;
    value = static_cast<unsigned>(number);
    return true;
}
