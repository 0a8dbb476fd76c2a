/*
 * csv_fuzz.cpp - libFuzzer harness of the data-set reader: the CSV file
 * and its sidecar are opened and read through the data-set store.
 *
 * Input: [#by LF] [sidecar LF %% LF] csv.  With "#by" the data set is read
 * BY its first variable; without the "%%" line it has no sidecar and its
 * variables are inferred from the file.
 */
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tests/fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    orvfuzz::resetLibrary();
    std::string_view input(reinterpret_cast<const char *>(data), size);
    bool byFirst = input.starts_with("#by\n");
    if (byFirst) input.remove_prefix(4);
    orvfuzz::writeDataSet("x", input);
    orvfuzz::readBack("X", byFirst);
    return 0;
}
