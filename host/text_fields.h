/*
 * text_fields.h - the routines on blank-padded text fields.
 *
 * A text field is a pointer and a signed 32-bit length; it is padded on the
 * right with blanks (0x20) and carries no NUL unless a routine says so.  When
 * two fields of different lengths are compared, the shorter one counts as if
 * padded with blanks.
 *
 * Exports: moves (vzmp, vzmpc, wzstmov), tests and searches (vzatl, wzstlen,
 * wzstrip, wzstpos, wzstndx), compares (wzstcom, wzstcmn, wzsteqn, wzbcup),
 * translation (wztxxlt), justification (wzstjls, wzstjus) and integer text
 * (wzcichr).
 *
 * Conventions common to every routine here:
 *   - A negative length counts as 0, except where a routine gives a negative
 *     length a meaning of its own (wzstmov's destination, wzstndx's pattern),
 *     so a bad length can never turn into a huge read or write.
 *   - A null field pointer counts as a field of length 0.
 *   - A byte value argument is taken as its low eight bits, as memchr and
 *     memset take theirs.
 *   - The collating table, the translate tables and the multi-byte switch
 *     are read from the host's control block on every call.
 */
#ifndef ORV_HOST_TEXT_FIELDS_H
#define ORV_HOST_TEXT_FIELDS_H

#include <cstdint>

/* Status of wztxxlt for a translate table number outside 0..4. */
constexpr int WZTXXLT_BAD_TABLE = int(0x8000200aU);

/* Copies min(sourceLength, destinationLength) bytes of source into
 * destination (overlap-safe) and blank-fills the rest of the destination.
 * A source length of 0 (or a null source) blank-fills the whole
 * destination. */
void vzmp(const char *source, int sourceLength, char *destination, int destinationLength);

/* vzmp into a counted field (a 16-bit length before its text): the
 * length becomes min(sourceLength, destinationLength), 0 for a negative
 * or a null source. */
void vzmpc(const char *source, int sourceLength, int16_t *length, char *destination, int destinationLength);

/* The move of vzmp with two extras:
 *   - a null source blank-fills the destination and returns 0;
 *   - a negative destinationLength d selects NUL mode with capacity
 *     c = ~d: min(sourceLength, c) bytes are copied and a NUL stored right
 *     behind them (the destination must hold c + 1 bytes); nothing is
 *     blank-filled; a null source stores only the NUL.
 * Returns the number of bytes copied (NUL not counted). */
int wzstmov(const char *source, int sourceLength, char *destination, int destinationLength);

/* 1 when all n bytes of field equal byteValue, else 0; n of 0 or less
 * gives 1. */
int vzatl(int byteValue, const char *field, int n);

/* Length of a NUL-terminated text; 0 for a null pointer; INT_MAX at most. */
int wzstlen(const char *text);

/* Length of field without its trailing blanks: 0 for an all-blank field,
 * a negative length or a null field. */
int wzstrip(const char *field, int length);

/* 0-based position of the first byte of field equal to byteValue; -1 when
 * there is none or field is null. */
int wzstpos(const char *field, int length, int byteValue);

/* 0-based position of the first occurrence of the whole pattern in field
 * (exact, case-sensitive); -1 when it does not occur.
 *   - patternLength 0, or a null pattern, gives 0 (the empty pattern);
 *   - a negative patternLength with a non-null pattern means the pattern is
 *     NUL-terminated;
 *   - an empty field with a non-empty pattern gives -1. */
int wzstndx(const char *field, int length, const char *pattern, int patternLength);

/* Three-way compare of two blank-padded fields on unsigned byte values.
 * Returns 0 when equal; otherwise the sign gives the order (negative: a
 * sorts first) and the magnitude the 1-based position of the first
 * difference, counting the shorter field as blank-padded. */
int wzstcom(const char *fieldA, int lengthA, const char *fieldB, int lengthB);

/* wzstcom on collating weights (order without regard to case).  Under a
 * multi-byte encoding the host service wzsxcmn gives the result. */
int wzstcmn(const char *fieldA, int lengthA, const char *fieldB, int lengthB);

/* 1 when the fields are equal by collating weight, else 0.  Fields of
 * different lengths are different (no blank padding here); two empty
 * fields are equal.  Under a multi-byte encoding the host service wzsxeqn
 * decides fields of equal length. */
int wzsteqn(const char *fieldA, int lengthA, const char *fieldB, int lengthB);

/* Compares n bytes: at the first pair whose collating weights differ,
 * returns weight(a) - weight(b); 0 when no such pair exists or n is 0 or
 * less. */
int wzbcup(const char *fieldA, const char *fieldB, int n);

/* Translates length bytes of source into destination (which may be the
 * source itself, or overlap it) through translate table tableIndex: 0 and 2
 * upper-case, 1 and 3 lower-case, 4 as the host defines it.  Under a
 * multi-byte encoding tables 0 to 3 are applied by host services.
 * Returns 0, or WZTXXLT_BAD_TABLE (nothing touched) for an index outside
 * 0..4. */
int wztxxlt(int tableIndex, const char *source, char *destination, int length);

/* Justifies the text of field in place by mode letter (either case): 'L' to
 * the left edge, 'R' to the right edge, 'C' centred (an odd leftover blank
 * goes to the right); any other letter leaves the field as it is.  Stores
 * the length of the text (first to last non-blank byte) in *textLengthOut
 * and its 0-based start after justification in *startOut; both 0 for an
 * all-blank or empty field.  Either out pointer may be null. */
void wzstjls(char *field, int length, int mode, int *textLengthOut, int *startOut);

/* wzstjls without the start; returns the text length. */
int wzstjus(char *field, int length, int mode);

/* Writes the decimal digits of value, with a leading '-' when negative,
 * into buffer (no terminator, no blank fill); returns the number of bytes
 * written, at most 11.  A null buffer gives 0. */
int wzcichr(int value, char *buffer);

#endif
