// SPDX-License-Identifier: GPL-3.0-or-later
// Uses the kernel's termios2 interface directly, which can set any speed;
// it cannot share a file with the C library's <termios.h>.
#include "SerialLine.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace orvane {

bool ApplySerialLineSettings(int fd, int bitsPerSecond)
{
    struct termios2 settings { };
    if (::ioctl(fd, TCGETS2, &settings) != 0)
        return false;
    // Raw input: no line editing, echo, signals or character translation.
    settings.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    settings.c_oflag &= ~tcflag_t(OPOST);
    settings.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cflag &= ~tcflag_t(CSIZE | PARENB | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= CS8 | CREAD | CLOCAL | BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = speed_t(bitsPerSecond);
    settings.c_ospeed = speed_t(bitsPerSecond);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    return ::ioctl(fd, TCSETS2, &settings) == 0;
}

void RaiseDtr(int fd)
{
    int lines = TIOCM_DTR;
    ::ioctl(fd, TIOCMBIS, &lines);
}

}  // namespace orvane
