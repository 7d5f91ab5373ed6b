#include "ComPortLink.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char kStaleTarget[] = "/dev/pts/";

std::string ReadLink(const std::string& path)
{
    char target[4096];
    const ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
    return length < 0 ? std::string() : std::string(target, length);
}

bool LinkExists(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

}  // namespace

bool CComPortLink::Claim(const std::string& prefix, unsigned number, const std::string& target, std::string& error)
{
    Release();
    m_prefix = prefix;
    const std::string lockFolder = prefix + "/.q7sim";
    if (mkdir(lockFolder.c_str(), 0755) != 0 && errno != EEXIST) {
        error = lockFolder + ": " + std::strerror(errno);
        return false;
    }
    if (number != 0) {
        if (TryNumber(number, true, target))
            return true;
        error = "COM" + std::to_string(number) + " is in use by another simulator";
        return false;
    }
    for (unsigned candidate = kFirstAutomatic; candidate <= kLast; ++candidate) {
        if (TryNumber(candidate, false, target))
            return true;
    }
    error = "no free COM port in " + prefix;
    return false;
}

bool CComPortLink::TryNumber(unsigned number, bool takeOverForeign, const std::string& target)
{
    const std::string lockPath = m_prefix + "/.q7sim/com" + std::to_string(number) + ".lock";
    const int lock = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock < 0)
        return false;
    if (flock(lock, LOCK_EX | LOCK_NB) != 0) {
        close(lock);
        return false;
    }
    // Under the lock a link to a terminal can only be a dead simulator's;
    // a link elsewhere (a real serial device) is left alone unless asked for.
    const std::string link = LinkPath(number);
    if (LinkExists(link) && !takeOverForeign && ReadLink(link).rfind(kStaleTarget, 0) != 0) {
        close(lock);
        return false;
    }
    if (!PlaceLink(number, target)) {
        close(lock);
        return false;
    }
    m_number = number;
    m_lock = lock;
    return true;
}

bool CComPortLink::PlaceLink(unsigned number, const std::string& target)
{
    // Build the link aside and move it in place, so Wine never sees a gap.
    const std::string link = LinkPath(number);
    const std::string fresh = link + ".q7sim";
    unlink(fresh.c_str());
    if (symlink(target.c_str(), fresh.c_str()) != 0 || rename(fresh.c_str(), link.c_str()) != 0) {
        unlink(fresh.c_str());
        return false;
    }
    m_target = target;
    return true;
}

void CComPortLink::RemoveLink()
{
    if (m_lock < 0)
        return;
    // Only our own link: a later simulator may own the name by now.
    const std::string link = LinkPath(m_number);
    if (ReadLink(link) == m_target)
        unlink(link.c_str());
    m_target.clear();
}

bool CComPortLink::Register()
{
    m_registered = m_lock >= 0 && RunRegistry(true);
    return m_registered;
}

void CComPortLink::Unplug()
{
    if (m_lock < 0 || m_target.empty())
        return;
    RemoveLink();
    if (m_registered)
        RunRegistry(false);
}

bool CComPortLink::Plug(const std::string& target)
{
    if (m_lock < 0 || !PlaceLink(m_number, target))
        return false;
    if (m_registered)
        RunRegistry(true);
    return true;
}

void CComPortLink::Release()
{
    if (m_lock < 0)
        return;
    // An unplugged port's listing has gone already.
    if (m_registered && !m_target.empty())
        RunRegistry(false);
    m_registered = false;
    RemoveLink();
    // The lock file stays: removing it would let two simulators lock
    // different files of one name.
    close(m_lock);
    m_lock = -1;
    m_number = 0;
}

std::string CComPortLink::LinkPath(unsigned number) const
{
    return m_prefix + "/dosdevices/com" + std::to_string(number);
}

bool CComPortLink::RunRegistry(bool add) const
{
    const std::string value = "\\Device\\Q7Sim" + std::to_string(m_number);
    const std::string name = Name();
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        setenv("WINEPREFIX", m_prefix.c_str(), 1);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        const char* key = "HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM";
        if (add)
            execlp("wine", "wine", "reg", "add", key, "/v", value.c_str(), "/d", name.c_str(), "/f", nullptr);
        else
            execlp("wine", "wine", "reg", "delete", key, "/v", value.c_str(), "/f", nullptr);
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
