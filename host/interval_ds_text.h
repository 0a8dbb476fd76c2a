/*
 * interval_ds_text.h - how the text of the INTERVALDS system option divides
 * into entries.  The one reading of that text: the custom-interval manager
 * registers what it gives, and orvhost checks a setting of the option with
 * it, so that every text the manager reads is accepted and no other.
 *
 * The separators are the blank, "(", ")", "," and "="; an entry is a name
 * and the token after it, the data set (libref.member, or a member alone).
 * So "(A=LIB.MEM, B=MEM2)", "(A LIB.MEM B MEM2)" and "A = LIB.MEM B=MEM2"
 * all give A and B.  A name without a token after it ends the entries.
 *
 * Exports: orvNextIntervalDsEntry.
 */
#ifndef ORV_HOST_INTERVAL_DS_TEXT_H
#define ORV_HOST_INTERVAL_DS_TEXT_H

#include <cstddef>
#include <string_view>

inline bool orvIsIntervalDsSeparator(char c) { return c == ' ' || c == '(' || c == ')' || c == ',' || c == '='; }

/*
 * The entry at or after position *at of text: its name and data set.
 * Returns true with *at just past the data set; false when no entry is
 * left, with *at at the end and *name the name that had no data set after
 * it (empty when there was none).
 */
inline bool orvNextIntervalDsEntry(std::string_view text, size_t *at, std::string_view *name,
                                   std::string_view *dataSet)
{
    auto skip = [&] {
        while (*at < text.size() && orvIsIntervalDsSeparator(text[*at])) ++*at;
    };
    auto token = [&] {
        const size_t start = *at;
        while (*at < text.size() && !orvIsIntervalDsSeparator(text[*at])) ++*at;
        return text.substr(start, *at - start);
    };
    skip();
    *name = token();
    skip();
    *dataSet = token();
    return !name->empty() && !dataSet->empty();
}

#endif
