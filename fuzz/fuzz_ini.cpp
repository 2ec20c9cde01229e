// SPDX-License-Identifier: MIT
// libFuzzer target: INI text of any shape, read and written back.
#include "inifuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzIniText(data, size);
    return 0;
}
