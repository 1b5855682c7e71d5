#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The outcome of one check of the board, in the shape every report takes it:
// a JUnit test case in its suite (the area), a JSON record, a row of an HTML
// table. Values are already texts, so each writer only lays them out.
struct TCheckResult {
    enum class Result { Passed, Failed, Skipped };
    // Name and value pairs, in the order a person should read them.
    using TDetails = std::vector<std::pair<std::string, std::string>>;

    std::string area; // "memories", "link", "sd", ...
    std::string name; // "SRAM march"
    Result result = Result::Passed;
    uint32_t durationMs = 0;
    // One line: why it failed or was skipped; what it covered when it passed.
    std::string message;
    TDetails details;
    // One entry per fault found (the first ones; `details` tells how many in all).
    std::vector<TDetails> failures;

    // The value of detail `key`, empty when there is none.
    static std::string Find(const TDetails& details, const std::string& key) {
        for (const auto& [k, v] : details)
            if (k == key)
                return v;
        return {};
    }
    std::string Detail(const std::string& key) const { return Find(details, key); }
};

inline const char* ResultName(TCheckResult::Result result) {
    switch (result) {
    case TCheckResult::Result::Passed:
        return "passed";
    case TCheckResult::Result::Failed:
        return "failed";
    case TCheckResult::Result::Skipped:
        return "skipped";
    }
    return "?";
}
