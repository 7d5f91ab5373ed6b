#include "DateTimeStateMachine.h"

#include <algorithm>
#include <cstdlib>

std::wstring BuildSwitchRun(int target, int current, int modulus, const wchar_t* select)
{
    const int distance = target - current;
    bool up = distance > 0;
    int presses = std::abs(distance);
    // Round the other way when that is shorter.
    if (presses > modulus / 2) {
        presses = modulus - presses;
        up = distance <= 0;
    }
    presses = std::min(presses, 15);
    std::wstring run = select;
    for (int i = 0; i < presses; ++i)
        run += up ? L"UP;" : L"DN;";
    return run;
}

bool DecodeDisplayDigits(const std::wstring& reply, unsigned digits[6])
{
    const size_t end = reply.find(L';');
    if (end == std::wstring::npos || end < 10)
        return false;
    // Digits may carry the display's decimal point in their high bits.
    for (size_t i = 0; i < 6; ++i)
        digits[i] = reply[4 + i] & 0x0F;
    return true;
}

CDateTimeStateMachine::CDateTimeStateMachine() : CStateHost(TIMER_DATE_TIME)
{
}

bool CDateTimeStateMachine::StartChain(int chain)
{
    CState<Machine>* first = nullptr;
    switch (chain) {
    case CHAIN_PREPARE:
        first = &m_isSwitchEmulationAvailable;
        break;
    case CHAIN_FULL_READ:
        first = &m_setDateModeMenu;
        break;
    case CHAIN_TIME_POLL:
        first = &m_setTimeMenu;
        break;
    case CHAIN_SET_TIME:
        first = &m_setTimeMenu2;
        break;
    case CHAIN_SET_DATE:
        first = &m_setDateMenu2;
        break;
    case CHAIN_RESTORE:
        first = &m_restoreQ7;
        break;
    default:
        return false;
    }
    return Start(*first);
}

SYSTEMTIME CDateTimeStateMachine::TakePcTime() const
{
    SYSTEMTIME time{};
    if (DateTimeUtc.Get() > 0)
        GetSystemTime(&time);
    else
        GetLocalTime(&time);
    return time;
}

bool CDateTimeStateMachine::RadioTimeMatches(const SYSTEMTIME& pc) const
{
    return RadioTime.Get() == PackDateTime(pc.wHour, pc.wMinute, pc.wSecond);
}

bool CDateTimeStateMachine::RadioDateMatches(const SYSTEMTIME& pc) const
{
    return RadioDate.Get() == PackDateTime(pc.wYear % 100, pc.wMonth, pc.wDay);
}

std::wstring CDateTimeStateMachine::TimeRun(const SYSTEMTIME& pc) const
{
    const unsigned radio = RadioTime.Get();
    if (pc.wSecond != PackedLow(radio))
        return BuildSwitchRun(pc.wSecond, PackedLow(radio), 60, L"SWT13;");
    if (pc.wMinute != PackedMiddle(radio))
        return BuildSwitchRun(pc.wMinute, PackedMiddle(radio), 60, L"SWT12;");
    if (pc.wHour != PackedHigh(radio))
        return BuildSwitchRun(pc.wHour, PackedHigh(radio), 24, L"SWT11;");
    return {};
}

std::wstring CDateTimeStateMachine::DateRun(const SYSTEMTIME& pc) const
{
    const unsigned radio = RadioDate.Get();
    const bool dayFirst = m_dateOrder == 1;
    if (pc.wYear % 100 != PackedHigh(radio))
        return BuildSwitchRun(pc.wYear % 100, PackedHigh(radio), 100, L"SWT13;");
    if (pc.wMonth != PackedMiddle(radio))
        return BuildSwitchRun(pc.wMonth, PackedMiddle(radio), 13, dayFirst ? L"SWT12;" : L"SWT11;");
    if (pc.wDay != PackedLow(radio))
        return BuildSwitchRun(pc.wDay, PackedLow(radio), 32, dayFirst ? L"SWT11;" : L"SWT12;");
    return {};
}
