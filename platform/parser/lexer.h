/*
 * lexer.h - the tokens of the job language and of procedure statements.
 *
 * Token classes (the first symbols of every grammar, host_records.h):
 *   ENDJB     the ';' that ends a statement
 *   NAMEX     a name: a letter or '_', then letters, digits and '_'
 *             (at most 32 characters); keywords are names here, the parser
 *             decides by what it expects
 *   QS        a quoted string, '...' or "...", a doubled quote inside
 *   INT, NBR  a number without, and with, a '.' or an exponent; its
 *             magnitude at most 2^53 (a larger one, or one too small to
 *             hold, is reported and read as 0)
 *   COMPOUND  a two-level name lib.member
 *   CATNAME   a three-level name
 *   FMT       a format or interval text: a name or '$' name followed by
 *             '.' and optional digits (DATE9., BEST12.3, QTR.2, $CHAR10.)
 *   DATE, TIME, DATETIME  '01JAN2020'd, '10:30't, '01JAN2020:10:30:00'dt,
 *             read through the host's DATE, TIME and DATETIME informats;
 *             a blank or missing text is not a constant, and a time
 *             constant is a time of day (00:00 to 23:59:59.999) with ':'
 *   MISSING   '.', or '.A' to '.Z' and '._'
 *   VLITERAL  a name literal 'any text'n
 * Punctuation ( ) , - / : = comes as a punctuation token.  Comments are
 * "/" "* ... *" "/" anywhere and "* ... ;" where a statement starts.
 *
 * A quoted string ends on its line: one whose closing quote does not come
 * before the end of the line is unterminated, and ends before the first ';'
 * that follows on its line (or at the line end), so that the statements
 * after it still read as the user wrote them.
 *
 * Exports: Token, TokenKind, Lexer.
 */
#ifndef ORV_PLATFORM_PARSER_LEXER_H
#define ORV_PLATFORM_PARSER_LEXER_H

#include <functional>
#include <string>

#include "platform/parser/source_text.h"

namespace orvhost {

/* The faults of a comment that runs to the end of the text and of a quoted
 * string that runs to the end of its line. */
constexpr const char *kCommentNotClosed = "The comment is not closed: end it with */.";
constexpr const char *kStringNotTerminated =
    "The quoted string is not terminated: end it with its quote on the same line.";

/* Longest name; longer ones are reported and kept. */
constexpr size_t kMaxNameLength = 32;

enum class TokenKind { Class, Punctuation, End };

struct Token {
    TokenKind kind = TokenKind::End;
    int tokenClass = 0;  /* ORV_TOKEN_... when kind is Class */
    char punctuation = 0;
    std::string text;    /* as written; for QS, DATE ... the text inside the quotes */
    double value = 0;    /* numbers, dates, times, datetimes, missing values */
    size_t offset = 0;   /* where the token starts in the job text */
    int line = 0;
    int column = 0;
    bool hasValue = false;
    bool inserted = false; /* made up by error recovery */
};

class Lexer {
public:
    /* Reports a fault of the text at a job-text offset. */
    using ErrorSink = std::function<void(size_t offset, const std::string &message)>;

    /* Reads [step.begin, step.end) of the step's job text.  yearCutoff
     * applies to two-digit years of date constants.  With convert false the
     * lexer reads no numbers or constants (the job reader only needs the
     * statement boundaries) and reports only faults of the text itself:
     * characters that start no token, unterminated strings, unclosed
     * comments, names that are too long. */
    Lexer(const StepSource &step, int yearCutoff, ErrorSink errors, bool convert = true);

    /* The next token; End at the end of the text, again and again. */
    Token next();

    /* Offset of the next byte to read. */
    size_t position() const { return pos_; }

private:
    void error(size_t offset, const std::string &message)
    {
        if (errors_) errors_(offset, message);
    }
    void skipBlanksAndComments();
    Token make(TokenKind kind, int tokenClass, size_t start);
    Token name(size_t start);
    Token number(size_t start);
    Token quoted(size_t start);
    Token missing(size_t start);
    bool isDollarFormat(size_t start) const;
    Token dollarFormat(size_t start);
    void readNumber(Token &token);
    void readConstant(Token &token, int tokenClass);
    size_t nameEnd(size_t from) const;

    const SourceText &source_;
    size_t pos_;
    size_t end_;
    int yearCutoff_;
    ErrorSink errors_;
    bool convert_;
    bool statementStart_ = true;
};

}  // namespace orvhost

#endif
