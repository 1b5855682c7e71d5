#include "drivers/common/ModuleDirectory.h"

#include <climits>
#include <cstdlib>
#include <dlfcn.h>

namespace drivers {

std::string ModuleDirectory(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || !info.dli_fname || !*info.dli_fname)
        return {};
    std::string path = info.dli_fname;
    if (char* real = realpath(path.c_str(), nullptr)) {
        path = real;
        std::free(real);
    }
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

} // namespace drivers
