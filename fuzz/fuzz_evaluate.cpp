// SPDX-License-Identifier: MIT
// libFuzzer target: parse, fill the inputs, evaluate.
#include "expressionfuzz.h"
#include "fuzzapp.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    startFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzEvaluate(data, size);
    return 0;
}
