/*
 * option_services.cpp - host routines of the system options: xoptcgt (an
 * option's text as a copy the caller may change), xyrcgef and xyrfree (the
 * text enclosed in parentheses, in a block the caller frees) and xyrn6gf
 * (the two-digit-year cut-off).
 *
 * The modules take option names as NUL-terminated texts; the names are
 * matched without regard to case (platform/options.h).
 */
#include <string>

#include "platform/host.h"
#include "platform/service_table.h"

namespace host_routines {

namespace {

using orvhost::OptionId;
using orvhost::SystemOptions;

/* Result of xyrcgef and xyrn6gf for an unknown option, a null argument or
 * a text that could not be allocated. */
constexpr int kOptionNotAvailable = -1;

SystemOptions &options() { return orvhost::Host::current().options(); }

bool findOption(const char *name, OptionId &id)
{
    return name != nullptr && SystemOptions::find(name, id);
}

/* The text with its enclosing characters: the readers of item lists skip
 * the first and the last character.  A text that is already in parentheses
 * is taken as it is, so that "(NODEFAULTS LIB.KEYS)" and "NODEFAULTS
 * LIB.KEYS" read alike; an empty text gives "()", a list without items. */
std::string enclosed(const std::string &text)
{
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "()";
    size_t last = text.find_last_not_of(' ');
    std::string trimmed = text.substr(first, last - first + 1);
    if (trimmed.size() >= 2 && trimmed.front() == '(' && trimmed.back() == ')') return trimmed;
    return "(" + trimmed + ")";
}

}  // namespace

/* Inputs: a NUL-terminated option name; lengthOut may be null.
 * Returns a NUL-terminated copy of the option's text that the caller may
 * change (it lives until the step ends) and stores its length; an unset
 * option gives an empty text and length 0.  An unknown name (or a copy that
 * could not be made) gives null and length 0. */
char *xoptcgt(const char *optionName, int *lengthOut)
{
    if (lengthOut != nullptr) *lengthOut = 0;
    OptionId id;
    if (!findOption(optionName, id)) return nullptr;
    const std::string &text = options().text(id);
    char *copy = options().stepCopy(text);
    if (copy != nullptr && lengthOut != nullptr) *lengthOut = int(text.size());
    return copy;
}

/* Inputs: a NUL-terminated option name, where to store the text, and the
 * buffer size the caller asks for (callers pass 256).
 * Stores in *textOut a NUL-filled block holding the option's text in
 * parentheses; the block is bufferLength bytes, or longer when the text
 * needs it, so a long option is never cut.  Free it with xyrfree.
 * Returns the text length; -1 for an unknown option or a null textOut
 * (*textOut is then null when given). */
int xyrcgef(const char *optionName, char **textOut, int bufferLength)
{
    if (textOut == nullptr) return kOptionNotAvailable;
    *textOut = nullptr;
    OptionId id;
    if (!findOption(optionName, id)) return kOptionNotAvailable;
    std::string text = enclosed(options().text(id));
    *textOut = options().allocateText(text, bufferLength);
    return *textOut != nullptr ? int(text.size()) : kOptionNotAvailable;
}

/* Frees a text of xyrcgef.  Null, a text freed before and any pointer the
 * host did not hand out are ignored. */
void xyrfree(void *optionText)
{
    if (optionText != nullptr) options().freeText(optionText);
}

/* Inputs: the option id (4443 = the two-digit-year cut-off) and where to
 * store the value.  Returns 0 with the cut-off year stored; -1 for any other
 * id or a null valueOut (nothing is stored). */
int xyrn6gf(int optionId, int *valueOut)
{
    if (optionId != orvhost::kYearCutoffOptionId || valueOut == nullptr) return kOptionNotAvailable;
    *valueOut = options().yearCutoff();
    return 0;
}

}  // namespace host_routines
