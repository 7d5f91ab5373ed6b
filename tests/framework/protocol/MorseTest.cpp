#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "Morse.h"

namespace {

// The radio's character set as dots and dashes, first sent first.
struct Row {
    wchar_t character;
    const char* elements;
    BYTE code;
};

const Row kRows[] = {
    {L'!', "...-.", 0x28},   {L'%', ".-...", 0x22},   {L'(', "-.--.", 0x2D},   {L'*', "...-.-", 0x68},
    {L'+', ".-.-.", 0x2A},   {L',', "--..--", 0x73},  {L'-', "-....-", 0x61},  {L'.', ".-.-.-", 0x6A},
    {L'/', "-..-.", 0x29},   {L'0', "-----", 0x3F},   {L'1', ".----", 0x3E},   {L'2', "..---", 0x3C},
    {L'3', "...--", 0x38},   {L'4', "....-", 0x30},   {L'5', ".....", 0x20},   {L'6', "-....", 0x21},
    {L'7', "--...", 0x23},   {L'8', "---..", 0x27},   {L'9', "----.", 0x2F},   {L'=', "-...-", 0x31},
    {L'?', "..--..", 0x4C},  {L'@', ".--.-.", 0x56},  {L'A', ".-", 0x06},      {L'B', "-...", 0x11},
    {L'C', "-.-.", 0x15},    {L'D', "-..", 0x09},     {L'E', ".", 0x02},       {L'F', "..-.", 0x14},
    {L'G', "--.", 0x0B},     {L'H', "....", 0x10},    {L'I', "..", 0x04},      {L'J', ".---", 0x1E},
    {L'K', "-.-", 0x0D},     {L'L', ".-..", 0x12},    {L'M', "--", 0x07},      {L'N', "-.", 0x05},
    {L'O', "---", 0x0F},     {L'P', ".--.", 0x16},    {L'Q', "--.-", 0x1B},    {L'R', ".-.", 0x0A},
    {L'S', "...", 0x08},     {L'T', "-", 0x03},       {L'U', "..-", 0x0C},     {L'V', "...-", 0x18},
    {L'W', ".--", 0x0E},     {L'X', "-..-", 0x19},    {L'Y', "-.--", 0x1D},    {L'Z', "--..", 0x13},
    {L'_', ".-.-", 0x1A},    {L'~', "-.-....", 0x85}, {L'|', "..--", 0x1C},
};

// Element i is bit i, a dah is 1; a 1 above the last element marks the length.
BYTE CodeOf(const char* elements)
{
    const size_t length = std::strlen(elements);
    BYTE code = static_cast<BYTE>(1u << length);
    for (size_t i = 0; i < length; ++i) {
        if (elements[i] == '-')
            code |= static_cast<BYTE>(1u << i);
    }
    return code;
}

}  // namespace

TEST(Morse, EveryCharacterBothWays)
{
    for (const Row& row : kRows) {
        EXPECT_EQ(CodeOf(row.elements), row.code) << static_cast<char>(row.character);
        EXPECT_EQ(CharToMorseCode(row.character), row.code) << static_cast<char>(row.character);
        EXPECT_EQ(MorseCodeToChar(row.code), row.character) << static_cast<char>(row.character);
        if (row.character >= L'A' && row.character <= L'Z') {
            EXPECT_EQ(CharToMorseCode(static_cast<wchar_t>(row.character + 32)), row.code);
        }
    }
    EXPECT_EQ(CharToMorseCode(L' '), kMorseWordSpace);
    EXPECT_EQ(MorseCodeToChar(kMorseWordSpace), L' ');
}

TEST(Morse, NoOtherCharacterHasACode)
{
    std::set<wchar_t> coded{L' '};
    for (const Row& row : kRows) {
        coded.insert(row.character);
        if (row.character >= L'A' && row.character <= L'Z')
            coded.insert(static_cast<wchar_t>(row.character + 32));
    }
    for (unsigned c = 0; c <= 0xFFFF; ++c) {
        if (!coded.count(static_cast<wchar_t>(c))) {
            ASSERT_EQ(CharToMorseCode(static_cast<wchar_t>(c)), 0) << c;
        }
    }
}

TEST(Morse, CodesWithoutCharacterDecodeAsSpace)
{
    std::set<BYTE> known;
    for (const Row& row : kRows)
        known.insert(row.code);
    for (unsigned code = 0; code <= 0xFF; ++code) {
        if (!known.count(static_cast<BYTE>(code))) {
            EXPECT_EQ(MorseCodeToChar(static_cast<BYTE>(code)), L' ') << code;
        }
    }
}

TEST(Morse, TextEncodesWithTerminatorWhenShorter)
{
    BYTE codes[10];
    std::memset(codes, 0x55, sizeof codes);
    EXPECT_EQ(TextToMorseCodes(L"cq test", sizeof codes, codes), 7u);
    const BYTE expected[10] = {0x15, 0x1B, 0x80, 0x03, 0x02, 0x08, 0x03, 0xCC, 0x00, 0x00};
    EXPECT_EQ(std::memcmp(codes, expected, sizeof codes), 0);
    EXPECT_EQ(MorseCodesToText(codes, sizeof codes), L"CQ TEST");
}

TEST(Morse, TextAsLongAsTheBufferHasNoTerminator)
{
    BYTE codes[4];
    EXPECT_EQ(TextToMorseCodes(L"test", 4, codes), 4u);
    const BYTE expected[4] = {0x03, 0x02, 0x08, 0x03};
    EXPECT_EQ(std::memcmp(codes, expected, 4), 0);
    EXPECT_EQ(MorseCodesToText(codes, 4), L"TEST");

    // A longer text is cut at the buffer's end.
    EXPECT_EQ(TextToMorseCodes(L"tested", 4, codes), 4u);
    EXPECT_EQ(std::memcmp(codes, expected, 4), 0);
}

TEST(Morse, CharacterWithoutCodeIsZero)
{
    BYTE codes[4];
    EXPECT_EQ(TextToMorseCodes(L"a#b", 4, codes), 3u);
    const BYTE expected[4] = {0x06, 0x00, 0x11, 0xCC};
    EXPECT_EQ(std::memcmp(codes, expected, 4), 0);
    EXPECT_EQ(TextToMorseCodes(L"", 4, codes), 0u);
    EXPECT_EQ(codes[0], 0xCC);
}

TEST(Morse, DecodingEndsAtTerminatorOrErasedMemory)
{
    const BYTE erased[] = {0xFF, 0x06, 0x11};
    EXPECT_EQ(MorseCodesToText(erased, 3), L"");
    const BYTE ended[] = {0x06, 0xFF, 0x11};
    EXPECT_EQ(MorseCodesToText(ended, 3), L"A");
    const BYTE stored[] = {0x85, 0x80, 0x1C, 0xCC, 0x06};
    EXPECT_EQ(MorseCodesToText(stored, 5), L"~ |");
    EXPECT_EQ(MorseCodesToText(stored, 2), L"~ ");
}

TEST(Morse, FilterKeepsCodedCharactersAsTyped)
{
    EXPECT_EQ(FilterMorseText(L"a#b"), L"ab");
    EXPECT_EQ(FilterMorseText(L"cq de N0CALL/p ~|"), L"cq de N0CALL/p ~|");
    EXPECT_EQ(FilterMorseText(L"\"#$&'):;<>[\\]^`{}\t\r\n\x00E9\x00C9"), L"");
}
