/*
 * grammar.h - the grammar generator's model: grammar source text in, the
 * fifteen parse tables of one module out.
 *
 * Grammar source (one file, sections for every module):
 *   # comment to the end of the line
 *   %tokens NAME...                token classes, in symbol order
 *   %punctuation X...              one-character symbols, in symbol order
 *   %keywords MODULE WORD... %end  a module's keywords (any order; sorted
 *                                  here); WORD_{a..b} stands for WORD_a to
 *                                  WORD_b
 *   %keywords MODULE from OTHER -WORD... +WORD... %end
 *                                  another module's list, changed
 *   %start nonterminal             the start symbol
 *   %action name code              names an action code
 *   %define NAME value             names an action argument
 *   %cost WHAT insert delete       error-recovery costs; WHAT is default,
 *                                  keywords, a keyword, 'x' or <TOKEN>
 *   %section MODULE ... %endsection  rules that only MODULE has
 *   lhs : alternative | alternative ... ;
 * An alternative is a sequence of elements: <TOKEN>, 'x', KEYWORD (upper
 * case, digits, '_' and '$'), nonterminal (starts with a lower-case
 * letter), {action argument...} (arguments are integers, 'c' characters or
 * %define names); an alternative may end with @MODULE[,MODULE] to belong
 * only to those modules.  An empty alternative derives nothing.
 *
 * Exports: readGrammar, buildModuleTables, writeTables, GrammarError.
 */
#ifndef ORV_GRAMMARGEN_GRAMMAR_H
#define ORV_GRAMMARGEN_GRAMMAR_H

#include <cstdint>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace grammargen {

/* A fault of the grammar, with the file position it was found at (line 0
 * when it concerns the grammar as a whole). */
struct GrammarError {
    std::string file;
    int line = 0;
    std::string message;
    std::string text() const;
};

enum class ElementKind { Token, Punctuation, Keyword, Nonterminal, Action };

struct Element {
    ElementKind kind;
    std::string name;          /* symbol or nonterminal name; action name */
    int code = 0;              /* actions: the action code */
    std::vector<int> arguments;/* actions */
    int line = 0;
};

struct Alternative {
    std::vector<Element> elements;
    std::set<std::string> modules; /* empty: every module */
    int line = 0;
};

struct Rule {
    std::string lhs;
    std::vector<Alternative> alternatives;
    int line = 0;
};

struct Cost {
    int insert = 2;
    int remove = 2;
};

struct GrammarSource {
    std::string file;
    std::vector<std::string> tokens;
    std::vector<std::string> punctuation;
    std::map<std::string, std::vector<std::string>> keywords; /* by module, sorted */
    std::vector<std::string> moduleOrder;
    std::string start;
    std::vector<Rule> rules; /* alternatives of one lhs merged, in order of first mention */
    Cost defaultCost;
    std::vector<std::pair<std::string, Cost>> costs; /* WHAT, in source order */
};

/* The tables of one module, in the encodings the host parser reads. */
struct ModuleTables {
    std::string module;
    std::vector<std::string> symbols;      /* 1-based symbol i is symbols[i - 1] */
    std::vector<int16_t> symbolKinds;      /* symmap */
    std::vector<std::string> nonterminals; /* j */
    std::vector<int16_t> prdlst, prdndx, lhstbl, prslst, prsndx;
    std::vector<int16_t> actmap, argndx, argtbl;
    std::vector<uint8_t> symtbl;
    std::vector<int16_t> symndx;
    std::vector<uint8_t> delcost, inscost;
    std::vector<int16_t> insndx, instbl;
};

/* Reads grammar source text; throws GrammarError. */
GrammarSource readGrammar(const std::string &text, const std::string &fileName);

/* Builds the tables of one module; throws GrammarError on an LL(1)
 * conflict, a keyword outside the module's list, an undefined or
 * unproductive nonterminal, or tables too large for 16-bit entries. */
ModuleTables buildModuleTables(const GrammarSource &grammar, const std::string &module);

/* Writes the tables as C++: a header declaring them with their counts and a
 * source defining them, both in namespace `space`. */
void writeHeader(std::ostream &out, const ModuleTables &tables, const std::string &space,
                 const std::string &grammarFile);
void writeSource(std::ostream &out, const ModuleTables &tables, const std::string &space,
                 const std::string &grammarFile, const std::string &headerName);

/* A readable listing of the symbols and productions, for people. */
void writeListing(std::ostream &out, const ModuleTables &tables);

}  // namespace grammargen

#endif
