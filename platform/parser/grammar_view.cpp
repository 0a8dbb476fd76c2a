/*
 * grammar_view.cpp - reading a grammar block (platform/parser/grammar_view.h).
 */
#include "platform/parser/grammar_view.h"

#include <algorithm>

namespace orvhost {

GrammarView::GrammarView(const GRAMMAR_BLOCK &block) : block_(block) { check(); }

void GrammarView::check()
{
    const void *tables[] = {block_.prdlst, block_.prdndx, block_.lhstbl, block_.prslst,
                            block_.prsndx, block_.actmap, block_.argndx, block_.argtbl,
                            block_.symtbl, block_.symndx, block_.symmap, block_.delcost,
                            block_.inscost, block_.insndx, block_.instbl};
    for (const void *table : tables) {
        if (table == nullptr) {
            fault_ = "a table pointer of the grammar block is null";
            return;
        }
    }
    symbols_ = block_.symbolCount;
    if (symbols_ <= ORV_TOKEN_CLASS_COUNT || block_.symbolCountPlusOne != symbols_ + 1 ||
        block_.parseListLength == 0) {
        fault_ = "the grammar block's header counts are not usable";
        return;
    }
    int length = block_.parseListLength;
    int largestProduction = -1;
    for (int i = 0; i < length; ++nonterminals_) {
        int n = block_.prslst[i];
        if (n < 0 || i + 1 + 2 * n > length || block_.prsndx[nonterminals_] != i) {
            fault_ = "the parse list does not match its index";
            return;
        }
        for (int k = 0; k < n; ++k) {
            int terminal = block_.prslst[i + 1 + 2 * k];
            int production = block_.prslst[i + 2 + 2 * k];
            if (terminal < 1 || terminal > symbols_ || production < 0) {
                fault_ = "the parse list names a symbol or production that does not exist";
                return;
            }
            largestProduction = std::max(largestProduction, production);
        }
        i += 1 + 2 * n;
    }
    productions_ = largestProduction + 1;
    int allSymbols = symbols_ + nonterminals_;
    for (int p = 0; p < productions_; ++p) {
        int at = block_.prdndx[p];
        if (at < 0 || block_.lhstbl[p] < 0 || block_.lhstbl[p] >= nonterminals_ ||
            block_.prdlst[at] < 0) {
            fault_ = "a production of the grammar is not usable";
            return;
        }
        for (int e : reversedRhs(p)) {
            if (e > allSymbols || e == 0) {
                fault_ = "a production names a symbol that does not exist";
                return;
            }
            actions_ = std::max(actions_, -e);
        }
    }
    for (int s = 1; s <= symbols_; ++s) {
        std::string_view name = symbolName(s);
        if (symbolKind(s) == ORV_SYMBOL_PUNCTUATION && name.size() == 1)
            punctuation_[(unsigned char)name[0]] = s;
        if (symbolKind(s) == ORV_SYMBOL_KEYWORD) {
            /* users write a keyword without its trailing '$' */
            std::string written(name);
            if (written.size() > 1 && written.back() == '$') written.pop_back();
            keywords_.emplace(written, s);
        }
    }
}

std::string_view GrammarView::symbolName(int symbol) const
{
    const uint8_t *entry = block_.symtbl + block_.symndx[symbol - 1];
    return {reinterpret_cast<const char *>(entry + 1), entry[0]};
}

std::string GrammarView::display(int symbol) const
{
    if (isNonterminal(symbol)) return "part " + std::to_string(nonterminalIndex(symbol));
    switch (symbolKind(symbol)) {
    case ORV_SYMBOL_TOKEN_CLASS:
        switch (symbol) {
        case ORV_TOKEN_ENDJB: return "';'";
        case ORV_TOKEN_NAMEX: return "a name";
        case ORV_TOKEN_QS: return "a quoted string";
        case ORV_TOKEN_INT: return "an integer";
        case ORV_TOKEN_NBR: return "a number";
        case ORV_TOKEN_COMPOUND: return "a two-level name";
        case ORV_TOKEN_FMT: return "a format";
        case ORV_TOKEN_DATE: return "a date constant";
        case ORV_TOKEN_TIME: return "a time constant";
        case ORV_TOKEN_DATETIME: return "a datetime constant";
        case ORV_TOKEN_MISSING: return "a missing value";
        case ORV_TOKEN_VLITERAL: return "a name literal";
        case ORV_TOKEN_CATNAME: return "a three-level name";
        default: return std::string(symbolName(symbol));
        }
    case ORV_SYMBOL_PUNCTUATION: return "'" + std::string(symbolName(symbol)) + "'";
    case ORV_SYMBOL_END: return "the end of the step";
    default: break;
    }
    std::string name(symbolName(symbol));
    if (name.size() > 1 && name.back() == '$') name.pop_back();
    return name;
}

int GrammarView::keywordFor(std::string_view upperText) const
{
    auto found = keywords_.find(std::string(upperText));
    return found != keywords_.end() ? found->second : 0;
}

int GrammarView::punctuationFor(char c) const { return punctuation_[(unsigned char)c]; }

int GrammarView::predict(int nonterminal, int terminal) const
{
    const int16_t *record = block_.prslst + block_.prsndx[nonterminalIndex(nonterminal)];
    int low = 0, high = record[0] - 1;
    while (low <= high) {
        int middle = (low + high) / 2;
        int t = record[1 + 2 * middle];
        if (t == terminal) return record[2 + 2 * middle];
        if (t < terminal)
            low = middle + 1;
        else
            high = middle - 1;
    }
    return -1;
}

std::vector<int> GrammarView::expected(int nonterminal) const
{
    const int16_t *record = block_.prslst + block_.prsndx[nonterminalIndex(nonterminal)];
    std::vector<int> terminals;
    for (int k = 0; k < record[0]; ++k) terminals.push_back(record[1 + 2 * k]);
    return terminals;
}

std::span<const int16_t> GrammarView::reversedRhs(int production) const
{
    const int16_t *record = block_.prdlst + block_.prdndx[production];
    return {record + 1, size_t(record[0])};
}

std::span<const int16_t> GrammarView::actionArguments(int action) const
{
    int at = block_.argndx[action - 1];
    if (at < 0) return {};
    return {block_.argtbl + at + 1, size_t(block_.argtbl[at])};
}

std::vector<int> GrammarView::cheapestString(int nonterminal) const
{
    int at = block_.insndx[nonterminalIndex(nonterminal)];
    if (at < 0) return {};
    std::vector<int> text;
    for (int k = 1; k <= block_.instbl[at]; ++k) text.push_back(block_.instbl[at + k]);
    return text;
}

/* Cost, within production p, of reaching terminal: the insertions of the
 * elements before the one that can start with it.  column holds the
 * prefix costs of every nonterminal for that terminal. */
int GrammarView::rhsPrefixCost(int production, int terminal, const std::vector<int> &column) const
{
    std::span<const int16_t> rhs = reversedRhs(production);
    int prefix = 0;
    int best = kNoCost;
    for (auto e = rhs.rbegin(); e != rhs.rend() && prefix < best; ++e) {
        int s = *e;
        if (s < 0) continue;
        if (!isNonterminal(s)) {
            if (s == terminal) best = std::min(best, prefix);
        } else {
            int inner = column[size_t(nonterminalIndex(s))];
            if (inner < kNoCost) best = std::min(best, prefix + inner);
        }
        int cost = insertCost(s);
        if (cost >= kNoCost) break;
        prefix += cost;
    }
    return best;
}

/* The prefix costs of every nonterminal for one terminal: a fixpoint over
 * the productions, built when first asked for. */
const std::vector<int> &GrammarView::prefixColumn(int terminal) const
{
    auto found = prefixColumns_.find(terminal);
    if (found != prefixColumns_.end()) return found->second;
    std::vector<int> column(size_t(nonterminals_), kNoCost);
    for (bool changed = true; changed;) {
        changed = false;
        for (int p = 0; p < productions_; ++p) {
            int cost = rhsPrefixCost(p, terminal, column);
            int &entry = column[size_t(lhs(p))];
            if (cost < entry) {
                entry = cost;
                changed = true;
            }
        }
    }
    return prefixColumns_.emplace(terminal, std::move(column)).first->second;
}

int GrammarView::prefixCost(int nonterminal, int terminal) const
{
    return prefixColumn(terminal)[size_t(nonterminalIndex(nonterminal))];
}

int GrammarView::cheapestProductionFor(int nonterminal, int terminal) const
{
    const std::vector<int> &column = prefixColumn(terminal);
    int best = -1, bestCost = kNoCost;
    for (int p = 0; p < productions_; ++p) {
        if (lhs(p) != nonterminalIndex(nonterminal)) continue;
        int cost = rhsPrefixCost(p, terminal, column);
        if (cost < bestCost) {
            bestCost = cost;
            best = p;
        }
    }
    return best;
}

}  // namespace orvhost
