// SPDX-License-Identifier: MIT
// libFuzzer target: node paths and bracket expressions over a small fixed document.
#include "engine/trace.h"
#include "xpathfuzz.h"

#include <QString>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // A search writes many trace lines; the fuzzer's output would drown in them.
    Trace::setIncludeFilter(QStringLiteral("^$"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzNodePath(data, size);
    return 0;
}
