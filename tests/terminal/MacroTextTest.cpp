// The conversions between the editor's texts and the radio's macro fields,
// the checks before a write, and the text forms of the Command Tester.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommandMacrosSheet.h"
#include "CommandTesterPage.h"
#include "resource.h"

namespace {

std::vector<BYTE> Bytes(const std::string& text, size_t size)
{
    std::vector<BYTE> bytes(text.begin(), text.end());
    bytes.resize(size, 0xFF);
    return bytes;
}

}  // namespace

TEST(MacroFields, ReadTextEndsAtTheFirstNulOrErasedByte)
{
    const struct {
        std::string stored;
        unsigned length;
        std::wstring text;
    } cases[] = {
        {"VFO A", 8, L"VFO A"},                    // 0xFF after it: never written
        {"ABCDEFGH", 8, L"ABCDEFGH"},              // a full field has no end mark
        {std::string("AB\0CD", 5), 8, L"AB"},      // a shorter value written over a longer one
        {"", 8, L""},                              // an erased EEPROM
        {std::string("\0", 1), 120, L""},          // an empty value
        {std::string(120, 'X'), 120, std::wstring(120, L'X')},
    };
    for (const auto& c : cases) {
        const std::vector<BYTE> field = Bytes(c.stored, c.length);
        EXPECT_EQ(DecodeMacroField(field.data(), c.length), c.text) << c.stored;
    }
}

TEST(MacroFields, WrittenValuesAreTrimmedUpperCasedAndCut)
{
    const struct {
        std::wstring value;
        unsigned length;
        std::wstring normal;
        std::string bytes;  // what goes to the radio, NUL included
    } cases[] = {
        {L" rit on ", 8, L"RIT ON", std::string("RIT ON\0", 7)},
        {L"", 8, L"", std::string("\0", 1)},
        {L" \t ", 120, L"", std::string("\0", 1)},
        {L"abcdefgh", 8, L"ABCDEFGH", "ABCDEFGH"},  // full: no NUL
        {L"vfo a/b swap", 8, L"VFO A/B ", "VFO A/B "},
        {L"\tfa;fb;\r\n", 120, L"FA;FB;", std::string("FA;FB;\0", 7)},
        {std::wstring(130, L'x'), 120, std::wstring(120, L'X'), std::string(120, 'X')},
    };
    for (const auto& c : cases) {
        const std::wstring normal = NormalizeMacroField(c.value, c.length);
        EXPECT_EQ(normal, c.normal);
        BYTE buffer[kMacroTextLength + 1];
        const unsigned count = EncodeMacroField(normal, c.length, buffer);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), count), c.bytes);
    }
}

TEST(MacroFields, CharactersKeepTheirCodePageOnTheWayThroughTheRadio)
{
    BYTE buffer[kMacroLabelLength + 1];
    const std::wstring euro = NormalizeMacroField(L"\x20AC" L"1", kMacroLabelLength);
    ASSERT_EQ(EncodeMacroField(euro, kMacroLabelLength, buffer), 3u);
    EXPECT_EQ(buffer[1], '1');
    EXPECT_EQ(DecodeMacroField(buffer, kMacroLabelLength), L"\x20AC" L"1") << "code page " << GetACP();

    // One byte a character: what the code page lacks becomes '?'.
    const unsigned count = EncodeMacroField(L"A\x4E2D" L"B", kMacroLabelLength, buffer);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), count), std::string("A?B\0", 4));
}

TEST(MacroFields, TheFirstTooLongFieldInRowOrderIsReported)
{
    const std::wstring ok8(8, L'L'), long9(9, L'L'), ok120(120, L'T'), long121(121, L'T');
    struct Expected {
        UINT textId;
        UINT captionId;
        unsigned row;
        unsigned limit;
    };
    const Expected label3{IDS_MACRO_LABEL_TOO_LONG, IDS_MACRO_LABEL_LENGTH_CAPTION, 3, 8};
    const Expected text2{IDS_MACRO_TEXT_TOO_LONG, IDS_MACRO_TEXT_LENGTH_CAPTION, 2, 120};
    const Expected label2{IDS_MACRO_LABEL_TOO_LONG, IDS_MACRO_LABEL_LENGTH_CAPTION, 2, 8};
    const struct {
        std::vector<std::wstring> labels, texts;
        std::optional<Expected> error;
    } cases[] = {
        {{ok8, ok8, ok8}, {ok120, ok120, ok120}, std::nullopt},
        {{ok8, ok8, long9}, {ok120, ok120, long121}, label3},
        {{ok8, ok8, long9}, {ok120, long121, ok120}, text2},  // an earlier row wins
        {{ok8, long9, ok8}, {ok120, long121, ok120}, label2},  // the label before the text
    };
    for (const auto& c : cases) {
        const auto error = FindTooLongMacroField(c.labels, c.texts);
        ASSERT_EQ(error.has_value(), c.error.has_value());
        if (!error)
            continue;
        EXPECT_EQ(error->textId, c.error->textId);
        EXPECT_EQ(error->captionId, c.error->captionId);
        EXPECT_EQ(error->row, c.error->row);
        EXPECT_EQ(error->limit, c.error->limit);
    }
}

TEST(CommandTesterText, PacedTextGoesThreeCharactersFirstThenTwo)
{
    const std::wstring text = L"!0123456";
    std::vector<std::wstring> pieces;
    for (size_t at = 0; !NextPacedPiece(text, at).empty(); at += pieces.back().size())
        pieces.push_back(NextPacedPiece(text, at));
    EXPECT_EQ(pieces, (std::vector<std::wstring>{L"!01", L"23", L"45", L"6"}));
    EXPECT_EQ(NextPacedPiece(L"@b", 0), L"@b");
}

TEST(CommandTesterText, ReceivedControlBytesAreShownEscaped)
{
    const char received[] = "FA;\r\n\x01(7F)\xFF";
    EXPECT_EQ(FormatReceivedBytes(received, sizeof received - 1), L"FA;\\x0D\\x0A\\x01(7F)\\xFF");
}
