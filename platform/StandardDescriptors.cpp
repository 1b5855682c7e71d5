#include "platform/StandardDescriptors.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

bool closedAtStart[3] = {};

} // namespace

void OpenStandardDescriptors() {
    for (int fd = 0; fd < 3; ++fd) {
        if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        closedAtStart[fd] = true;
        // open takes the lowest free number, which is `fd`: those below are open by now.
        const int null = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (null < 0)
            _exit(127); // nothing is safe to open or write from here on
        if (null != fd) {
            dup2(null, fd);
            close(null);
        }
    }
}

bool ClosedAtStart(int fd) {
    return fd >= 0 && fd < 3 && closedAtStart[fd];
}

} // namespace platform
