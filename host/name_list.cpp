/*
 * name_list.cpp - the name reader of parsed name lists.
 *
 * A parsed name list is a chain of NAME_LIST_BLOCKs, each holding the index
 * of its last name and its names packed as a length byte followed by the
 * text, with nothing between them.
 *
 * Exports: zgetnmr.
 */
#include "host/name_list.h"

/*
 * Finds the i-th name of a list.
 * Inputs: list (may be null), i, text and length (out; either may be null).
 * Outputs: *text points at the name's text inside the block (not
 * terminated), *length is its length, 0 to 255.
 * Returns 0 when found; 1, storing nothing, when list is null, i is
 * negative or i lies beyond the last name of the chain.
 */
int zgetnmr(const NAME_LIST_BLOCK *list, int64_t i, const char **text, int *length)
{
    /* A negative index would match the first block and walk backwards
     * through its names count; no name has one. */
    if (i < 0) return 1;
    int64_t first = 0; /* index of the first name of block */
    const NAME_LIST_BLOCK *block = list;
    while (block != nullptr && block->lastIndex < i) {
        first = block->lastIndex + 1;
        block = block->next;
    }
    if (block == nullptr) return 1;

    const uint8_t *name = block->names;
    for (int64_t skip = i - first; skip > 0; --skip) name += name[0] + 1;
    if (text != nullptr) *text = reinterpret_cast<const char *>(name + 1);
    if (length != nullptr) *length = name[0];
    return 0;
}
