// The rules of a DSP command and of the radio's replies that the RF gain
// machine reads: pieces, verification, level and table replies, which reply
// answers which query, and the switch flags.
#include <gtest/gtest.h>

#include "RFGainDspExchange.h"
#include "RFGainReplies.h"
#include "messages.h"

namespace {

std::vector<size_t> Pieces(const std::wstring& text)
{
    std::vector<size_t> lengths;
    for (size_t position = 0; position < text.size(); position += lengths.back())
        lengths.push_back(DspPieceLength(text, position));
    return lengths;
}

TEST(RFGainExchange, CommandsGoOutAsThreeThenTwoCharactersAndALastOne)
{
    EXPECT_EQ(Pieces(L"!b800;"), (std::vector<size_t>{3, 2, 1}));
    EXPECT_EQ(Pieces(L"!bd0000;"), (std::vector<size_t>{3, 2, 2, 1}));
    const std::vector<size_t> read = Pieces(L"!bb00" + std::wstring(256, L'0') + L";");
    EXPECT_EQ(read.size(), 131u);  // "!bb", 129 pairs, ";"
    EXPECT_EQ(read.front(), 3u);
    EXPECT_EQ(read.back(), 1u);
    const std::vector<size_t> write = Pieces(L"!bc" + std::wstring(256, L'A') + L";");
    EXPECT_EQ(write.size(), 130u);  // "!bc", 128 pairs, ";"
    EXPECT_EQ(Pieces(L"!b"), (std::vector<size_t>{2}));
}

TEST(RFGainExchange, VerificationWantsTheSecondReplyToCompleteTheCommandByte)
{
    const std::wstring read = L"!bb00" + std::wstring(256, L'0') + L";";
    struct Case {
        std::wstring text;
        std::wstring replies;
        HRESULT expected;
    } const cases[] = {
        {L"!b800;", L"0047", 0},
        {L"!b800;", L"00", E_DSP_RESPONSE_CORRUPT},
        {L"!b800;", L"0048", E_DSP_RESPONSE_NOT_COMPLEMENT},
        {L"!bd0000;", L"004200", 0},
        {read, L"0044" + std::wstring(256, L'0'), 0},
        {read, L"0044" + std::wstring(250, L'0'), E_DSP_RESPONSE_TOO_SHORT},
        {read, L"0045" + std::wstring(256, L'0'), E_DSP_RESPONSE_NOT_COMPLEMENT},
        {L"!x800;", L"0047", E_DSP_COMMAND_INVALID},
        {L"!b8", L"0047", E_DSP_COMMAND_INVALID},
        {L"!b800;", L"00G7", E_DSP_RESPONSE_CORRUPT},
        {L"!b800;", L"00470", E_DSP_RESPONSE_CORRUPT},
        {L"!b800;", L"0047ZZ", E_DSP_RESPONSE_CORRUPT},
    };
    for (const Case& c : cases) {
        BYTE command = 0, reply = 0;
        EXPECT_EQ(VerifyDspResponse(c.text, c.replies, command, reply), c.expected)
            << c.text.substr(0, 8) << " " << c.replies.size();
    }
}

TEST(RFGainExchange, LevelIsOneSignedByteAfterTheFirstTwoReplies)
{
    struct Case {
        const wchar_t* replies;
        bool valid;
        int level;
    } const cases[] = {
        {L"004249", true, 73}, {L"00429C", true, -100}, {L"00429D", true, -99},
        {L"0042", false, 0},   {L"00429D00", false, 0}, {L"0042G1", false, 0},
    };
    for (const Case& c : cases) {
        signed char level = 0;
        EXPECT_EQ(ParseSignalLevel(c.replies, level), c.valid) << c.replies;
        if (c.valid) {
            EXPECT_EQ(level, c.level) << c.replies;
        }
    }
}

TEST(RFGainExchange, TableReplyIsExactlyTheTableAfterTheFirstTwoReplies)
{
    RFGainTable table{};
    table.fill(0x77);
    EXPECT_FALSE(ParseDspTableReply(L"0044" + std::wstring(259, L'1'), table));
    EXPECT_FALSE(ParseDspTableReply(L"0044" + std::wstring(254, L'1'), table));
    EXPECT_EQ(table[0], 0x77);
    EXPECT_TRUE(ParseDspTableReply(L"0044A5" + std::wstring(252, L'0') + L"5A", table));
    EXPECT_EQ(table[0], 0xA5);
    EXPECT_EQ(table[1], 0x00);
    EXPECT_EQ(table[127], 0x5A);
}

TEST(RFGainReplies, AQueryIsAnsweredOnlyByItsOwnLettersAndIconRepliesOnlyWhole)
{
    EXPECT_TRUE(AnswersQuery(L"AI1;", L"AI;"));
    EXPECT_FALSE(AnswersQuery(L"FA00014060000;", L"AI;"));
    EXPECT_TRUE(AnswersQuery(L"RA$00;", L"RA$;"));
    EXPECT_FALSE(AnswersQuery(L"RA$00;", L"RA;"));
    EXPECT_FALSE(AnswersQuery(L"R", L"RA;"));

    const std::wstring ic = std::wstring(L"IC") + L"\xA0\x80\x89\x80\x84;";
    EXPECT_TRUE(AnswersIconQuery(ic, L"IC;"));
    EXPECT_FALSE(AnswersIconQuery(ic.substr(0, 7), L"IC;"));
    EXPECT_FALSE(AnswersIconQuery(ic, L"DS;"));
    const std::wstring ds = std::wstring(L"DS@14060000") + L"\x9A;";
    EXPECT_TRUE(AnswersIconQuery(ds, L"DS;"));
    EXPECT_FALSE(AnswersIconQuery(L"DS@@14025000@@;", L"DS;"));
}

TEST(RFGainReplies, FlagsNeedEveryBitOfTheirMaskAndTheNotchAValidIconByte)
{
    const std::wstring ds = std::wstring(L"DS@14060000") + L"\x9A;";  // 0x80 ATU CW-tune notch 2
    EXPECT_TRUE(IsFlagOn(ds, 11, 0x90));
    EXPECT_TRUE(IsFlagOn(ds, 11, 0x88));
    EXPECT_FALSE(IsFlagOn(ds, 11, 0xA0));
    EXPECT_FALSE(IsFlagOn(ds, 13, 0x80));
    EXPECT_EQ(NotchValue(ds), 2u);
    EXPECT_EQ(NotchValue(std::wstring(L"DS@14060000") + L"\x03;"), 0u);
    EXPECT_EQ(NotchValue(L"DS;"), 0u);
}

}  // namespace
