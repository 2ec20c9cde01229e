// SPDX-License-Identifier: MIT
// libFuzzer target: FSM definition files, plain and scrambled, built and checked, never run.
#include "definitionfuzz.h"
#include "fuzzapp.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    startFuzzApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzDefinition(data, size);
    return 0;
}
