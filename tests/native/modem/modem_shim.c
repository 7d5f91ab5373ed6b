/* Preloaded into Wine for the tests.
 *
 * A pseudo-terminal has no modem-control lines, so TIOCMGET fails with ENOTTY
 * and Wine then cancels every pending WaitCommEvent. Where the real call fails
 * on a terminal, answer as a cable with DSR, CTS and CD up would, and accept
 * the line-setting requests. Real serial devices keep their own answers.
 *
 * 32-bit Wine calls __ioctl_time64 rather than ioctl, so both are wrapped. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

typedef int (*ioctl_fn)(int, unsigned long, ...);

static int is_modem_request(unsigned long request)
{
    return request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC;
}

static int call(const char *name, ioctl_fn *real, int fd, unsigned long request, void *arg)
{
    if (!*real)
        *real = (ioctl_fn)dlsym(RTLD_NEXT, name);
    if (!*real) {
        errno = ENOSYS;
        return -1;
    }
    int saved = errno;
    int result = (*real)(fd, request, arg);
    if (result == 0 || !is_modem_request(request) || (errno != ENOTTY && errno != EINVAL) || !isatty(fd))
        return result;
    errno = saved;
    if (request == TIOCMGET)
        *(int *)arg = TIOCM_DSR | TIOCM_CTS | TIOCM_CD | TIOCM_DTR | TIOCM_RTS;
    return 0;
}

int ioctl(int fd, unsigned long request, ...)
{
    static ioctl_fn real;
    va_list args;
    va_start(args, request);
    void *arg = va_arg(args, void *);
    va_end(args);
    return call("ioctl", &real, fd, request, arg);
}

int __ioctl_time64(int fd, unsigned long request, ...)
{
    static ioctl_fn real;
    va_list args;
    va_start(args, request);
    void *arg = va_arg(args, void *);
    va_end(args);
    return call("__ioctl_time64", &real, fd, request, arg);
}
