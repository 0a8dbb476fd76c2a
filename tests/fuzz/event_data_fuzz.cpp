/*
 * event_data_fuzz.cpp - libFuzzer harness of the event definition data
 * sets: the input is the event statements of a VORNAK step over the BY
 * groups of T.STORES; the step writes them to T.EVDATA, which is then read
 * back through the data-set store (the writer's output must be a data set
 * the reader takes whole).  The step's other outputs join as statements of
 * kOutputs, and their data sets as members of kReadBack.
 */
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/parser/source_text.h"
#include "procdriver/orvkeydf.h"
#include "tests/fuzz/fuzz_host.h"

namespace {
constexpr const char *kOutputs = "EVENTDATA OUT=T.EVDATA;\n";
constexpr const char *kReadBack[] = {"EVDATA"};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    orvfuzz::resetLibrary();
    std::string text = "VORNAK DATA=T.STORES;\nID date INTERVAL=MONTH;\nVAR sales;\nBY store;\n";
    text.append(reinterpret_cast<const char *>(data), size);
    text += "\n;\n";
    text += kOutputs;
    orvhost::SourceText source("fuzz.job", text);
    orvfuzz::runStep({&source, 0, text.size()}, orvkeydf);
    for (const char *member : kReadBack)
        if (orvfuzz::readBack(member) != 0) __builtin_trap();
    return 0;
}
