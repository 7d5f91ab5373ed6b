// The calibrations' saved settings: which reply is a value to put back, and
// how a setting not put back is named.
#include <gtest/gtest.h>

#include "ErrorText.h"
#include "SettingReplies.h"

namespace {

// Every setting the calibrations save, with a value as its set command
// writes it, the second receiver's where it has one, and replies that are
// no value of it.
TEST(SettingReplies, AValueIsTheQueryThenTheSetCommandsFormThenItsEnd)
{
    struct Row {
        const wchar_t* query;
        const wchar_t* reply;
        bool value;
    } rows[] = {
        // The transmitter's.
        {L"FA;", L"FA00014060000;", true},
        {L"FA;", L"FA0001406000;", false},
        {L"FB;", L"FB00007030000;", true},
        {L"BN;", L"BN05;", true},
        {L"BN;", L"BN5;", false},
        {L"PC;", L"PC100;", true},
        {L"PC;", L"PC1X0;", false},
        {L"PC;", L"PC0050;", false},
        {L"AN;", L"AN2;", true},
        {L"RT;", L"RT1;", true},
        {L"XT;", L"XT0;", true},
        {L"RO;", L"RO-0150;", true},
        {L"RO;", L"RO+0000;", true},
        {L"RO;", L"RO00150;", false},
        {L"RO;", L"RO+01-0;", false},
        {L"Q5;", L"Q50;", true},
        {L"Q5;", L"Q71;", false},
        {L"Q5;", L"Q5H;", false},
        {L"Q7;", L"Q71;", true},
        {L"Q7;", L"Q7H;", true},
        {L"MP;", L"MP010;", true},
        {L"MP;", L"MP;", false},
        // The receivers'.
        {L"AI;", L"AI1;", true},
        {L"AI;", L"FA00014070000;", false},
        {L"SB;", L"SB0;", true},
        {L"LN;", L"LN1;", true},
        {L"MD;", L"MD2;", true},
        {L"MD;", L"MD2", false},
        {L"MD$;", L"MD$1;", true},
        {L"RA;", L"RA01;", true},
        {L"RA;", L"RA0X;", false},
        {L"RA;", L"RA$00;", false},
        {L"RA$;", L"RA$00;", true},
        {L"RA$;", L"RA00;", false},
        {L"PA;", L"PA1;", true},
        {L"PA$;", L"PA$0;", true},
        {L"RG;", L"RG200;", true},
        {L"RG$;", L"RG$18;", false},
        {L"SQ;", L"SQ010;", true},
        {L"SQ$;", L"SQ$005;", true},
        {L"BW;", L"BW0240;", true},
        {L"BW$;", L"BW$0180;", true},
        {L"BW$;", L"BW$018O;", false},
        // Displays are no settings.
        {L"DS;", L"DS@@@@@ON@@@;", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(IsSettingValueReply(row.reply, row.query), row.value) << row.query << L" " << row.reply;
        EXPECT_EQ(IsSettingQuery(row.query), std::wstring(row.query) != L"DS;") << row.query;
    }
}

TEST(SettingReplies, ASettingIsNamedByItsNoResponseTextAndTheCommandItRestores)
{
    struct Row {
        HRESULT code;
        const wchar_t* command;
        const wchar_t* name;
    } rows[] = {
        {E_NO_RESPONSE_MD, L"MD$", L"Mode (MD$)"},
        {E_NO_RESPONSE_PC, L"PC", L"Power (PC)"},
        {E_NO_RESPONSE_MP, L"", L"Menu Parameter (MP)"},
        {E_NO_RESPONSE_Q7, L"", L"Q7 command mode (Q7)"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(NameSetting(row.code, row.command), row.name);
    EXPECT_EQ(DescribeUnrestored(L"Power (PC)", L"PC100;"), L"Power (PC): PC100");
    EXPECT_EQ(ListUnrestored({}), std::vector<std::wstring>{});
    EXPECT_EQ(ListUnrestored({L"Power (PC): PC100"}),
              (std::vector<std::wstring>{L"These settings were not put back; set them at the radio:",
                                         L"Power (PC): PC100"}));
}

}  // namespace
