/*
 * informats_fuzz.cpp - libFuzzer harness of the informats: the first line
 * of the input names an informat with width and decimals (DATE9., F8.2,
 * ...), the rest is the text it reads; a value read is rendered again with
 * the same format.
 */
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/formats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view input(reinterpret_cast<const char *>(data), size);
    size_t lineEnd = input.find('\n');
    if (lineEnd == std::string_view::npos) return 0;
    orvhost::FormatName name;
    if (!orvhost::splitFormatName(input.substr(0, lineEnd), &name)) return 0;
    const orvhost::FormatSpec *spec = orvhost::findFormat(name.name);
    int identifier = spec == nullptr ? orvhost::kNoFormat : spec->identifier;
    std::string_view text = input.substr(lineEnd + 1);
    double value = 0;
    for (int yearCutoff : {1926, 1582, 19999}) {
        if (orvhost::readValue(identifier, text, name.decimals, yearCutoff, &value) != 0) continue;
        std::string shown;
        orvhost::formatValue(identifier, value, name.width, name.decimals, &shown);
    }
    return 0;
}
