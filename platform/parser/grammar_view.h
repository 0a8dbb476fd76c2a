/*
 * grammar_view.h - reads a module's grammar block: symbols, productions,
 * the parse list, actions and the error-recovery costs.
 *
 * The block's header gives the symbol count and the parse-list length; the
 * nonterminal count is the number of parse-list records and the production
 * count follows from the productions the parse list names.  A block whose
 * tables do not hang together is refused (valid() false, fault() says why),
 * so a broken block can never send the parser outside its tables.
 *
 * Exports: GrammarView, kNoCost.
 */
#ifndef ORV_PLATFORM_PARSER_GRAMMAR_VIEW_H
#define ORV_PLATFORM_PARSER_GRAMMAR_VIEW_H

#include <map>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/host_records.h"

namespace orvhost {

/* A cost the tables mark as impossible (inserting or deleting "$$$"). */
constexpr int kNoCost = 255;

class GrammarView {
public:
    explicit GrammarView(const GRAMMAR_BLOCK &block);

    bool valid() const { return fault_.empty(); }
    const std::string &fault() const { return fault_; }

    int symbolCount() const { return symbols_; }
    int endMarker() const { return symbols_; }
    int nonterminalCount() const { return nonterminals_; }
    int productionCount() const { return productions_; }
    int startSymbol() const { return symbols_ + 1; } /* nonterminal 0 */
    bool isNonterminal(int symbol) const { return symbol > symbols_; }
    int nonterminalIndex(int symbol) const { return symbol - symbols_ - 1; }

    /* Name of a terminal as the symbol table holds it, and its kind. */
    std::string_view symbolName(int symbol) const;
    int symbolKind(int symbol) const { return block_.symmap[symbol - 1]; }

    /* How a symbol is shown to users: keywords without a trailing '$',
     * punctuation and ';' in quotes, token classes by what they stand for;
     * nonterminals by their number. */
    std::string display(int symbol) const;

    /* The keyword a name spells (upper-case text; K or K$ both match), or
     * 0; the symbol of a punctuation character, or 0. */
    int keywordFor(std::string_view upperText) const;
    int punctuationFor(char c) const;

    /* The production for nonterminal symbol `nonterminal` with `terminal`
     * next, or -1. */
    int predict(int nonterminal, int terminal) const;

    /* The terminals a nonterminal's parse-list record names, ascending. */
    std::vector<int> expected(int nonterminal) const;

    /* A production's right-hand side, last element first (prdlst order):
     * symbols, and -k for action k; and its nonterminal index. */
    std::span<const int16_t> reversedRhs(int production) const;
    int lhs(int production) const { return block_.lhstbl[production]; }

    /* Action k (from 1): its code and arguments. */
    int actionCode(int action) const { return block_.actmap[action - 1]; }
    std::span<const int16_t> actionArguments(int action) const;
    int actionCount() const { return actions_; }

    /* Costs: deleting a terminal, inserting a terminal or the cheapest
     * string of a nonterminal (kNoCost: impossible). */
    int deleteCost(int terminal) const { return block_.delcost[terminal - 1]; }
    int insertCost(int symbol) const { return block_.inscost[symbol - 1]; }

    /* The cheapest terminal string a nonterminal derives. */
    std::vector<int> cheapestString(int nonterminal) const;

    /* Least cost of inserting a terminal string w such that w followed by
     * terminal derives from nonterminal as a prefix (kNoCost when none). */
    int prefixCost(int nonterminal, int terminal) const;

    /* The production of nonterminal that achieves prefixCost. */
    int cheapestProductionFor(int nonterminal, int terminal) const;

private:
    void check();
    const std::vector<int> &prefixColumn(int terminal) const;
    int rhsPrefixCost(int production, int terminal, const std::vector<int> &column) const;

    const GRAMMAR_BLOCK &block_;
    std::string fault_;
    int symbols_ = 0;
    int nonterminals_ = 0;
    int productions_ = 0;
    int actions_ = 0;
    std::unordered_map<std::string, int> keywords_;
    int punctuation_[256] = {};
    mutable std::map<int, std::vector<int>> prefixColumns_; /* by terminal, built on first use */
};

}  // namespace orvhost

#endif
