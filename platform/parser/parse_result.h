/*
 * parse_result.h - the semantic actions of the host parser: they build the
 * parse result (statement chain, option bits, option-values records, name
 * and value lists, data sets, intervals, formats, variable lists) in the
 * host's global memory, and resolve the BY and ID variables at the end.
 *
 * Action codes (arguments in brackets; "the token" is the token just read):
 *   1 [n]      begin a statement: n > 0 a new node with n slots named by the
 *              keyword just read; n = 0 a statement without a node of its
 *              own, whose options go to the procedure statement's record
 *   2 [k]      append the token's value to the double list in slot k
 *   3          end the statement: its node joins the chain
 *   4 [k]      append the token's text to the name list in slot k
 *   5 [n]      set option bit n of the current statement
 *   6 [k, t]   store the token in slot k: t 1 its value, 2 its text,
 *              3 its first character
 *   8 [k, n]   attach the statement's variable list to slot k of the
 *              procedure statement: BY (k = 0), VAR (2), ID (3); n > 0 limits
 *              the count of names
 *   9 [form]   add a variable-list item made of the pending names
 *   10 [w]     keep the token's text as pending name w (1 or 2)
 *   12 [k]     store the format the token names in slot k
 *   17 [k, m]  open the data set the token names into slot k (m 1 input,
 *              2 output)
 *   18 [k, v]  append the number v to the double list in slot k
 *   19         negate the token's value
 *   20 [min, max]  check that the token's integer lies in min..max (max
 *              may be left out)
 *   33 [k, v]  store the number v in slot k
 *   34 [k, c]  store the character c in slot k
 *   37 [k]     parse the interval name the token holds into slot k
 *   22 [s, k]  a range of values in the double list in slot k: s 1 keeps
 *              the token's value as the range's end (its start is the last
 *              value of the list), s 2 the step interval the token names,
 *              s 3 appends the starts of the intervals after the start up
 *              to the end (by default one observation, day, hour or
 *              day of datetimes, by the kind of the end token); more than
 *              kMaxRangeValues values in all is a statement error
 *   41 [s, kinds, runs, values]  call the action callback at PARSE_CONTROL
 *              0x90 (s 1 at the start, 2 at the end of a group of timing
 *              values)
 *
 * Exports: ParseResultBuilder, ParseReporter, appendToHostList, the action
 * codes and variable-list item forms.
 */
#ifndef ORV_PLATFORM_PARSER_PARSE_RESULT_H
#define ORV_PLATFORM_PARSER_PARSE_RESULT_H

#include <span>
#include <string>
#include <vector>

#include "host/host_records.h"
#include "interval/interval_desc.h"
#include "platform/parser/lexer.h"
#include "platform/parser/parse_environment.h"

namespace orvhost {

enum ActionCode : int {
    kActionBegin = 1,
    kActionAppend = 2,
    kActionEnd = 3,
    kActionName = 4,
    kActionBit = 5,
    kActionStore = 6,
    kActionAttach = 8,
    kActionItem = 9,
    kActionPending = 10,
    kActionFormat = 12,
    kActionOpen = 17,
    kActionAppendConstant = 18,
    kActionNegate = 19,
    kActionRange = 20,
    kActionSpan = 22,
    kActionConstant = 33,
    kActionCharacter = 34,
    kActionInterval = 37,
    kActionTiming = ORV_ACTION_TIMING,
};

/* Sub-actions of action 22, and the most values one range may hold. */
enum : int { kSpanTo = 1, kSpanBy = 2, kSpanFill = 3 };
constexpr int kMaxRangeValues = 100000;

/* Store types of action 6. */
enum : int { kStoreNumber = 1, kStoreText = 2, kStoreCharacter = 3 };

/* Variable-list item forms of action 9. */
enum : int {
    kItemSingle = 0,
    kItemRange = 1,
    kItemRange2 = 2,
    kItemNumericRange = 3,
    kItemCharacterRange = 4,
    kItemPrefix = 5,
    kItemAllNumeric = 6,
    kItemAllCharacter = 7,
    kItemAllVariables = 8,
    kItemDescending = 9,
    kItemNotSorted = 10,
};

/* Slots of the procedure statement that action 8 fills. */
constexpr int kSlotBy = 0;
constexpr int kSlotData = 1;
constexpr int kSlotVar = 2;
constexpr int kSlotId = 3;

/* Where the parser's messages go; both set the parse status. */
/* The texts of a name list, in order. */
std::vector<std::string> nameListTexts(const NAME_LIST_BLOCK *block);

class ParseReporter {
public:
    virtual ~ParseReporter() = default;
    /* A fault of the statements at a job-text offset. */
    virtual void statementError(size_t offset, const std::string &message) = 0;
    /* An allocation of the parse result failed. */
    virtual void outOfMemory() = 0;
};

/*
 * Appends an item of length bytes to the list held in slot: the items grow
 * in a block of the host's global memory, the count at 0x8 goes up.  Every
 * item of a list has the length of its first.  Returns 0; -1 when memory
 * runs out; 1 for a null slot or item, a length below 1, or a length unlike
 * the list's.
 */
int appendToHostList(OPTION_SLOT *slot, const void *item, int length);

class ParseResultBuilder {
public:
    ParseResultBuilder(PARSE_CONTROL &control, ParseEnvironment &environment,
                       ParseReporter &reporter);

    /* Runs action code with its arguments; token is the token just read
     * (action 19 changes its value), keyword the last keyword read. */
    void run(int code, std::span<const int16_t> arguments, Token &token, const Token &keyword);

    /* Resolves the BY and ID variables against the DATA= data set and
     * hands the BY list to it; only after a parse without faults. */
    void finish();

private:
    void *allocate(size_t size);
    OPTION_SLOT *slot(int k);
    void begin(int slots, const Token &token);
    void end();
    void store(int k, int type, const Token &token);
    void setValue(int k, uint8_t type, double number);
    bool appendNumber(OPTION_SLOT *target, double value);
    bool appendNames(OPTION_SLOT *target, uint8_t type, const std::vector<std::string> &names);
    void attach(int k, int limit);
    void addItem(int form);
    void range(std::span<const int16_t> arguments, const Token &token, const Token &keyword);
    void openDataSet(int k, int mode, const Token &token);
    void format(int k, const Token &token);
    void interval(int k, const Token &token, const Token &keyword);
    void span(int sub, int k, const Token &token);
    void fillRange(OPTION_SLOT *target);
    void timing(std::span<const int16_t> arguments, const Token &token);
    std::vector<std::string> namesOf(const OPTION_SLOT &slot) const;
    void resolveBy(OPTION_SLOT &by, DATA_SET_HANDLE *data);
    void resolveId(OPTION_SLOT &id, DATA_SET_HANDLE *data);

    PARSE_CONTROL &control_;
    ParseEnvironment &environment_;
    ParseReporter &reporter_;
    bool memoryFailed_ = false;
    STATEMENT_NODE *procedure_ = nullptr;
    STATEMENT_NODE *current_ = nullptr; /* node being built (null for BY, VAR, ID) */
    STATEMENT_NODE *last_ = nullptr;    /* last node of the chain */
    OPTION_SLOT *options_ = nullptr;    /* record the options go to */
    int slotCount_ = 0;
    size_t statementOffset_ = 0;
    std::string pending_[2];
    std::vector<std::string> items_;
    size_t attachOffset_[4] = {};
    /* The range being read (action 22). */
    struct PendingRange {
        bool open = false;
        int tokenClass = 0; /* of its end */
        double end = 0;
        size_t offset = 0;  /* of its end */
        bool stepped = false;
        ZINT_DESC step{};
    } range_;
};

}  // namespace orvhost

#endif
