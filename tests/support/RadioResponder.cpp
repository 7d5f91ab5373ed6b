#include "RadioResponder.h"

#include <cstdio>

namespace {

unsigned Hex(const std::string& text, size_t at, size_t digits)
{
    return static_cast<unsigned>(std::stoul(text.substr(at, digits), nullptr, 16));
}

std::string HexByte(unsigned value)
{
    char text[3];
    snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

}  // namespace

CRadioResponder::CRadioResponder()
{
    eeprom.fill(0xFF);
    eeprom[0x000F] = 0x08;
    eeprom[0x00FB] = 0;
    eeprom[0x83FA] = 0x30;
    eeprom[0x83FB] = 0x39;
}

std::string CRadioResponder::operator()(const std::string& command)
{
    if (silentCommands.count(command))
        return {};
    if (command == ";")
        return "?;";
    if (command == "I;")
        return identity;
    static const char* const kVersionQueries[] = {"RVM;", "RVF;", "RVD;", "RVA;", "RVR;"};
    for (int i = 0; i < 5; ++i) {
        if (command == kVersionQueries[i])
            return versions[i];
    }
    if (command == "OM;")
        return mcuVersion >= 245 ? optionModules : std::string();
    if (command == "Q7;")
        return "Q7" + mode + ";";
    if (command.size() == 4 && command.compare(0, 2, "Q7") == 0) {
        mode = command.substr(2, 1);
        return {};
    }
    const bool blocks = mcuVersion >= 383;
    if (blocks && command.compare(0, 2, "ER") == 0 && command.size() == 11) {
        const unsigned address = Hex(command, 2, 4), count = Hex(command, 6, 2);
        std::string reply = command.substr(0, 8);
        unsigned sum = (address >> 8) + (address & 0xFF) + count;
        for (unsigned i = 0; i < count; ++i) {
            reply += HexByte(eeprom[address + i]);
            sum += eeprom[address + i];
        }
        return reply + HexByte(0u - sum) + ";";
    }
    if (blocks && command.compare(0, 2, "EW") == 0) {
        const unsigned address = Hex(command, 2, 4), count = Hex(command, 6, 2);
        for (unsigned i = 0; i < count; ++i)
            eeprom[address + i] = static_cast<unsigned char>(Hex(command, 8 + 2 * i, 2));
        return command.substr(0, 8) + HexByte(0u - ((address >> 8) + (address & 0xFF) + count)) + ";";
    }
    unsigned high = 0, low = 0, value = 0;
    if (!blocks && sscanf(command.c_str(), "LDPR%3u.%3u;", &high, &low) == 2 && command.size() == 12) {
        char reply[32];
        snprintf(reply, sizeof reply, "LDPR%03u.%03u.%03u;", high, low, eeprom[high * 256 + low]);
        return reply;
    }
    if (!blocks && sscanf(command.c_str(), "LDPW%3u.%3u.%3u;", &high, &low, &value) == 3) {
        eeprom[high * 256 + low] = static_cast<unsigned char>(value);
        return {};
    }
    return {};
}
