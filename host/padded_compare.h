/*
 * padded_compare.h - the three-way compare of two blank-padded text fields,
 * shared by the modules' text routines and the host's multi-byte services.
 *
 * Bytes are compared through a weight function (identity, a collating
 * table, or case folding).  Result: 0 when equal; otherwise the sign gives
 * the order (negative: a sorts first) and the magnitude the 1-based position
 * of the first difference.  The shorter field counts as padded with blanks:
 * past its end, the first non-blank extra byte of the longer field decides.
 * REQUIRES: lengths are not negative; a field of positive length is not null.
 */
#ifndef ORV_HOST_PADDED_COMPARE_H
#define ORV_HOST_PADDED_COMPARE_H

template <typename Weight>
int orvComparePadded(const char *fieldA, int lengthA, const char *fieldB, int lengthB,
                     Weight weight)
{
    constexpr unsigned char kBlank = 0x20;
    const auto *a = reinterpret_cast<const unsigned char *>(fieldA);
    const auto *b = reinterpret_cast<const unsigned char *>(fieldB);
    int n = lengthA < lengthB ? lengthA : lengthB;
    for (int i = 0; i < n; ++i) {
        unsigned char wa = weight(a[i]), wb = weight(b[i]);
        if (wa != wb) return wa < wb ? -(i + 1) : i + 1;
    }
    bool longerIsA = lengthA > lengthB;
    const unsigned char *longer = longerIsA ? a : b;
    int longerLength = longerIsA ? lengthA : lengthB;
    for (int i = n; i < longerLength; ++i) {
        unsigned char w = weight(longer[i]);
        if (w == kBlank) continue;
        bool longerSortsFirst = w < kBlank;
        return longerSortsFirst == longerIsA ? -(i + 1) : i + 1;
    }
    return 0;
}

#endif
