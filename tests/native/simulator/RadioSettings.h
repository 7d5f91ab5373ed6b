// The radio's plain settings, one table for the transmitter's and the
// receivers': a command's letters and a value of fixed width that "XX;" asks
// ("RA;" -> "RA01;") and "XX" with a value sets silently ("RA00;"); "RA$" is
// the second receiver's. A value of another width, of other characters, or
// out of the setting's range is not taken. The defaults differ from what
// the calibrations set where a test has to see the set and the restore.
//
// A setting's name in "state" and "set" is its letters in lower case ("ra$").
#pragma once

#include <map>
#include <optional>
#include <string>

class CRadioSettings {
public:
    CRadioSettings();

    // The reply to a command of a setting, nothing when it needs none; false
    // when the command is no setting's.
    bool Handle(const std::string& command, std::optional<std::string>& reply);

    // By letters ("FA", "SB"); the value as the radio holds it, a fault aside.
    const std::string& Get(const std::string& letters) const;
    // By letters or name; false for an unknown one or a value not taken.
    bool Set(const std::string& letters, const std::string& value);

    // Every setting as "name=value" words, in table order.
    std::string State() const;

    // Fault: the setting answers `value` whatever it is set to, and takes no
    // setting until cleared.
    bool SetStuck(const std::string& letters, const std::string& value);
    bool ClearStuck(const std::string& letters);

private:
    std::map<std::string, std::string> m_values;
    std::map<std::string, std::string> m_stuck;
};
