// Reading the radio's clock from its display and setting it from the PC's
// through its clock menus and emulated front-panel switches. The page runs
// short chains one after the other; each pass corrects one field by at most
// fifteen steps, and the page repeats passes until the radio agrees.
#pragma once

#include <string>

#include "MenuStates.h"

// Dates are packed (two-digit year << 16) | (month << 8) | day, times
// (hours << 16) | (minutes << 8) | seconds; a date of 0 is not read yet.
inline unsigned PackDateTime(unsigned high, unsigned middle, unsigned low)
{
    return high << 16 | middle << 8 | low;
}
inline unsigned PackedHigh(unsigned packed) { return packed >> 16 & 0xFF; }
inline unsigned PackedMiddle(unsigned packed) { return packed >> 8 & 0xFF; }
inline unsigned PackedLow(unsigned packed) { return packed & 0xFF; }

// The select command and the presses that bring `current` to `target` on a
// dial of `modulus` positions, the shorter way round, at most 15 presses.
std::wstring BuildSwitchRun(int target, int current, int modulus, const wchar_t* select);

// The six digits at characters 4-9 of a "DS" reply (each the low four bits
// of its character); false when fewer than ten characters precede the ";".
bool DecodeDisplayDigits(const std::wstring& reply, unsigned digits[6]);

class CDateTimeStateMachine;

// "DS;" in the date-mode menu: 'U' shows the month first, 'E' the day.
template <typename T>
class CGetDateModeState : public CGetVfoADisplayState<T> {
public:
    using CGetVfoADisplayState<T>::CGetVfoADisplayState;
    BOOL IsMatch() override
    {
        const std::wstring& reply = this->m_host->m_receiveBuffer;
        return this->m_host->ReplyStartsWith(L"DS@@@@@@") && reply.size() > 8 &&
               (reply[8] == L'E' || reply[8] == L'U');
    }
    void Process() override
    {
        this->m_host->m_dateOrder = this->m_host->m_receiveBuffer[8] == L'E' ? 1 : 0;
        this->GoNext();
    }
};

// "DS;" in the date menu or the time menu: the value into its observable.
template <typename T>
class CGetDisplayValueState : public CGetVfoADisplayState<T> {
public:
    CGetDisplayValueState(T* host, const wchar_t* name, CState<T>* next, bool date)
        : CGetVfoADisplayState<T>(host, name, next), m_date(date)
    {
    }
    BOOL IsMatch() override
    {
        return this->m_host->ReplyStartsWith(L"DS") && DecodeDisplayDigits(this->m_host->m_receiveBuffer, m_digits);
    }
    void Process() override
    {
        const unsigned first = m_digits[0] * 10 + m_digits[1];
        const unsigned second = m_digits[2] * 10 + m_digits[3];
        const unsigned third = m_digits[4] * 10 + m_digits[5];
        if (!m_date)
            this->m_host->RadioTime.Set(PackDateTime(first, second, third));
        else if (this->m_host->m_dateOrder == 1)
            this->m_host->RadioDate.Set(PackDateTime(third, second, first));
        else
            this->m_host->RadioDate.Set(PackDateTime(third, first, second));
        this->GoNext();
    }

private:
    bool m_date;
    unsigned m_digits[6] = {};
};

// Sends the switch run that corrects the first field that differs from the
// PC clock, taken at Init; nothing when all agree.
template <typename T>
class CSetClockFieldState : public CCommandDelayState<T> {
public:
    CSetClockFieldState(T* host, const wchar_t* name, CState<T>* next, bool date)
        : CCommandDelayState<T>(host, name, next, L"", date ? 500 : 10), m_date(date)
    {
    }
    void Init() override
    {
        T* host = this->m_host;
        const SYSTEMTIME pc = host->TakePcTime();
        this->m_command = m_date ? host->DateRun(pc) : host->TimeRun(pc);
    }

private:
    bool m_date;
};

class CDateTimeStateMachine : public CStateHost<CDateTimeStateMachine> {
public:
    // The chains the page starts, one at a time.
    enum Chain {
        CHAIN_PREPARE = 1,
        CHAIN_FULL_READ,
        CHAIN_TIME_POLL,
        CHAIN_SET_TIME,
        CHAIN_SET_DATE,
        CHAIN_RESTORE,
    };

    CDateTimeStateMachine();

    bool StartChain(int chain);

    // The PC clock in UTC or local time, as DateTimeUtc says.
    SYSTEMTIME TakePcTime() const;
    bool RadioTimeMatches(const SYSTEMTIME& pc) const;
    bool RadioDateMatches(const SYSTEMTIME& pc) const;
    std::wstring TimeRun(const SYSTEMTIME& pc) const;
    std::wstring DateRun(const SYSTEMTIME& pc) const;

    // 1: the radio shows the day before the month; 0: month first.
    int m_dateOrder = 0;
    CObservable<unsigned> RadioDate{WM_APP_RADIO_DATE_TIME, 0};
    CObservable<unsigned> RadioTime{WM_APP_RADIO_DATE_TIME, 0};
    // 1: set the radio to UTC; 0: to local time.
    CPersistable<int> DateTimeUtc{L"DateTimeUtc", WM_APP_DATE_TIME_UTC, 1};
    std::wstring m_savedModeReply;

    using Machine = CDateTimeStateMachine;
    CIsSwitchEmulationAvailableState<Machine> m_isSwitchEmulationAvailable{this, L"IsSwitchEmulationAvailable",
                                                                           &m_setQ7Extended, &m_exitMenu};
    CSetQ7ExtendedState<Machine> m_setQ7Extended{this, L"SetQ7Extended", &m_exitMenu};
    CRestoreQ7State<Machine> m_restoreQ7{this, L"RestoreQ7", &m_exitMenu};
    CExitMenuState<Machine> m_exitMenu{this, L"ExitMenu", &m_final};
    CCommandDelayState<Machine> m_setDateModeMenu{this, L"SetDateModeMenu", &m_getDateMode, L"MN030;", 250};
    CGetDateModeState<Machine> m_getDateMode{this, L"GetDateMode", &m_setDateMenu};
    CCommandDelayState<Machine> m_setDateMenu{this, L"SetDateMenu", &m_getDate, L"MN029;", 250};
    CGetDisplayValueState<Machine> m_getDate{this, L"GetDate", &m_setTimeMenu, true};
    CCommandDelayState<Machine> m_setTimeMenu{this, L"SetTimeMenu", &m_getTime, L"MN073;", 250};
    CGetDisplayValueState<Machine> m_getTime{this, L"GetTime", &m_final, false};
    CCommandDelayState<Machine> m_setTimeMenu2{this, L"SetTimeMenu2", &m_getTime2, L"MN073;", 250};
    CGetDisplayValueState<Machine> m_getTime2{this, L"GetTime", &m_setTime, false};
    CSetClockFieldState<Machine> m_setTime{this, L"SetTime", &m_final, false};
    CCommandDelayState<Machine> m_setDateMenu2{this, L"SetDateMenu2", &m_getDate2, L"MN029;", 250};
    CGetDisplayValueState<Machine> m_getDate2{this, L"GetDate", &m_setDate, true};
    CSetClockFieldState<Machine> m_setDate{this, L"SetDate", &m_final, true};
};
