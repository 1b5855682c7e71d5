#pragma once
#include <string>

namespace drivers {

// The directory, with its trailing '/', of the shared object (or executable) that
// holds `address`, symbolic links resolved: a driver reached through a link in
// another folder still finds the programs that lie beside its real file.
// Empty when the address belongs to no loaded object.
std::string ModuleDirectory(const void* address);

} // namespace drivers
