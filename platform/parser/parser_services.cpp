/*
 * parser_services.cpp - host routines of the statement parser: xsproc (runs
 * the parser), xsfixsym (symbol-table fix-up), wztxdotr (whether the fix-up
 * is needed), vir2g (makes a module routine callable), xttk and xsem (the
 * token and semantic callbacks a grammar block registers), xtanch (the
 * tracking anchor) and zaddlst (appends to a list in an option slot).
 */
#include <cstring>

#include "platform/host.h"
#include "platform/parser/grammar_view.h"
#include "platform/parser/parse_dump.h"
#include "platform/parser/parse_environment.h"
#include "platform/parser/parse_result.h"
#include "platform/parser/parser_engine.h"
#include "platform/service_table.h"

namespace {

/* The record behind the tracking anchor: the number of parses run. */
struct ParserTracking {
    int64_t parses = 0;
};
ParserTracking tracking;

/* Status of xsfixsym for a symbol table that does not match its block. */
constexpr int kSymbolTableMismatch = int(0x8004E001u);

void failParse(PARSE_CONTROL *control, int status, const std::string &text)
{
    orvhost::Host::current().log().error(text);
    if (control->status == 0) control->status = int16_t(status);
}

}  // namespace

namespace host_routines {

/* Inputs: a grammar block (its callbacks registered), the step's
 * parse-control block, the trace level (bit 1 SYN, bit 0 SEM), and three
 * arguments this host does not use.  Parses the statements the job runner
 * named (parse environment) into the parse result and returns the parse
 * status: 0, kParseStatusStatementError, kParseStatusOutOfMemory,
 * kParseStatusNoCallbacks for a block whose callbacks are not registered, or
 * kParseStatusBadGrammar for a block whose tables cannot be read (also
 * returned, with nothing stored, for a null parse-control block).  The
 * parse-control block keeps the status and the statement chain. */
int xsproc(void *grammarBlock, void *parseControl, int traceLevel, int64_t, void *, void *)
{
    using namespace orvhost;
    auto *control = static_cast<PARSE_CONTROL *>(parseControl);
    if (control == nullptr) return kParseStatusBadGrammar;
    auto *block = static_cast<GRAMMAR_BLOCK *>(grammarBlock);
    ParseEnvironment &environment = parseEnvironment();
    ++tracking.parses;
    if (block == nullptr) {
        failParse(control, kParseStatusBadGrammar, "The parser was given no grammar block.");
    } else if (block->tokenCallback == nullptr || block->semanticCallback == nullptr) {
        failParse(control, kParseStatusNoCallbacks,
                  "The parser callbacks of the grammar block are not registered.");
    } else {
        GrammarView grammar(*block);
        if (!grammar.valid()) {
            failParse(control, kParseStatusBadGrammar,
                      "The grammar block cannot be used: " + grammar.fault() + ".");
        } else {
            static const SourceText noText("(no statements)", "");
            StepSource none{&noText, 0, 0};
            const StepSource &step = environment.step != nullptr ? *environment.step : none;
            StatementParser parser(grammar, *control, traceLevel, environment, step);
            parser.run();
        }
    }
    if (environment.dumpParseResult)
        for (const std::string &line : describeParseResult(*control, environment))
            Host::current().log().listing(line);
    return control->status;
}

/* Inputs: the number of token classes (19), the symbol count, the byte
 * count of the symbol table and the address of the grammar block's
 * pointer.  This host reads symbol names as they are, so nothing needs
 * changing; it checks that the symbol table matches the counts.  Returns 0,
 * or kSymbolTableMismatch (the block is left as it is). */
int xsfixsym(int tableKind, int symbolCount, int symbolBytes, void **grammarBlockRef)
{
    orvhost::ParseEnvironment &environment = orvhost::parseEnvironment();
    ++environment.fixupCalls;
    environment.lastFixup = {tableKind, symbolCount, symbolBytes};
    if (grammarBlockRef == nullptr || *grammarBlockRef == nullptr) return kSymbolTableMismatch;
    const auto *block = static_cast<const GRAMMAR_BLOCK *>(*grammarBlockRef);
    if (tableKind != ORV_TOKEN_CLASS_COUNT || block->symtbl == nullptr ||
        symbolCount != block->symbolCount)
        return kSymbolTableMismatch;
    int bytes = 0;
    for (int s = 0; s < symbolCount; ++s) bytes += 1 + block->symtbl[bytes];
    return bytes == symbolBytes ? 0 : kSymbolTableMismatch;
}

/* Non-zero (in the low 16 bits) when the symbol tables need the fix-up:
 * only when a test asks for it, since this host reads them as built. */
int wztxdotr() { return orvhost::parseEnvironment().symbolFixup ? 1 : 0; }

/* Makes a module routine callable: in this host a routine is called as it
 * is.  Returns 0 with *callableOut = routine; 1 for a null routine or out
 * pointer, or when a test asked for failures. */
int vir2g(orv_routine routine, orv_routine *callableOut, void *logHandle, void *)
{
    orvhost::ParseEnvironment &environment = orvhost::parseEnvironment();
    environment.lastRegistrationLogHandle = logHandle;
    if (environment.failRegistrations > 0) {
        --environment.failRegistrations;
        return 1;
    }
    if (routine == nullptr || callableOut == nullptr) return 1;
    *callableOut = routine;
    return 0;
}

/* The token and semantic routines a grammar block registers.  This host's
 * parser reads tokens and runs actions itself; a block only has to carry
 * registered callbacks to be parsed. */
void xttk() {}
void xsem() {}

void *xtanch() { return &tracking; }

/* Appends itemLength bytes to the list in option slot hostList.  Returns 0,
 * -1 when memory runs out, 1 for bad arguments or an item length unlike the
 * list's. */
int zaddlst(void *hostList, const void *item, int itemLength)
{
    return orvhost::appendToHostList(static_cast<OPTION_SLOT *>(hostList), item, itemLength);
}

}  // namespace host_routines
