// The receivers' controls, as the RF gain calibration works them: settings
// that a command asks ("RA;" -> "RA01;", "RA$;" for the second receiver) and
// sets ("RA00;"), the switch flags that "IC;" and "DS;" report in status
// bytes, the emulated front-panel taps that toggle them ("SWH18;",
// "SWT34;"...), and VFO B, which "SWT13;" copies from VFO A.
//
// The "IC;" reply is "IC", five status bytes and ";": byte 2 holds TX TEST
// (0x20) and BSET (0x40), byte 4 the second receiver on (0x01) and on the
// main antenna (0x08), byte 6 its noise reduction (0x04); each status byte
// has 0x80 set. The "DS;" reply is 13 characters, the icon byte at 11: ATU
// (0x10), RX antenna (0x20), noise reduction (0x04), CW tune (0x08) and the
// notch (0..3; its switch steps it 0, 1, 2, 0).
#pragma once

#include <map>
#include <optional>
#include <string>

class CReceiver {
public:
    CReceiver();

    // The reply to a receiver command, nothing when it needs none; false
    // when the command is not the receiver's. `switches`: whether the radio
    // takes emulated switch presses now.
    bool Handle(const std::string& command, const std::string& vfoA, bool switches, std::optional<std::string>& reply);

    // Every setting as "key=value" words, in a fixed order.
    std::string State() const;
    // One "key=value" word of State(); false for an unknown key or value.
    bool Set(const std::string& word);
    // The control ("BW", "RA$") answers `value` whatever it is set to.
    bool SetStuck(const std::string& control, const std::string& value);
    bool ClearStuck(const std::string& control);

    bool AutoInformation() const { return m_values.at("ai") != "0"; }

private:
    std::optional<std::string> Control(const std::string& command);
    std::optional<std::string> Tap(const std::string& command, const std::string& vfoA);
    std::string IconReply() const;
    std::string DisplayReply(const std::string& vfoA) const;
    bool Flag(const char* key) const { return m_values.at(key) == "1"; }
    void Toggle(const char* key) { m_values[key] = Flag(key) ? "0" : "1"; }

    std::map<std::string, std::string> m_values;
    std::map<std::string, std::string> m_stuck;
};
