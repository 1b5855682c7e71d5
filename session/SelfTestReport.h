#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "session/CheckResult.h"

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
};
