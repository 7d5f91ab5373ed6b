// The receivers and DSPs of the simulated radio, as the RF gain tests rely on
// them.
#include "Dsp.h"
#include "Radio.h"

#include <gtest/gtest.h>

namespace {

using Reply = std::optional<std::string>;

// Feeds the line's characters to the DSP; the replies in order.
std::vector<std::string> Feed(CDsp& dsp, const std::string& line)
{
    std::vector<std::string> replies;
    bool commandStart = true;
    for (const char c : line) {
        CDsp::Output out;
        if (!dsp.Receive(c, commandStart, out))
            continue;
        if (out.reply)
            replies.push_back(*out.reply);
        commandStart = out.piece == ";";
    }
    return replies;
}

TEST(Receiver, SwitchesShowInTheIconReplies)
{
    CRadio radio;
    EXPECT_EQ(radio.Handle("IC;"), Reply(std::string("IC\x80\x80\x80\x80\x80;")));
    radio.Handle("SWH18;");
    radio.Handle("SB1;");
    radio.Handle("SWH25;");
    EXPECT_EQ(radio.Handle("IC;"), Reply(std::string("IC\xA0\x80\x89\x80\x80;")));
    // With BSET on the noise-reduction switch works the second receiver.
    radio.Handle("SWH11;");
    radio.Handle("SWT34;");
    EXPECT_EQ(radio.Handle("IC;"), Reply(std::string("IC\xE0\x80\x89\x80\x84;")));

    const std::string shown = *radio.Handle("DS;");
    ASSERT_EQ(shown.size(), 13u);
    EXPECT_EQ(static_cast<unsigned char>(shown[11]), 0x80 | 0x10 | 0x20 | 0x04);
    radio.Handle("SWT32;");
    radio.Handle("SWT32;");
    EXPECT_EQ(static_cast<unsigned char>((*radio.Handle("DS;"))[11]) & 3, 2);
    radio.Handle("SWT32;");
    EXPECT_EQ(static_cast<unsigned char>((*radio.Handle("DS;"))[11]) & 3, 0);
}

TEST(Receiver, CopyToVfoBIsAFieldSwitchWhileTheClockShows)
{
    CRadio radio;
    const auto vfoB = [&] { return *radio.Handle("FB;"); };
    radio.Handle("MN073;");
    radio.Handle("SWT13;");  // selects a field of the time menu
    radio.Handle("MN255;");
    EXPECT_EQ(vfoB(), "FB00007030000;");
    radio.Handle("SWT13;");
    EXPECT_EQ(vfoB(), "FB00014060000;");
}

TEST(Dsp, SyncCommandAndTableReplies)
{
    CDsp dsp;
    EXPECT_EQ(Feed(dsp, "!0202;"), (std::vector<std::string>{"(00)", "(00)"}));
    EXPECT_EQ(Feed(dsp, "!b800;"), (std::vector<std::string>{"(00)", "(47)"}));
    dsp.SetSignal(0, -73);
    EXPECT_EQ(Feed(dsp, "!bd0000;"), (std::vector<std::string>{"(00)", "(42)", "(B7)"}));
    EXPECT_EQ(Feed(dsp, "@bd0000;")[2], "(81)");  // no signal at the second receiver

    std::string write = "@bc";
    for (int i = 0; i < 128; ++i)
        write += "3C";
    Feed(dsp, write + ";");
    EXPECT_EQ(dsp.ReceiverTable(1)[127], 0x3C);
    const std::vector<std::string> read = Feed(dsp, "@bb00" + std::string(256, '0') + ";");
    ASSERT_EQ(read.size(), 130u);
    EXPECT_EQ(read[1], "(44)");
    EXPECT_EQ(read[129], "(3C)");

    // Computing without a signal gives a table of zeros.
    Feed(dsp, "@b804;");
    EXPECT_EQ(dsp.ReceiverTable(1)[0], 0);
    Feed(dsp, "!b804;");
    EXPECT_NE(dsp.ReceiverTable(0)[0], 0);
}

TEST(Dsp, FaultsOnRequest)
{
    CDsp dsp;
    dsp.AnswerSyncFD(1);
    dsp.WrongComplement(1);
    dsp.ShortTable(true);
    dsp.ExtraAtEnd(1);
    EXPECT_EQ(Feed(dsp, "!020202;"), (std::vector<std::string>{"(FD)", "(00)", "(00)"}));
    EXPECT_EQ(Feed(dsp, "!b800;"), (std::vector<std::string>{"(00)", "(48)", "(00)"}));
    EXPECT_EQ(Feed(dsp, "!bb00" + std::string(256, '0') + ";").size(), 129u);
}

}  // namespace
