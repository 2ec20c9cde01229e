// SPDX-License-Identifier: MIT
#pragma once
// The fuzz entries for the expression language, shared by the libFuzzer targets and the smoke
// test that runs them over a corpus in the ordinary test suite. Each aborts on a broken
// invariant, so a fuzzer reports it like a crash.
#include <cstddef>
#include <cstdint>

// Parses the bytes (UTF-8) as an expression.
void fuzzParse(const uint8_t* data, size_t size);

// Parses the bytes, fills every input cell with a value or an object chosen by its name, and
// evaluates the expression twice.
void fuzzEvaluate(const uint8_t* data, size_t size);
