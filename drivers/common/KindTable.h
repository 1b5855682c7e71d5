#pragma once
#include <cstddef>
#include <memory>
#include <string>

namespace drivers {

// One row of a driver's table of the cables it knows, by their KBR370_CABLE name.
template <typename T> struct TKind {
    const char* name;
    std::unique_ptr<T> (*make)(const std::string& dllDir);
};

template <typename T, size_t N> std::string KnownNames(const TKind<T> (&table)[N]) {
    std::string names;
    for (const auto& kind : table)
        names += (names.empty() ? "" : ", ") + std::string(kind.name);
    return names;
}

// The row named `name`, made; nothing, with `error` set, when no row has it.
template <typename T, size_t N>
std::unique_ptr<T> MakeKind(const TKind<T> (&table)[N], const std::string& name,
                            const std::string& dllDir, std::string& error) {
    for (const auto& kind : table)
        if (name == kind.name)
            return kind.make(dllDir);
    error = "unknown cable \"" + name + "\" in KBR370_CABLE (known: " + KnownNames(table) + ")";
    return nullptr;
}

} // namespace drivers
