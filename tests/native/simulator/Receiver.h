// The receivers' switches, as the RF gain calibration works them: the flags
// that "IC;" and "DS;" report in status bytes, and the emulated front-panel
// taps that toggle them ("SWH18;", "SWT34;"...). Their plain settings ("RA",
// "SB"...) are in the radio's settings table, which the taps read and
// change too: "SWT48;" turns the second receiver on, "SWT13;" copies VFO A
// to VFO B.
//
// The "IC;" reply is "IC", five status bytes and ";": byte 2 holds TX TEST
// (0x20) and BSET (0x40), byte 4 the second receiver on (0x01) and on the
// main antenna (0x08), byte 6 its noise reduction (0x04); each status byte
// has 0x80 set. The "DS;" reply is 13 characters, a blank and VFO A's last
// eight digits, then the icon byte at 11: ATU (0x10), RX antenna (0x20),
// noise reduction (0x04), CW tune (0x08) and the notch (0..3; its switch
// steps it 0, 1, 2, 0).
#pragma once

#include "RadioSettings.h"

#include <map>
#include <string>

class CReceiver {
public:
    explicit CReceiver(CRadioSettings& settings);

    std::string IconReply() const;
    std::string DisplayReply() const;
    // An emulated switch press; those of no flag here change nothing.
    void Tap(const std::string& command);

    // Every flag as "name=value" words, in a fixed order.
    std::string State() const;
    // False for an unknown flag or value: a flag is 0 or 1, the notch 0..3.
    bool Set(const std::string& name, const std::string& value);

private:
    bool Flag(const char* name) const { return m_flags.at(name) == "1"; }
    void Toggle(const char* name) { m_flags[name] = Flag(name) ? "0" : "1"; }
    bool SecondReceiverOn() const { return m_settings.Get("SB") == "1"; }

    CRadioSettings& m_settings;
    std::map<std::string, std::string> m_flags;
};
