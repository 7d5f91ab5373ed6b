#include "TXGainRules.h"

#include "Model.h"
#include "TextOrId.h"

namespace {

bool HasCharacterAt(const std::wstring& reply, size_t index, wchar_t character)
{
    return reply.size() > index && reply[index] == character;
}

struct SAcceptedReadings {
    const wchar_t* readings[3];
    size_t length;
};

const SAcceptedReadings kAcceptedReadings[] = {
    {{L"  5.0 W", L"  4.9 W", L"  5.1 W"}, 7},
    {{L"  50 W", L"  49 W", L"  51 W"}, 6},
    {{L" 1.00 MW", L" 0.99 MW", L" 1.01 MW"}, 8},
};

}  // namespace

std::wstring GetPowerCommand(unsigned level, unsigned short mcuVersion)
{
    if (level == TXGAIN_LEVEL_50W)
        return L"PC050;";
    if (level == TXGAIN_LEVEL_1MW)
        return mcuVersion < MCU_MILLIWATT_POWER_VERSION ? L"PC010;" : L"PC100;";
    return L"PC005;";
}

const wchar_t* GetLevelText(unsigned level)
{
    static const wchar_t* const texts[] = {L"LP", L"HP", L"MW"};
    return level < 3 ? texts[level] : texts[0];
}

bool IsJW2DInstalled(const std::wstring& optionReply)
{
    return HasCharacterAt(optionReply, 3, L'A');
}

bool IsBH7WInstalled(const std::wstring& optionReply)
{
    return HasCharacterAt(optionReply, 4, L'P');
}

bool IsXQ6TInstalled(const std::wstring& optionReply)
{
    return HasCharacterAt(optionReply, 5, L'X');
}

bool IsJW2DInstalled()
{
    return IsJW2DInstalled(GetModel().OptionModuleReply());
}

bool IsBH7WInstalled()
{
    return IsBH7WInstalled(GetModel().OptionModuleReply());
}

bool IsXQ6TInstalled()
{
    return IsXQ6TInstalled(GetModel().OptionModuleReply());
}

unsigned ParseDisplayNumber(const std::wstring& reply)
{
    const size_t end = reply.find(L'>');
    if (reply.size() < 3 || reply.compare(0, 2, L"DS") != 0 || end == std::wstring::npos)
        return 0;
    // Eight digits cannot overflow; a ninth is not on the display.
    constexpr unsigned kDisplayDigits = 8;
    unsigned value = 0, digits = 0;
    bool pointed = false;
    for (size_t i = 2; i < end; ++i) {
        const wchar_t c = reply[i];
        if (c == L'@')
            continue;
        // Only blanks may follow the digit with the decimal point.
        if (pointed)
            return kNoDisplayNumber;
        pointed = c >= 0xB0 && c <= 0xB9;
        if ((!pointed && (c < L'0' || c > L'9')) || ++digits > kDisplayDigits)
            return kNoDisplayNumber;
        value = value * 10 + (pointed ? c - 0xB0 : c - L'0');
    }
    return value;
}

ESwrVerdict JudgeSwr(const std::wstring& reply, unsigned& tenths)
{
    tenths = reply.compare(0, 9, L"DS@@@@@ON") == 0 ? 0 : ParseDisplayNumber(reply);
    if (tenths == kNoDisplayNumber)
        return ESwrVerdict::Unreadable;
    if (tenths < 10)
        return ESwrVerdict::Good;
    return tenths < 20 ? ESwrVerdict::Noted : ESwrVerdict::TooHigh;
}

bool IsPowerInTolerance(unsigned level, const std::wstring& sample)
{
    const SAcceptedReadings& accepted = kAcceptedReadings[level < 3 ? level : 0];
    for (const wchar_t* reading : accepted.readings) {
        if (sample.compare(0, accepted.length, reading) == 0)
            return true;
    }
    return false;
}

std::wstring FormatSummaryLine(const std::wstring& reply, unsigned kHz, unsigned level)
{
    if (reply.size() < 10)
        return {};
    std::wstring gain = reply.substr(7, 3);
    for (wchar_t& c : gain) {
        if (c == L'@')
            c = L' ';
    }
    return FormatText(L"%u kHz TXGain %s %s\r\n", kHz, GetLevelText(level), gain.c_str());
}
