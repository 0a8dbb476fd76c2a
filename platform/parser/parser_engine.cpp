/*
 * parser_engine.cpp - the predictive parser and its error recovery
 * (platform/parser/parser_engine.h).
 */
#include "platform/parser/parser_engine.h"

#include <algorithm>

#include "platform/host.h"
#include "platform/step.h"

namespace orvhost {
namespace {

constexpr int kTraceSemantics = 1;
constexpr int kTraceSyntax = 2;
constexpr int kInfiniteCost = 1 << 20;
constexpr int kMaxRepairSteps = 10000;
/* Tokens that must be read without a fault before the next fault is
 * reported again. */
constexpr int kQuietTokens = 3;
/* Expected keywords that a syntax error names one by one, at most. */
constexpr size_t kMaxListedKeywords = 40;

std::string upperCase(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return text;
}

int yearCutoff() { return Host::current().options().yearCutoff(); }

}  // namespace

StatementParser::StatementParser(const GrammarView &grammar, PARSE_CONTROL &control,
                                 int traceLevel, ParseEnvironment &environment,
                                 const StepSource &step)
    : grammar_(grammar), control_(control), traceLevel_(traceLevel), step_(step),
      lexer_(step, yearCutoff(),
             [this](size_t offset, const std::string &message) { statementError(offset, message); }),
      builder_(control, environment, *this)
{
}

void StatementParser::setStatus(int status)
{
    if (control_.status == 0) control_.status = int16_t(status);
}

void StatementParser::statementError(size_t offset, const std::string &message)
{
    setStatus(kParseStatusStatementError);
    lastErrorOffset_ = offset;
    if (++errors_ > kMaxStatementErrors) {
        if (!stopped_)
            Host::current().log().error("Too many errors; the rest of the step is not checked.");
        stopped_ = true;
        return;
    }
    Host::current().log().error(step_.source->where(offset) + ": " + message);
}

void StatementParser::outOfMemory()
{
    setStatus(kParseStatusOutOfMemory);
    MessageArg count[] = {{MessageArg::Type::Integer, 1, 0, {}}};
    Host::current().logMessage(kHostMessageSet, kOutOfMemoryMessage, count);
    semantics_ = false;
}

void StatementParser::trace(const std::string &text) const { Host::current().log().listing(text); }

Token &StatementParser::lookahead(size_t i)
{
    while (ahead_.size() <= i) ahead_.push_back(lexer_.next());
    return ahead_[i];
}

void StatementParser::consume()
{
    if (!ahead_.empty()) ahead_.pop_front();
}

/* The terminal a token is apart from keywords: its class, its punctuation
 * symbol (0 when the grammar has none), or the end marker. */
int StatementParser::terminalOf(const Token &token) const
{
    switch (token.kind) {
    case TokenKind::End: return grammar_.endMarker();
    case TokenKind::Punctuation: return grammar_.punctuationFor(token.punctuation);
    case TokenKind::Class: return token.tokenClass;
    }
    return 0;
}

bool StatementParser::matches(const Token &token, int terminal) const
{
    int base = terminalOf(token);
    if (base == terminal) return true;
    return base == ORV_TOKEN_NAMEX && grammar_.symbolKind(terminal) == ORV_SYMBOL_KEYWORD &&
           grammar_.keywordFor(upperCase(token.text)) == terminal;
}

int StatementParser::classifyFor(const Token &token, int nonterminal) const
{
    int base = terminalOf(token);
    if (base != ORV_TOKEN_NAMEX) return base;
    int keyword = grammar_.keywordFor(upperCase(token.text));
    if (keyword != 0 && grammar_.predict(nonterminal, keyword) >= 0) return keyword;
    return base;
}

std::vector<int> StatementParser::candidates(const Token &token) const
{
    std::vector<int> symbols{terminalOf(token)};
    if (symbols[0] == ORV_TOKEN_NAMEX) {
        int keyword = grammar_.keywordFor(upperCase(token.text));
        if (keyword != 0) symbols.push_back(keyword);
    }
    return symbols;
}

/* Least cost of the insertions that let the parser, with the stack cut to
 * its first `depth` entries, go on with token next. */
int StatementParser::insertionCost(const Token &token, size_t depth) const
{
    std::vector<int> symbols = candidates(token);
    if (symbols[0] == 0) return kInfiniteCost;
    int best = kInfiniteCost;
    int total = 0;
    for (size_t i = depth; i-- > 0 && total < best;) {
        int y = stack_[i];
        if (y < 0) continue;
        if (!grammar_.isNonterminal(y)) {
            if (matches(token, y)) {
                best = std::min(best, total);
                break;
            }
        } else {
            for (int s : symbols) {
                int within = grammar_.prefixCost(y, s);
                if (within < kNoCost) best = std::min(best, total + within);
            }
        }
        int cost = grammar_.insertCost(y);
        if (cost >= kNoCost) break;
        total += cost;
    }
    return best;
}

std::string StatementParser::describe(const Token &token) const
{
    switch (token.kind) {
    case TokenKind::End: return "the end of the step";
    case TokenKind::Punctuation: return "'" + token.text + "'";
    case TokenKind::Class: break;
    }
    switch (token.tokenClass) {
    case ORV_TOKEN_ENDJB: return "';'";
    case ORV_TOKEN_QS: return "'" + token.text + "'";
    case ORV_TOKEN_DATE: return "'" + token.text + "'d";
    case ORV_TOKEN_TIME: return "'" + token.text + "'t";
    case ORV_TOKEN_DATETIME: return "'" + token.text + "'dt";
    case ORV_TOKEN_VLITERAL: return "'" + token.text + "'n";
    default: return token.text;
    }
}

/* The symbols a fault expected, as a message names them; a long run of
 * keywords (the date-key words of an event statement) is only counted. */
std::string StatementParser::expectedText(const std::vector<int> &expected) const
{
    size_t keywords = std::count_if(expected.begin(), expected.end(), [&](int s) {
        return grammar_.symbolKind(s) == ORV_SYMBOL_KEYWORD;
    });
    bool countKeywords = keywords > kMaxListedKeywords;
    std::string list;
    size_t listed = 0;
    for (int symbol : expected) {
        if (countKeywords && grammar_.symbolKind(symbol) == ORV_SYMBOL_KEYWORD) continue;
        list += (listed++ == 0 ? "" : ", ") + grammar_.display(symbol);
    }
    if (countKeywords)
        list += (listed == 0 ? "" : ", or ") + std::string("one of ") + std::to_string(keywords) +
                " keywords";
    return (expected.size() > 1 ? "one of " : "") + list;
}

void StatementParser::syntaxError(int top)
{
    Token &token = lookahead(0);
    /* A token the lexer has already reported (an unterminated string, a
     * bad constant) needs no second message. */
    bool report = (errors_ == 0 || shiftedSinceError_ >= kQuietTokens) &&
                  !(errors_ > 0 && token.offset == lastErrorOffset_);
    semantics_ = false;
    shiftedSinceError_ = 0;
    if (report) {
        std::vector<int> expected = grammar_.isNonterminal(top) ? grammar_.expected(top)
                                                                : std::vector<int>{top};
        statementError(token.offset,
                       "Syntax error at " + describe(token) + ": expected " + expectedText(expected) + ".");
    } else {
        setStatus(kParseStatusStatementError);
    }
    if (!stopped_ && !recover()) stopped_ = true;
}

/* Chooses how many tokens to delete (d) and repairs the stack so that the
 * next token fits, at the least total cost. */
bool StatementParser::recover()
{
    int best = kInfiniteCost, bestDeletions = -1, deleted = 0;
    for (int d = 0;; ++d) {
        const Token &token = lookahead(size_t(d));
        int cost = insertionCost(token, stack_.size());
        if (deleted + cost < best) {
            best = deleted + cost;
            bestDeletions = d;
        }
        if (token.kind == TokenKind::End || d >= kMaxDeletions) break;
        int symbol = terminalOf(token);
        int deletion = symbol == 0 ? 1 : grammar_.deleteCost(symbol);
        if (deletion >= kNoCost) break;
        deleted += deletion;
        if (deleted >= best) break;
    }
    if (bestDeletions < 0) return false;
    for (int d = 0; d < bestDeletions; ++d) {
        if (traceLevel_ & kTraceSyntax) trace("SYN repair: delete " + describe(lookahead(0)));
        consume();
    }
    return applyInsertions();
}

bool StatementParser::applyInsertions()
{
    const Token &token = lookahead(0);
    std::vector<int> symbols = candidates(token);
    for (int step = 0; step < kMaxRepairSteps && !stack_.empty(); ++step) {
        int top = stack_.back();
        if (top < 0) {
            stack_.pop_back();
            continue;
        }
        if (!grammar_.isNonterminal(top)) {
            if (matches(token, top)) return true;
            if (top == grammar_.endMarker()) return false;
            if (traceLevel_ & kTraceSyntax) trace("SYN repair: insert " + grammar_.display(top));
            stack_.pop_back();
            continue;
        }
        int within = kInfiniteCost, bestSymbol = 0;
        for (int s : symbols) {
            int cost = grammar_.prefixCost(top, s);
            if (cost < within) {
                within = cost;
                bestSymbol = s;
            }
        }
        int whole = grammar_.insertCost(top) + insertionCost(token, stack_.size() - 1);
        stack_.pop_back();
        if (within < kNoCost && within <= whole) {
            int production = grammar_.cheapestProductionFor(top, bestSymbol);
            if (production < 0) return false;
            for (int e : grammar_.reversedRhs(production)) stack_.push_back(e);
        } else if (traceLevel_ & kTraceSyntax) {
            std::string text;
            for (int s : grammar_.cheapestString(top)) text += " " + grammar_.display(s);
            if (!text.empty()) trace("SYN repair: insert" + text);
        }
    }
    return false;
}

void StatementParser::runAction(int action)
{
    if (!semantics_ || action < 1 || action > grammar_.actionCount()) return;
    int code = grammar_.actionCode(action);
    std::span<const int16_t> arguments = grammar_.actionArguments(action);
    if (traceLevel_ & kTraceSemantics) {
        std::string text = "SEM action " + std::to_string(action) + ": code " + std::to_string(code);
        for (int16_t a : arguments) text += " " + std::to_string(a);
        trace(text + " after " + describe(last_));
    }
    builder_.run(code, arguments, last_, keyword_);
}

int StatementParser::run()
{
    stack_ = {grammar_.endMarker(), grammar_.startSymbol()};
    while (!stopped_ && !stack_.empty()) {
        int top = stack_.back();
        if (top < 0) {
            stack_.pop_back();
            runAction(-top);
            continue;
        }
        Token &token = lookahead(0);
        if (!grammar_.isNonterminal(top)) {
            if (!matches(token, top)) {
                syntaxError(top);
                continue;
            }
            stack_.pop_back();
            if (traceLevel_ & kTraceSyntax)
                trace("SYN " + std::to_string(token.line) + ":" + std::to_string(token.column) +
                      " read " + grammar_.display(top) +
                      (token.kind == TokenKind::Class && token.tokenClass != ORV_TOKEN_ENDJB
                           ? " " + describe(token)
                           : std::string{}));
            if (top == grammar_.endMarker()) break;
            if (grammar_.symbolKind(top) == ORV_SYMBOL_KEYWORD) keyword_ = token;
            last_ = token;
            consume();
            ++shiftedSinceError_;
            continue;
        }
        int terminal = classifyFor(token, top);
        int production = terminal == 0 ? -1 : grammar_.predict(top, terminal);
        if (production < 0) {
            syntaxError(top);
            continue;
        }
        if (traceLevel_ & kTraceSyntax)
            trace("SYN predict " + grammar_.display(top) + " by production " +
                  std::to_string(production));
        stack_.pop_back();
        for (int e : grammar_.reversedRhs(production)) stack_.push_back(e);
    }
    if (semantics_) builder_.finish();
    return control_.status;
}

}  // namespace orvhost
