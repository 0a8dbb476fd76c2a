/*
 * datekg.cpp - the date-key module's grammar header pc and its builder
 * datekg.  The tables are generated from procdriver/procedures.grammar
 * (module VORNAK) at build time.
 *
 * Exports: datekg.
 */
#include "procdriver/datekg.h"

#include "procdriver/grammar_block.h"
#include "vornak_grammar.h"

namespace {

/* The header: symbol counts, parse-list and insertion-table lengths. */
constexpr GRAMMAR_BLOCK pc = orvGrammarHeader(
    vornak_grammar::kSymbolCount, vornak_grammar::kParseListLength,
    vornak_grammar::kInsertTableLength);

static_assert(vornak_grammar::kSymbolCount == 446, "the VORNAK symbol list has 446 symbols");

constexpr GRAMMAR_TABLE_SET kTables = {
    vornak_grammar::prdlst,  vornak_grammar::prdndx,  vornak_grammar::lhstbl,
    vornak_grammar::prslst,  vornak_grammar::prsndx,  vornak_grammar::actmap,
    vornak_grammar::argndx,  vornak_grammar::argtbl,  vornak_grammar::symtbl,
    vornak_grammar::symndx,  vornak_grammar::symmap,  vornak_grammar::delcost,
    vornak_grammar::inscost, vornak_grammar::insndx,  vornak_grammar::instbl};

}  // namespace

GRAMMAR_BLOCK *datekg()
{
    return orvMakeGrammarBlock(pc, kTables, vornak_grammar::kSymbolCount,
                               vornak_grammar::kSymbolTableBytes);
}
