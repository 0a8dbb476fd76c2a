/*
 * variable_names.h - the rule for the names of variables, data sets and
 * library references, shared by the host, which refuses a variable it
 * cannot write and reads the names of a statement by it, and the modules,
 * which leave out a name they could not write before they build anything
 * on it.
 *
 * A name is a letter (A to Z, a to z) or '_', then letters, digits or '_'.
 * Only these ASCII bytes count: a byte of a multi-byte character is no
 * letter, so the length limits of names count bytes and characters alike.
 *
 * Exports: orvIsNameStart, orvIsNamePart, orvIsName.
 */
#ifndef ORV_HOST_VARIABLE_NAMES_H
#define ORV_HOST_VARIABLE_NAMES_H

#include <cstddef>

constexpr bool orvIsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
constexpr bool orvIsNamePart(char c) { return orvIsNameStart(c) || (c >= '0' && c <= '9'); }

/* True when text[0 .. length) is a name of 1 to maxLength bytes. */
constexpr bool orvIsName(const char *text, size_t length, size_t maxLength)
{
    if (length == 0 || length > maxLength || !orvIsNameStart(text[0])) return false;
    for (size_t i = 1; i < length; ++i)
        if (!orvIsNamePart(text[i])) return false;
    return true;
}

#endif
