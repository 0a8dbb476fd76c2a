/*
 * parser_engine.h - the host's table-driven statement parser: predictive
 * LL(1) parsing over a module's grammar block, contextual keywords, the
 * semantic actions, error recovery by least-cost insertion and deletion, and
 * the parser trace.
 *
 * A name is taken as keyword K only where the parse list expects K;
 * elsewhere it is a name (an event may be called CHRISTMAS or LINEAR).
 *
 * Errors: every fault is written to the log as
 *   ERROR: file:line:column: text
 * and sets the parse status (kParseStatusStatementError, or
 * kParseStatusOutOfMemory).  After a syntax error the parser repairs the
 * input at the least cost (deleting tokens by the grammar's deletion costs,
 * inserting the cheapest symbols by its insertion costs) and goes on to find
 * further faults; semantic actions stop at the first syntax error, since
 * repaired input must not reach the parse result.  A fault within three
 * tokens of the previous one is not reported again.
 *
 * Trace (traceLevel bit 1, SYN): every token read and every production
 * predicted; (bit 0, SEM): every semantic action run.  Trace lines go to the
 * listing.
 *
 * Exports: StatementParser.
 */
#ifndef ORV_PLATFORM_PARSER_PARSER_ENGINE_H
#define ORV_PLATFORM_PARSER_PARSER_ENGINE_H

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/parser/grammar_view.h"
#include "platform/parser/lexer.h"
#include "platform/parser/parse_environment.h"
#include "platform/parser/parse_result.h"

namespace orvhost {

/* Most statement errors reported in one step; the parse stops after. */
constexpr int kMaxStatementErrors = 20;

/* Most tokens error recovery deletes at one place. */
constexpr int kMaxDeletions = 64;

class StatementParser : public ParseReporter {
public:
    StatementParser(const GrammarView &grammar, PARSE_CONTROL &control, int traceLevel,
                    ParseEnvironment &environment, const StepSource &step);

    /* Parses the step's statements into the parse result; returns the parse
     * status (also left in the parse-control block). */
    int run();

    void statementError(size_t offset, const std::string &message) override;
    void outOfMemory() override;

private:
    Token &lookahead(size_t i);
    void consume();
    int terminalOf(const Token &token) const;
    bool matches(const Token &token, int terminal) const;
    int classifyFor(const Token &token, int nonterminal) const;
    std::vector<int> candidates(const Token &token) const;
    int insertionCost(const Token &token, size_t depth) const;
    std::string expectedText(const std::vector<int> &expected) const;
    void syntaxError(int top);
    bool recover();
    bool applyInsertions();
    void runAction(int action);
    void trace(const std::string &text) const;
    std::string describe(const Token &token) const;
    void setStatus(int status);

    const GrammarView &grammar_;
    PARSE_CONTROL &control_;
    int traceLevel_;
    const StepSource &step_;
    Lexer lexer_;
    std::deque<Token> ahead_;
    std::vector<int> stack_;
    Token last_;
    Token keyword_;
    ParseResultBuilder builder_;
    bool semantics_ = true;
    bool stopped_ = false;
    int errors_ = 0;
    int shiftedSinceError_ = 0;
    size_t lastErrorOffset_ = 0;
};

}  // namespace orvhost

#endif
