// The control channel's "keyer" request:
//     keyer receive TEXT     text the receiver decodes, for the next polls
//     keyer pace MS          milliseconds each character takes to go out
//     keyer state            "ok TX WAITING SENT": 0 or 1, a count, the text
#include "Simulator.h"

#include "ControlWords.h"

#include <cstdlib>

std::string CSimulator::KeyerRequest(const Args& args)
{
    CKeyer& keyer = m_radio.Keyer();
    const auto now = CKeyer::Clock::now();
    if (args.size() == 2 && args[0] == "receive") {
        const auto text = UnescapeText(args[1]);
        if (!text)
            return "error bad arguments";
        keyer.QueueReceived(*text);
        return "ok";
    }
    if (args.size() == 2 && args[0] == "pace") {
        char* end = nullptr;
        const unsigned long ms = std::strtoul(args[1].c_str(), &end, 10);
        if (args[1].empty() || *end != '\0')
            return "error bad arguments";
        keyer.SetPace(std::chrono::milliseconds(ms));
        return "ok";
    }
    if (args.size() == 1 && args[0] == "state") {
        return "ok " + std::to_string(keyer.Transmitting(now) ? 1 : 0) + " " + std::to_string(keyer.Waiting(now)) +
               " " + EscapeText(keyer.Sent(now));
    }
    return "error bad arguments";
}
