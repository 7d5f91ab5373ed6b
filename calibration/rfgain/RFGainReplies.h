// How the RF gain calibration reads the radio's replies: which reply answers
// a query, and the switch flags of the icon replies "IC" and "DS".
#pragma once

#include <windows.h>

#include <string>

// The radio reports its switches in "IC" (8 characters) and "DS" (13).
inline constexpr size_t RFGC_IC_REPLY_LENGTH = 8;
inline constexpr size_t RFGC_DS_REPLY_LENGTH = 13;
// The icon byte of a "DS" reply.
inline constexpr size_t RFGC_DS_ICON_INDEX = 11;

// A reply to `query` begins with its letters: "RA00;" answers "RA;" and
// "RA$00;" answers "RA$;". An unsolicited report ("FA...;") or the other
// receiver's reply answers neither.
inline bool AnswersQuery(const std::wstring& reply, const std::wstring& query)
{
    size_t letters = query.size();
    while (letters > 0 && query[letters - 1] == L';')
        --letters;
    return reply.size() > letters && reply.compare(0, letters, query, 0, letters) == 0 && reply[letters] != L'$';
}

// "IC;" and "DS;" replies are taken only whole: no flag is read past the end.
inline bool AnswersIconQuery(const std::wstring& reply, const std::wstring& query)
{
    const size_t length = query == L"IC;" ? RFGC_IC_REPLY_LENGTH : RFGC_DS_REPLY_LENGTH;
    return reply.size() == length && AnswersQuery(reply, query);
}

// A flag is on when every bit of its mask (each includes 0x80) is set.
inline bool IsFlagOn(const std::wstring& reply, size_t index, BYTE mask)
{
    return index < reply.size() && (reply[index] & mask) == mask;
}

// The notch: 0 off, else the low two bits of a valid icon byte.
inline unsigned NotchValue(const std::wstring& reply)
{
    if (RFGC_DS_ICON_INDEX >= reply.size() || (reply[RFGC_DS_ICON_INDEX] & 0x80) == 0)
        return 0;
    return reply[RFGC_DS_ICON_INDEX] & 3;
}

// In place of a mask: the switch is the notch, which has a value, not a flag.
inline constexpr BYTE RFGC_NOTCH_VALUE = 0;

// A switch's setting: the notch's value, else 1 for a flag that is on.
inline unsigned SwitchValue(const std::wstring& reply, size_t index, BYTE mask)
{
    return mask == RFGC_NOTCH_VALUE ? NotchValue(reply) : IsFlagOn(reply, index, mask);
}

// Where a state wants a control or a switch.
enum RFGCWanted : bool { RFGC_OFF = false, RFGC_ON = true };

inline bool EqualsNoCase(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}
