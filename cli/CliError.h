#pragma once
#include <stdexcept>
#include <string>

// Exit statuses of kbr370.
enum ExitCode : int { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

// A failure with its reason for standard error and the exit status it ends in.
class TCliError : public std::runtime_error {
public:
    TCliError(ExitCode code, const std::string& reason) : std::runtime_error(reason), code(code) {}
    ExitCode Code() const { return code; }

private:
    ExitCode code;
};

inline TCliError UsageError(const std::string& reason) { return {kExitUsage, reason}; }
inline TCliError BoardFailure(const std::string& reason) { return {kExitFailure, reason}; }
