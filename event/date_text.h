/*
 * date_text.h - a timing value as text: dates, datetimes and observation
 * numbers in the form that outlier names carry.
 *
 * Exports: DATE2STR_SIZE, date2str.
 */
#ifndef ORV_EVENT_DATE_TEXT_H
#define ORV_EVENT_DATE_TEXT_H

/* Bytes date2str may write: the widest field (21, kind 4) and its NUL. */
constexpr int DATE2STR_SIZE = 22;

/*
 * Writes value as text: kind 8 a date with DATE10. ("01JAN2020"), kind 10
 * a datetime with DATETIME19. ("01JAN2020:12:30:45"), kind 4 an
 * observation number with INT21. ("25"); the text is left-justified,
 * without trailing blanks, and followed by a NUL.
 * REQUIRES: buffer holds DATE2STR_SIZE bytes.
 * Returns the text length; -1 for another kind, a null buffer or a format
 * the host cannot apply (nothing is written).
 */
int date2str(int kind, char *buffer, double value);

#endif
