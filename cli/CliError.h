#pragma once
#include <stdexcept>
#include <string>

// Exit statuses of kbr370.
// kExitCheckFailed: the board answered, and the check it ran failed.
enum ExitCode : int { kExitOk = 0, kExitFailure = 1, kExitUsage = 2, kExitCheckFailed = 3 };

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
// The failure was reported already (a box on standard error): nothing more to say.
inline TCliError ReportedFailure() { return {kExitFailure, {}}; }
inline TCliError CheckFailed(const std::string& reason) { return {kExitCheckFailed, reason}; }
