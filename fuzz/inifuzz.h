// SPDX-License-Identifier: MIT
#pragma once
// The fuzz entry for INI text, shared by the libFuzzer target and the smoke test that runs it
// over a corpus in the ordinary test suite. It aborts on a broken invariant, so a fuzzer
// reports it like a crash.
#include <cstddef>
#include <cstdint>

// Parses the bytes as UTF-8 and as Latin-1 INI text, checks what the parser holds and parses
// its written text again.
void fuzzIniText(const uint8_t* data, size_t size);
