#include "XtalFilterRules.h"

#include <algorithm>
#include <climits>
#include <cwctype>

#include "TextOrId.h"
#include "resource.h"

BYTE BandwidthByte(int hz)
{
    if (hz < 0 || hz > BANDWIDTH_MAX_HZ)
        return 0;
    return static_cast<BYTE>(std::min(hz / 50, 255));
}

int BandwidthHz(BYTE byte)
{
    return byte == 255 ? BANDWIDTH_MAX_HZ : byte * 50;
}

BYTE OffsetByte(int hz)
{
    if (hz < OFFSET_MIN_HZ || hz > OFFSET_MAX_HZ)
        return 0;
    return static_cast<BYTE>(static_cast<signed char>(hz / 10));
}

int OffsetHz(BYTE byte)
{
    return static_cast<signed char>(byte) * 10;
}

namespace {

// kHz and the first two of the three digits of the Hz remainder.
std::wstring FormatKHz(unsigned hz)
{
    return FormatTextC(L"%u.%02u", hz / 1000, hz % 1000 / 10);
}

}  // namespace

std::wstring FormatBandwidth(int hz)
{
    return hz < 0 ? L"-" + FormatKHz(static_cast<unsigned>(-hz)) : FormatKHz(static_cast<unsigned>(hz));
}

std::wstring FormatOffset(int hz)
{
    const wchar_t sign = hz < 0 ? L'-' : hz == 0 ? L' ' : L'+';
    return sign + FormatKHz(static_cast<unsigned>(hz < 0 ? -static_cast<long long>(hz) : hz));
}

int ParseKHz(const std::wstring& text, int low, int high)
{
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
        negative = text[i++] == L'-';
    // Far beyond any range, and far from overflowing.
    constexpr long long kSaturated = 1000000000LL;
    long long hz = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i)
        hz = std::min(hz * 10 + (text[i] - L'0') * 1LL, kSaturated);
    hz *= 1000;
    if (i < text.size() && text[i] == L'.') {
        ++i;
        for (int weight = 100; weight >= 10 && i < text.size() && text[i] >= L'0' && text[i] <= L'9';
             weight /= 10, ++i)
            hz += (text[i] - L'0') * weight;
    }
    if (negative)
        hz = -hz;
    return static_cast<int>(std::clamp<long long>(hz, low, high));
}

std::optional<FilterRuleFailure> CheckFilterRules(const FilterSettings& settings)
{
    for (unsigned slot = 0; slot < FILTER_SLOTS; ++slot) {
        const bool anyMode = std::any_of(std::begin(settings.enabled[slot]), std::end(settings.enabled[slot]),
                                         [](bool on) { return on; });
        if (settings.bandwidth[slot] == 0 && anyMode)
            return FilterRuleFailure{IDS_FILTER_SLOT_EMPTY, slot + 1};
        if (settings.bandwidth[slot] > 2800 && settings.enabled[slot][MODE_CW])
            return FilterRuleFailure{IDS_FILTER_TOO_WIDE_FOR_CW, 0};
    }
    if (settings.subReceiver)
        return std::nullopt;

    // No radio checked counts as the first slot.
    const auto width = [&](int slot) { return settings.bandwidth[slot < 0 ? 0 : slot]; };
    const auto isTransmitWidth = [](int hz) { return hz >= 2700 && hz <= 2800; };
    if (!isTransmitWidth(width(settings.txCw)) || !isTransmitWidth(width(settings.txSsb)))
        return FilterRuleFailure{IDS_FILTER_TX_CW_SSB, 0};
    for (unsigned slot = 1; slot < FILTER_SLOTS; ++slot) {
        if (settings.bandwidth[slot] == BANDWIDTH_MAX_HZ)
            return FilterRuleFailure{IDS_FILTER_FM_POSITION, 0};
    }
    const bool wide = settings.mcuVersion >= MCU_WIDE_TX_AM_VERSION;
    const auto suitsAm = [wide](int hz) { return wide ? hz >= 6000 : hz == 6000; };
    const bool anySuits = std::any_of(std::begin(settings.bandwidth), std::end(settings.bandwidth), suitsAm);
    if (!suitsAm(width(settings.txAm)) && anySuits)
        return FilterRuleFailure{static_cast<UINT>(wide ? IDS_FILTER_TX_AM_WIDE : IDS_FILTER_TX_AM), 0};
    return std::nullopt;
}
