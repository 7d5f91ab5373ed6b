// Answers of a running radio for the scripted peer: versions, identification,
// option modules, command modes and an EEPROM image with both command
// families, the way the program relies on them.
#pragma once

#include <array>
#include <set>
#include <string>

class CRadioResponder {
public:
    CRadioResponder();

    std::string operator()(const std::string& command);

    unsigned mcuVersion = 455;
    std::string identity;  // the "I;" reply; empty: no reply
    // A Q7 (character 14) with the second receiver (character 6).
    std::string optionModules = "OMAP-FS--------;";
    std::string versions[5] = {"RVM04.55;", "RVF01.10;", "RVD02.20;", "RVA02.21;", "RVR01.05;"};
    std::set<std::string> silentCommands;  // never answered
    std::string mode = "0";
    std::array<unsigned char, 0x8400> eeprom{};
};
