#pragma once
#include <stdexcept>
#include <string>

namespace platform {

// A broken programming contract. It carries the condition's own text so a
// test can tell which contract tripped.
class AssertionFailure : public std::logic_error {
public:
    explicit AssertionFailure(const std::string& condition) : std::logic_error(condition) {}
};

} // namespace platform

// Checks a contract; on failure throws AssertionFailure naming `text`.
#define KBR_ASSERT(cond, text)                                                                     \
    do {                                                                                           \
        if (!(cond))                                                                               \
            throw ::platform::AssertionFailure(text);                                              \
    } while (0)
