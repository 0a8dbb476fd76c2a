/*
 * catalogue.h - the host's message catalogue.
 *
 * Every message, note and label text the modules use is named by a pair
 * (message set, number).  The catalogue file (messages.cat, built into
 * orvhost) holds one entry per line:
 *     set number kind arguments text
 * kind is NOTE, WARNING, ERROR or TEXT (a label or keyword text that is
 * fetched, never logged); arguments is one letter per argument (i integer,
 * d double, t text) or '-' for none; text is the rest of the line, in which
 * %1 to %9 stand for the arguments and %% for a percent sign.  Lines that
 * start with '#' and blank lines are ignored.
 */
#ifndef ORV_PLATFORM_CATALOGUE_H
#define ORV_PLATFORM_CATALOGUE_H

#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "platform/log.h"

namespace orvhost {

enum class MessageKind { Note, Warning, Error, Text };

struct CatalogueEntry {
    MessageKind kind;
    std::string argumentTypes; /* "" for none */
    std::string text;
};

class Catalogue {
public:
    /* Parses catalogue text; returns the first faulty line as an error
     * message ("" when the text is sound).  Entries read before a faulty line
     * are kept. */
    std::string load(std::string_view text);

    /* The entry of (set, number), or null. */
    const CatalogueEntry *find(int set, int number) const;

    size_t size() const { return entries_.size(); }

private:
    std::map<std::pair<int, int>, CatalogueEntry> entries_;
};

/* The catalogue built into orvhost. */
std::string_view builtInCatalogueText();

LogKind logKindOf(MessageKind kind);

}  // namespace orvhost

#endif
