// q7sim: a simulated Q7 transceiver on a COM port of a Wine prefix.
//
//     q7sim [--prefix DIR] [--com N|auto] [--register] [--control HOST:PORT]
//           [--listen HOST:PORT] [--speed BPS] [--mcu N] [--version RVx=N]...
//           [--serial N] [--identify TEXT] [--boot-loader] [--log FILE]
//
// Under a test it is started with --control and lives as long as the test's
// connection; alone it runs until it is sent SIGINT or SIGTERM. With
// --listen it takes more control lines there (port 0: a free one, which it
// names), such as the bench script's.
#include "Simulator.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: q7sim [--prefix DIR] [--com N|auto] [--register] [--control HOST:PORT]\n"
                 "             [--listen HOST:PORT] [--speed BPS] [--mcu N] [--version RVx=N]...\n"
                 "             [--serial N] [--identify TEXT] [--boot-loader] [--log FILE]\n");
    return 2;
}

bool ToNumber(const char* text, unsigned& value)
{
    char* end = nullptr;
    const unsigned long number = std::strtoul(text, &end, 10);
    value = static_cast<unsigned>(number);
    return *text != '\0' && *end == '\0' && number <= 0xFFFF;
}

// Started by Wine, the simulator inherits whatever descriptors the Windows
// process had, its sockets among them (even as standard input). Holding one
// would keep another simulator's control connection alive after its test.
void DropInheritedDescriptors()
{
    const int null = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (null > 0) {
        dup2(null, 0);
        close(null);
    }
    closefrom(3);
}

}  // namespace

int main(int argc, char** argv)
{
    DropInheritedDescriptors();
    // Replies leave when their bytes are due, not up to 50 us later: the
    // benchmarks measure the program against this line.
    prctl(PR_SET_TIMERSLACK, 1ul);
    // A session of its own, so that the line can become this session's
    // terminal and no other's (see CPseudoTerminal::Open).
    setsid();
    CRadio radio;
    SSimulatorSetup setup;
    if (const char* prefix = std::getenv("WINEPREFIX"))
        setup.prefix = prefix;

    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--register") {
            setup.registerPort = true;
            continue;
        }
        if (option == "--boot-loader") {
            radio.SetBootLoader(true);
            continue;
        }
        if (i + 1 >= argc)
            return Usage();
        const char* value = argv[++i];
        unsigned number = 0;
        if (option == "--prefix") {
            setup.prefix = value;
        } else if (option == "--control") {
            setup.control = value;
        } else if (option == "--listen") {
            setup.listen = value;
        } else if (option == "--log") {
            setup.logFile = value;
        } else if (option == "--identify") {
            radio.SetIdentifyReply(std::string(value));
        } else if (option == "--com") {
            if (std::strcmp(value, "auto") != 0 && (!ToNumber(value, setup.com) || setup.com == 0))
                return Usage();
        } else if (option == "--speed") {
            if (!ToNumber(value, number) || !radio.SetSpeed(number))
                return Usage();
        } else if (option == "--mcu") {
            if (!ToNumber(value, number) || !radio.SetVersion("RVM", number))
                return Usage();
        } else if (option == "--version") {
            const char* equals = std::strchr(value, '=');
            if (!equals || !ToNumber(equals + 1, number) || !radio.SetVersion(std::string(value, equals), number))
                return Usage();
        } else if (option == "--serial") {
            if (!ToNumber(value, number))
                return Usage();
            radio.Eeprom().SetSerialNumber(number);
        } else {
            return Usage();
        }
    }

    CSimulator simulator(radio);
    return simulator.Run(setup);
}
