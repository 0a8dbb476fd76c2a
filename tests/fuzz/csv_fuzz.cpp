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
#include <fstream>
#include <string>
#include <string_view>

#include "tests/fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string &dir = orvfuzz::resetLibrary();
    std::string_view input(reinterpret_cast<const char *>(data), size);
    bool byFirst = input.starts_with("#by\n");
    if (byFirst) input.remove_prefix(4);
    size_t split = input.find("\n%%\n");
    if (split != std::string_view::npos) {
        std::ofstream(dir + "/x.meta.json", std::ios::binary) << input.substr(0, split);
        input.remove_prefix(split + 4);
    }
    std::ofstream(dir + "/x.csv", std::ios::binary) << input;
    orvfuzz::readBack("X", byFirst);
    return 0;
}
