#include "logic/InputFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int OpenInputFile(const std::string& path, uint64_t& size, std::string& reason) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = "cannot read " + path + ": " + std::strerror(errno);
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        reason = "cannot read " + path + ": not a regular file";
        return -1;
    }
    size = static_cast<uint64_t>(st.st_size);
    return fd;
}
