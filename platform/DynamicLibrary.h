#pragma once
#include <string>

namespace platform {

// A shared library loaded at run time from a full path (dlopen/dlsym).
class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    bool Load(const std::string& path);
    void Unload();
    bool IsLoaded() const { return handle_ != nullptr; }
    void* Symbol(const char* name) const;
    const std::string& LastError() const { return error_; }

    template <typename Fn> Fn Resolve(const char* name) const {
        return reinterpret_cast<Fn>(Symbol(name));
    }

private:
    void* handle_ = nullptr;
    std::string error_;
};

} // namespace platform
