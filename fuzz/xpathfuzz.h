// SPDX-License-Identifier: MIT
#pragma once
// The fuzz entry for node paths, shared by the libFuzzer target and the smoke test that runs
// it over a corpus in the ordinary test suite. It aborts on a broken invariant, so a fuzzer
// reports it like a crash.
#include <cstddef>
#include <cstdint>

// Evaluates the bytes (UTF-8) as a node path from several nodes of a small fixed document,
// and as a bracket expression and a term against one of its elements.
void fuzzNodePath(const uint8_t* data, size_t size);
