#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/jobs/CheckResult.h"

// Bytes of a memory that may still hold the self test's patterns: they could
// not be written back before the board stopped answering.
struct TPatternRange {
    std::string memory; // "SRAM"
    uint32_t address = 0;
    uint32_t bytes = 0;
    bool operator==(const TPatternRange&) const = default;
};

// One run of the board's self test, as every report shows it: which board,
// when, with what, how far it got, and each check's outcome in the order they
// ran. The self test fills it; the JUnit, JSON and HTML writers lay it out.
struct TSelfTestReport {
    std::string board;       // the name the board answered with ("KBR_370"); empty: not reached
    std::string link;        // the link's description
    std::string toolVersion; // kbr370's version
    std::string startedUtc;  // ISO 8601, "2026-12-08T21:19:42Z"
    uint32_t durationMs = 0;
    // How the run was asked for.
    bool full = false, destructive = false, interactive = false;
    // False when the run ended early: the board was lost or could not be reached.
    bool completed = true;
    std::string stopReason; // why it ended early
    std::vector<TCheckResult> checks;
    // What the run changed and could not put back, in the order it was met.
    std::vector<TPatternRange> unrestored;
};
