/*
 * tables.cpp - projects the grammar onto one module and builds its LL(1)
 * parse tables, action tables, symbol tables and error-recovery costs.
 *
 * Exports: buildModuleTables.
 */
#include <algorithm>
#include <climits>
#include <functional>

#include "host/host_records.h"
#include "tools/grammargen/grammar.h"

namespace grammargen {
namespace {

constexpr int kNoCost = 255; /* "cannot be inserted or deleted" */
constexpr const char *kEndMarker = "$$$";

/* A production with numbered symbols; actions are -k. */
struct Production {
    int lhs; /* nonterminal index j */
    std::vector<int> rhs;
    int line;
};

class Builder {
public:
    Builder(const GrammarSource &grammar, const std::string &module)
        : grammar_(grammar), module_(module)
    {
    }
    ModuleTables build();

private:
    [[noreturn]] void fail(int line, const std::string &message) const
    {
        throw GrammarError{grammar_.file, line, "module " + module_ + ": " + message};
    }
    bool applies(const Alternative &alternative) const
    {
        return alternative.modules.empty() || alternative.modules.count(module_) != 0;
    }
    int terminalCount() const { return int(tables_.symbols.size()); }
    int nonterminalSymbol(int j) const { return terminalCount() + 1 + j; }
    bool isNonterminal(int symbol) const { return symbol > terminalCount(); }
    int nonterminalIndex(int symbol) const { return symbol - terminalCount() - 1; }

    void numberSymbols();
    void collectProductions();
    int symbolOf(const Element &element);
    int actionOf(const Element &element);
    void analyse();
    void buildParseList();
    void buildCosts();
    void buildEncodings();
    std::string symbolName(int symbol) const;

    const GrammarSource &grammar_;
    std::string module_;
    ModuleTables tables_;
    std::map<std::string, int> terminalByName_; /* "<NAMEX>", "'='", "ADD" */
    std::map<std::string, int> nonterminalByName_;
    std::vector<Production> productions_;
    std::vector<std::pair<int, std::vector<int>>> actions_; /* code, arguments */
    std::vector<bool> nullable_;
    std::vector<std::set<int>> first_, follow_;
    std::vector<int> insertCost_; /* per symbol (1-based, index 0 unused) and nonterminal */
};

std::string Builder::symbolName(int symbol) const
{
    if (isNonterminal(symbol)) return tables_.nonterminals[nonterminalIndex(symbol)];
    const std::string &name = tables_.symbols[symbol - 1];
    if (symbol <= int(grammar_.tokens.size())) return "<" + name + ">";
    if (tables_.symbolKinds[symbol - 1] == ORV_SYMBOL_PUNCTUATION) return "'" + name + "'";
    return name;
}

void Builder::numberSymbols()
{
    if (grammar_.tokens.size() != size_t(ORV_TOKEN_CLASS_COUNT))
        fail(0, "there must be " + std::to_string(ORV_TOKEN_CLASS_COUNT) + " token classes");
    auto keywords = grammar_.keywords.find(module_);
    if (keywords == grammar_.keywords.end()) fail(0, "no keyword list");
    auto add = [&](const std::string &name, int16_t kind, const std::string &key) {
        tables_.symbols.push_back(name);
        tables_.symbolKinds.push_back(kind);
        terminalByName_[key] = int(tables_.symbols.size());
    };
    for (const std::string &t : grammar_.tokens) add(t, ORV_SYMBOL_TOKEN_CLASS, "<" + t + ">");
    for (const std::string &p : grammar_.punctuation) add(p, ORV_SYMBOL_PUNCTUATION, "'" + p + "'");
    for (const std::string &k : keywords->second) add(k, ORV_SYMBOL_KEYWORD, k);
    add(kEndMarker, ORV_SYMBOL_END, kEndMarker);
}

int Builder::symbolOf(const Element &element)
{
    switch (element.kind) {
    case ElementKind::Token: return terminalByName_.at("<" + element.name + ">");
    case ElementKind::Punctuation: return terminalByName_.at("'" + element.name + "'");
    case ElementKind::Keyword: {
        auto found = terminalByName_.find(element.name);
        if (found == terminalByName_.end())
            fail(element.line, "keyword " + element.name + " is not in the module's symbol list");
        return found->second;
    }
    default: break;
    }
    auto found = nonterminalByName_.find(element.name);
    if (found == nonterminalByName_.end()) {
        bool defined = std::any_of(grammar_.rules.begin(), grammar_.rules.end(),
                                   [&](const Rule &r) { return r.lhs == element.name; });
        fail(element.line, "nonterminal " + element.name +
                               (defined ? " has no alternative in this module" : " is not defined"));
    }
    return nonterminalSymbol(found->second);
}

int Builder::actionOf(const Element &element)
{
    std::pair<int, std::vector<int>> key{element.code, element.arguments};
    auto found = std::find(actions_.begin(), actions_.end(), key);
    if (found != actions_.end()) return int(found - actions_.begin()) + 1;
    actions_.push_back(key);
    return int(actions_.size());
}

/* Nonterminals reachable from the start symbol through the module's
 * alternatives: the start symbol first, then in the order of their rules in
 * the source. */
void Builder::collectProductions()
{
    std::map<std::string, const Rule *> rules;
    for (const Rule &rule : grammar_.rules) rules[rule.lhs] = &rule;
    if (!rules.count(grammar_.start)) fail(0, "the start symbol " + grammar_.start + " has no rule");

    std::set<std::string> reached{grammar_.start};
    std::vector<std::string> work{grammar_.start};
    while (!work.empty()) {
        std::string name = work.back();
        work.pop_back();
        auto rule = rules.find(name);
        if (rule == rules.end()) continue; /* reported when numbered */
        for (const Alternative &alternative : rule->second->alternatives) {
            if (!applies(alternative)) continue;
            for (const Element &element : alternative.elements)
                if (element.kind == ElementKind::Nonterminal && reached.insert(element.name).second)
                    work.push_back(element.name);
        }
    }
    /* The start symbol is nonterminal 0: the parser begins with it. */
    std::vector<const Rule *> ordered{rules.at(grammar_.start)};
    for (const Rule &rule : grammar_.rules)
        if (rule.lhs != grammar_.start) ordered.push_back(&rule);
    for (const Rule *rulePointer : ordered) {
        const Rule &rule = *rulePointer;
        if (!reached.count(rule.lhs)) continue;
        bool any = std::any_of(rule.alternatives.begin(), rule.alternatives.end(),
                               [&](const Alternative &a) { return applies(a); });
        if (!any) continue;
        nonterminalByName_[rule.lhs] = int(tables_.nonterminals.size());
        tables_.nonterminals.push_back(rule.lhs);
    }
    if (!nonterminalByName_.count(grammar_.start)) fail(0, "the start symbol has no alternative");
    for (const std::string &name : tables_.nonterminals) {
        const Rule &rule = *rules.at(name);
        for (const Alternative &alternative : rule.alternatives) {
            if (!applies(alternative)) continue;
            Production production{nonterminalByName_.at(name), {}, alternative.line};
            for (const Element &element : alternative.elements)
                production.rhs.push_back(element.kind == ElementKind::Action ? -actionOf(element)
                                                                             : symbolOf(element));
            productions_.push_back(production);
        }
    }
    /* Every nonterminal an alternative names must itself be reachable and
     * defined; symbolOf has checked that. */
}

void Builder::analyse()
{
    size_t n = tables_.nonterminals.size();
    nullable_.assign(n, false);
    first_.assign(n, {});
    follow_.assign(n, {});
    auto firstOfSequence = [&](const std::vector<int> &rhs, size_t from, std::set<int> &out) {
        for (size_t i = from; i < rhs.size(); ++i) {
            int s = rhs[i];
            if (s < 0) continue;
            if (!isNonterminal(s)) {
                out.insert(s);
                return false;
            }
            const std::set<int> &f = first_[nonterminalIndex(s)];
            out.insert(f.begin(), f.end());
            if (!nullable_[nonterminalIndex(s)]) return false;
        }
        return true; /* the rest derives the empty string */
    };
    for (bool changed = true; changed;) {
        changed = false;
        for (const Production &p : productions_) {
            std::set<int> f;
            bool empty = firstOfSequence(p.rhs, 0, f);
            size_t before = first_[p.lhs].size();
            first_[p.lhs].insert(f.begin(), f.end());
            if (first_[p.lhs].size() != before) changed = true;
            if (empty && !nullable_[p.lhs]) nullable_[p.lhs] = changed = true;
        }
    }
    follow_[nonterminalByName_.at(grammar_.start)].insert(terminalCount()); /* $$$ */
    for (bool changed = true; changed;) {
        changed = false;
        for (const Production &p : productions_) {
            for (size_t i = 0; i < p.rhs.size(); ++i) {
                int s = p.rhs[i];
                if (s < 0 || !isNonterminal(s)) continue;
                std::set<int> f;
                bool restEmpty = firstOfSequence(p.rhs, i + 1, f);
                if (restEmpty) f.insert(follow_[p.lhs].begin(), follow_[p.lhs].end());
                std::set<int> &target = follow_[nonterminalIndex(s)];
                size_t before = target.size();
                target.insert(f.begin(), f.end());
                if (target.size() != before) changed = true;
            }
        }
    }
    /* Parse list, with the LL(1) conflict check. */
    std::vector<std::map<int, int>> row(n);
    for (size_t pi = 0; pi < productions_.size(); ++pi) {
        const Production &p = productions_[pi];
        std::set<int> predict;
        if (firstOfSequence(p.rhs, 0, predict))
            predict.insert(follow_[p.lhs].begin(), follow_[p.lhs].end());
        for (int t : predict) {
            auto [entry, fresh] = row[p.lhs].emplace(t, int(pi));
            if (!fresh) {
                const Production &other = productions_[entry->second];
                fail(p.line, "LL(1) conflict: " + tables_.nonterminals[p.lhs] +
                                 " has two alternatives for " + symbolName(t) + " (lines " +
                                 std::to_string(other.line) + " and " + std::to_string(p.line) +
                                 ")");
            }
        }
    }
    tables_.prsndx.clear();
    tables_.prslst.clear();
    for (size_t j = 0; j < n; ++j) {
        tables_.prsndx.push_back(int16_t(tables_.prslst.size()));
        tables_.prslst.push_back(int16_t(row[j].size()));
        for (auto [t, pi] : row[j]) {
            tables_.prslst.push_back(int16_t(t));
            tables_.prslst.push_back(int16_t(pi));
        }
    }
}

/* Insertion and deletion costs of the terminals from the %cost lines, then
 * the cheapest insertion of every nonterminal (a shortest-derivation
 * fixpoint) and the string that achieves it. */
void Builder::buildCosts()
{
    int symbols = terminalCount();
    std::vector<Cost> cost(size_t(symbols) + 1, grammar_.defaultCost);
    for (const auto &[what, c] : grammar_.costs) {
        if (what == "keywords") {
            for (int s = 1; s <= symbols; ++s)
                if (tables_.symbolKinds[s - 1] == ORV_SYMBOL_KEYWORD) cost[s] = c;
            continue;
        }
        auto found = terminalByName_.find(what);
        if (found != terminalByName_.end()) cost[found->second] = c;
        /* A %cost for a keyword another module lacks is no fault here. */
    }
    cost[symbols] = {kNoCost, kNoCost}; /* $$$ */

    size_t n = tables_.nonterminals.size();
    insertCost_.assign(size_t(symbols) + 1 + n, INT_MAX);
    for (int s = 1; s <= symbols; ++s) insertCost_[s] = cost[s].insert;
    std::vector<int> best(n, -1);
    auto symbolCost = [&](int s) { return insertCost_[s]; };
    for (bool changed = true; changed;) {
        changed = false;
        for (size_t pi = 0; pi < productions_.size(); ++pi) {
            const Production &p = productions_[pi];
            long total = 0;
            for (int s : p.rhs) {
                if (s < 0) continue;
                int c = symbolCost(s);
                if (c == INT_MAX) {
                    total = INT_MAX;
                    break;
                }
                total += c;
            }
            int &mine = insertCost_[nonterminalSymbol(p.lhs)];
            if (total < mine) {
                mine = int(total);
                best[p.lhs] = int(pi);
                changed = true;
            }
        }
    }
    for (size_t j = 0; j < n; ++j)
        if (best[j] < 0)
            fail(0, "nonterminal " + tables_.nonterminals[j] + " derives no string of terminals");

    tables_.delcost.clear();
    tables_.inscost.clear();
    for (int s = 1; s <= symbols; ++s) tables_.delcost.push_back(uint8_t(cost[s].remove));
    for (size_t s = 1; s < insertCost_.size(); ++s)
        tables_.inscost.push_back(uint8_t(std::min(insertCost_[s], kNoCost)));

    std::function<void(int, std::vector<int> &, int)> expand = [&](int j, std::vector<int> &out,
                                                                    int depth) {
        if (depth > 64) fail(0, "the cheapest string of " + tables_.nonterminals[j] + " does not end");
        for (int s : productions_[best[j]].rhs) {
            if (s < 0) continue;
            if (isNonterminal(s))
                expand(nonterminalIndex(s), out, depth + 1);
            else
                out.push_back(s);
        }
    };
    tables_.insndx.clear();
    tables_.instbl.clear();
    for (size_t j = 0; j < n; ++j) {
        std::vector<int> text;
        expand(int(j), text, 0);
        if (text.empty()) {
            tables_.insndx.push_back(-1);
            continue;
        }
        tables_.insndx.push_back(int16_t(tables_.instbl.size()));
        tables_.instbl.push_back(int16_t(text.size()));
        for (int s : text) tables_.instbl.push_back(int16_t(s));
    }
}

void Builder::buildEncodings()
{
    for (const Production &p : productions_) {
        tables_.prdndx.push_back(int16_t(tables_.prdlst.size()));
        tables_.lhstbl.push_back(int16_t(p.lhs));
        tables_.prdlst.push_back(int16_t(p.rhs.size()));
        for (auto s = p.rhs.rbegin(); s != p.rhs.rend(); ++s) tables_.prdlst.push_back(int16_t(*s));
    }
    std::map<std::vector<int>, int> argumentRecords;
    for (const auto &[code, arguments] : actions_) {
        tables_.actmap.push_back(int16_t(code));
        if (arguments.empty()) {
            tables_.argndx.push_back(-1);
            continue;
        }
        auto [entry, fresh] = argumentRecords.emplace(arguments, int(tables_.argtbl.size()));
        if (fresh) {
            tables_.argtbl.push_back(int16_t(arguments.size()));
            for (int a : arguments) tables_.argtbl.push_back(int16_t(a));
        }
        tables_.argndx.push_back(int16_t(entry->second));
    }
    for (const std::string &name : tables_.symbols) {
        if (name.size() > 255) fail(0, "symbol " + name + " is too long");
        tables_.symndx.push_back(int16_t(tables_.symtbl.size()));
        tables_.symtbl.push_back(uint8_t(name.size()));
        tables_.symtbl.insert(tables_.symtbl.end(), name.begin(), name.end());
    }
    /* Every index a table holds must fit its signed 16-bit entries. */
    size_t largest = std::max({tables_.prdlst.size(), tables_.prslst.size(), tables_.argtbl.size(),
                               tables_.symtbl.size(), tables_.instbl.size(),
                               size_t(terminalCount()) + tables_.nonterminals.size() + 1,
                               productions_.size(), actions_.size()});
    if (largest > 32767) fail(0, "the tables are too large for 16-bit entries");
}

ModuleTables Builder::build()
{
    tables_.module = module_;
    numberSymbols();
    collectProductions();
    analyse();
    buildCosts();
    buildEncodings();
    return tables_;
}

}  // namespace

ModuleTables buildModuleTables(const GrammarSource &grammar, const std::string &module)
{
    return Builder(grammar, module).build();
}

}  // namespace grammargen
