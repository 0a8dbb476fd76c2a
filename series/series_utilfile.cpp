/*
 * series_utilfile.cpp - utility-file pairs of callers (see
 * series_utilfile.h).
 */
#include "series/series_utilfile.h"

#include <initializer_list>

#include "host/row_store.h"
#include "host/services.h"

namespace {

int opened(void **slot)
{
    UTILITY_OPEN_RECORD record = ztOpenRecord();
    const int status = xcopen(slot, &record);
    if (status != 0) xprrlog(nullptr, status);
    return status;
}

/* Positions to the start, then truncates there: the file is empty for
 * rewriting.  Done twice, so a host that keeps a write position apart
 * from the read position has both at the start. */
int rewound(void *file)
{
    for (int pass = 0; pass < 2; ++pass)
        for (int64_t position : {int64_t(0), ORV_UTILITY_TRUNCATE}) {
            const int status = xcpoint(file, position);
            if (status != 0) {
                xprrlog(nullptr, status);
                return status;
            }
        }
    return 0;
}

}  // namespace

int ZTSUtilFileInit(ZTS_UTILFILE *rec, int64_t value)
{
    if (rec == nullptr) return 1;
    if (opened(&rec->first) != 0) return 2;
    if (opened(&rec->second) != 0) return 2;
    rec->value = value;
    return 0;
}

int ZTSUtilFileReset(ZTS_UTILFILE *rec)
{
    if (rec == nullptr || rec->first == nullptr) return 1;
    if (rewound(rec->first) != 0) return 2;
    if (rec->second != nullptr && rewound(rec->second) != 0) return 2;
    rec->rows = 0;
    return 0;
}
