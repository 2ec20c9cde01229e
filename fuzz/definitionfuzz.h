// SPDX-License-Identifier: MIT
#pragma once
// The fuzz entry for FSM definition files, shared by the libFuzzer target and the smoke test
// that runs it over a corpus in the ordinary test suite. It aborts on a broken invariant, so a
// fuzzer reports it like a crash. Nothing it builds is ever entered: states copy, write and
// delete files.
#include <cstddef>
#include <cstdint>

// Builds an FSM with the "generic" factory from the bytes read as a plain definition file, and
// from what the scrambled-file decoder makes of them when they decode; runs the build checks a
// host runs. Nested definition files are looked up in an empty folder that no relative name can
// climb out of, so no real file is ever read.
void fuzzDefinition(const uint8_t* data, size_t size);
