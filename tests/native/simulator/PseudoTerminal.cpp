#include "PseudoTerminal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

struct SpeedCode {
    speed_t code;
    unsigned bitsPerSecond;
};

const SpeedCode kSpeeds[] = {
    {B300, 300},     {B600, 600},       {B1200, 1200},     {B2400, 2400},     {B4800, 4800},
    {B9600, 9600},   {B19200, 19200},   {B38400, 38400},   {B57600, 57600},   {B115200, 115200},
    {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
};

bool MakeRaw(int fd)
{
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    cfsetspeed(&settings, B38400);
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

}  // namespace

bool CPseudoTerminal::Open(std::string& error)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const char* slave = m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0 ? ptsname(m_master)
                                                                                               : nullptr;
    if (slave) {
        m_slavePath = slave;
        m_slave = open(slave, O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    // The first session leader to open a terminal without O_NOCTTY makes it
    // its controlling terminal: the wineserver, which opens the COM port for
    // Windows, would then get SIGHUP when the line closes (it dumps its
    // objects then and can crash). Claimed here, the line is no other's.
    if (m_slave >= 0)
        ioctl(m_slave, TIOCSCTTY, 0);
    if (m_slave < 0 || !MakeRaw(m_slave)) {
        error = std::string("pseudo-terminal: ") + std::strerror(errno);
        Close();
        return false;
    }
    return true;
}

void CPseudoTerminal::Close()
{
    if (m_slave >= 0)
        close(m_slave);
    if (m_master >= 0)
        close(m_master);
    m_slave = m_master = -1;
}

unsigned CPseudoTerminal::LineSpeed() const
{
    termios settings{};
    if (m_master < 0 || tcgetattr(m_master, &settings) != 0)
        return 0;
    const speed_t code = cfgetospeed(&settings);
    for (const SpeedCode& speed : kSpeeds) {
        if (speed.code == code)
            return speed.bitsPerSecond;
    }
    return 0;
}
