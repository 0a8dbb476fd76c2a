/*
 * interval_names_fuzz.cpp - libFuzzer harness of interval names: the input
 * is parsed by zintstr; a name it takes must give a canonical name that
 * parses back to the same name (when it fits a typed name: "T" comes back
 * as "DT", so it may be longer), and is stepped and counted over a few
 * days and times.
 */
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "interval/intck.h"
#include "interval/interval_names.h"
#include "interval/intnx.h"
#include "tests/support/module_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    orvtest::moduleHost();
    ZINT_DESC desc;
    if (zintstr(reinterpret_cast<const char *>(data), int(size > 64 ? 64 : size), &desc) != 0)
        return 0;
    char name[64];
    int length = sizeof name;
    if (zinti2s(name, &length, &desc) != 0) __builtin_trap();
    if (length <= ZINT_NAME_MAX) {
        ZINT_DESC again;
        char nameAgain[64];
        int lengthAgain = sizeof nameAgain;
        if (zintstr(name, length, &again) != 0 || zinti2s(nameAgain, &lengthAgain, &again) != 0 ||
            lengthAgain != length || std::memcmp(name, nameAgain, size_t(length)) != 0)
            __builtin_trap();
    }
    /* Days around 1960 and 2020, far dates, a datetime and odd values. */
    const double points[] = {0, -1, 21915, 22006.5, 2936547, -138061, 1.9e9, 1e15, -3e10};
    const double steps[] = {0, 1, -1, 13, -400, 1e6, 4e18};
    for (double x : points) {
        for (double n : steps) {
            zintnx2(&desc, x, n);
            for (char align : {'B', 'M', 'E', 'S'}) zintnx4(&desc, align, x, n);
        }
        for (double y : points) {
            zintck2(&desc, x, y);
            zintck3(&desc, x, y);
        }
    }
    return 0;
}
