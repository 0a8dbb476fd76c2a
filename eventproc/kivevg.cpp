/*
 * kivevg.cpp - the event module's grammar header pc and its builder
 * kivevg.  The tables are generated from procdriver/procedures.grammar
 * (module KIVEVENTS) at build time.
 *
 * Exports: kivevg.
 */
#include "eventproc/kivevg.h"

#include "procdriver/grammar_block.h"
#include "kivevents_grammar.h"

namespace {

/* The header: symbol counts, parse-list and insertion-table lengths. */
constexpr GRAMMAR_BLOCK pc = orvGrammarHeader(
    kivevents_grammar::kSymbolCount, kivevents_grammar::kParseListLength,
    kivevents_grammar::kInsertTableLength);

static_assert(kivevents_grammar::kSymbolCount == 428, "the KIVEVENTS symbol list has 428 symbols");

constexpr GRAMMAR_TABLE_SET kTables = {
    kivevents_grammar::prdlst,  kivevents_grammar::prdndx,  kivevents_grammar::lhstbl,
    kivevents_grammar::prslst,  kivevents_grammar::prsndx,  kivevents_grammar::actmap,
    kivevents_grammar::argndx,  kivevents_grammar::argtbl,  kivevents_grammar::symtbl,
    kivevents_grammar::symndx,  kivevents_grammar::symmap,  kivevents_grammar::delcost,
    kivevents_grammar::inscost, kivevents_grammar::insndx,  kivevents_grammar::instbl};

}  // namespace

GRAMMAR_BLOCK *kivevg()
{
    return orvMakeGrammarBlock(pc, kTables, kivevents_grammar::kSymbolCount,
                               kivevents_grammar::kSymbolTableBytes);
}
