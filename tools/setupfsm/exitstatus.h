#pragma once

// Exit statuses shared by every host of the library, so scripts read one table.
enum HostExitStatus {
    HostExitOk = 0,          // the flow left with an exit event that is no failure
    HostExitBuildErrors = 1, // the definition did not build (or a strict check failed)
    HostExitFailure = 2,     // a failure exit event, or an unattended page without an answer
    HostExitStalled = 3,     // a fatal error stopped the run
    HostExitTimeout = 4,     // the time-out passed
    HostExitUsage = 64,      // bad command line
};
