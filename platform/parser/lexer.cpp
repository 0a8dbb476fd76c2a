/*
 * lexer.cpp - splits statement text into tokens (platform/parser/lexer.h).
 */
#include "platform/parser/lexer.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "host/host_records.h"
#include "host/missing_values.h"
#include "host/variable_names.h"
#include "platform/date_range.h"
#include "platform/formats.h"
#include "platform/log.h"

namespace orvhost {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
char upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

constexpr const char kPunctuation[] = "(),-/:=";

std::string shownCharacter(char c) { return "'" + shownText(std::string_view(&c, 1)) + "'"; }

}  // namespace

Lexer::Lexer(const StepSource &step, int yearCutoff, ErrorSink errors, bool convert)
    : source_(*step.source), pos_(step.begin), end_(std::min(step.end, step.source->text().size())),
      yearCutoff_(yearCutoff), errors_(std::move(errors)), convert_(convert)
{
}

size_t Lexer::nameEnd(size_t from) const
{
    const std::string &t = source_.text();
    while (from < end_ && orvIsNamePart(t[from])) ++from;
    return from;
}

void Lexer::skipBlanksAndComments()
{
    const std::string &t = source_.text();
    for (;;) {
        while (pos_ < end_ && isBlank(t[pos_])) ++pos_;
        if (pos_ + 1 < end_ && t[pos_] == '/' && t[pos_ + 1] == '*') {
            size_t close = t.find("*/", pos_ + 2);
            if (close == std::string::npos || close + 2 > end_) {
                error(pos_, kCommentNotClosed);
                pos_ = end_;
            } else {
                pos_ = close + 2;
            }
            continue;
        }
        if (statementStart_ && pos_ < end_ && t[pos_] == '*') {
            size_t semicolon = t.find(';', pos_);
            pos_ = semicolon == std::string::npos || semicolon >= end_ ? end_ : semicolon + 1;
            continue;
        }
        return;
    }
}

Token Lexer::make(TokenKind kind, int tokenClass, size_t start)
{
    Token token;
    token.kind = kind;
    token.tokenClass = tokenClass;
    token.offset = start;
    token.line = source_.lineOf(start);
    token.column = source_.columnOf(start);
    return token;
}

Token Lexer::next()
{
    const std::string &t = source_.text();
    /* Characters that start no token are reported and skipped here, in a
     * loop: a long run of them must not deepen the stack. */
    for (;;) {
        skipBlanksAndComments();
        if (pos_ >= end_) return make(TokenKind::End, 0, end_);
        size_t start = pos_;
        char c = t[pos_];
        statementStart_ = false;
        if (c == ';') {
            ++pos_;
            statementStart_ = true;
            Token token = make(TokenKind::Class, ORV_TOKEN_ENDJB, start);
            token.text = ";";
            return token;
        }
        if (orvIsNameStart(c)) return name(start);
        if (isDigit(c) || (c == '.' && pos_ + 1 < end_ && isDigit(t[pos_ + 1]))) return number(start);
        if (c == '.') return missing(start);
        if (c == '\'' || c == '"') return quoted(start);
        if (c == '$' && isDollarFormat(start)) return dollarFormat(start);
        if (c != '\0' && std::strchr(kPunctuation, c) != nullptr) {
            ++pos_;
            Token token = make(TokenKind::Punctuation, 0, start);
            token.punctuation = c;
            token.text = std::string(1, c);
            return token;
        }
        ++pos_;
        error(start, "The character " + shownCharacter(c) + " is not expected here: remove it.");
    }
}

Token Lexer::name(size_t start)
{
    const std::string &t = source_.text();
    size_t end = nameEnd(start);
    auto checkPart = [&](size_t from, size_t to) {
        if (to - from > kMaxNameLength)
            error(from, "The name " + shownText(t.substr(from, to - from)) + " is longer than " +
                            std::to_string(kMaxNameLength) + " characters.");
    };
    checkPart(start, end);
    int tokenClass = ORV_TOKEN_NAMEX;
    if (end < end_ && t[end] == '.') {
        if (end + 1 < end_ && orvIsNameStart(t[end + 1])) {
            size_t second = nameEnd(end + 1);
            checkPart(end + 1, second);
            tokenClass = ORV_TOKEN_COMPOUND;
            if (second + 1 < end_ && t[second] == '.' && orvIsNameStart(t[second + 1])) {
                size_t third = nameEnd(second + 1);
                checkPart(second + 1, third);
                second = third;
                tokenClass = ORV_TOKEN_CATNAME;
            }
            end = second;
        } else {
            ++end; /* a format or interval text: NAME. or NAME.digits */
            while (end < end_ && isDigit(t[end])) ++end;
            tokenClass = ORV_TOKEN_FMT;
        }
    }
    pos_ = end;
    Token token = make(TokenKind::Class, tokenClass, start);
    token.text = t.substr(start, end - start);
    return token;
}

bool Lexer::isDollarFormat(size_t start) const
{
    size_t end = nameEnd(start + 1);
    return end < end_ && source_.text()[end] == '.';
}

Token Lexer::dollarFormat(size_t start)
{
    const std::string &t = source_.text();
    size_t end = nameEnd(start + 1) + 1;
    while (end < end_ && isDigit(t[end])) ++end;
    pos_ = end;
    Token token = make(TokenKind::Class, ORV_TOKEN_FMT, start);
    token.text = t.substr(start, end - start);
    return token;
}

Token Lexer::number(size_t start)
{
    const std::string &t = source_.text();
    size_t end = start;
    bool integral = true;
    while (end < end_ && isDigit(t[end])) ++end;
    if (end < end_ && t[end] == '.') {
        integral = false;
        ++end;
        while (end < end_ && isDigit(t[end])) ++end;
    }
    if (end < end_ && (t[end] == 'e' || t[end] == 'E')) {
        size_t digits = end + 1;
        if (digits < end_ && (t[digits] == '+' || t[digits] == '-')) ++digits;
        if (digits < end_ && isDigit(t[digits])) {
            integral = false;
            end = digits;
            while (end < end_ && isDigit(t[end])) ++end;
        }
    }
    pos_ = end;
    Token token = make(TokenKind::Class, integral ? ORV_TOKEN_INT : ORV_TOKEN_NBR, start);
    token.text = t.substr(start, end - start);
    token.hasValue = true;
    if (convert_) readNumber(token);
    return token;
}

Token Lexer::missing(size_t start)
{
    const std::string &t = source_.text();
    size_t end = start + 1;
    double value = orvMissing();
    if (end < end_ && orvIsNameStart(t[end]) && (end + 1 >= end_ || !orvIsNamePart(t[end + 1]))) {
        char letter = upper(t[end]);
        value = std::bit_cast<double>(letter == '_' ? ORV_MISSING_UNDERSCORE_BITS
                                                    : orvLetterMissingBits(letter - 'A'));
        ++end;
    }
    pos_ = end;
    Token token = make(TokenKind::Class, ORV_TOKEN_MISSING, start);
    token.text = t.substr(start, end - start);
    token.value = value;
    token.hasValue = true;
    return token;
}

Token Lexer::quoted(size_t start)
{
    const std::string &t = source_.text();
    char quote = t[start];
    std::string content;
    size_t i = start + 1;
    bool closed = false;
    while (i < end_ && t[i] != '\n') {
        if (t[i] == quote) {
            if (i + 1 < end_ && t[i + 1] == quote) {
                content += quote;
                i += 2;
                continue;
            }
            closed = true;
            ++i;
            break;
        }
        content += t[i++];
    }
    if (!closed) {
        /* End the string where the statement evidently ends, so that the
         * statements after it are read as written. */
        size_t lineEnd = i;
        size_t semicolon = t.find(';', start + 1);
        size_t stop = semicolon != std::string::npos && semicolon < lineEnd ? semicolon : lineEnd;
        content = t.substr(start + 1, stop - start - 1);
        if (!content.empty() && content.back() == '\r') content.pop_back();
        error(start, kStringNotTerminated);
        pos_ = stop;
        Token token = make(TokenKind::Class, ORV_TOKEN_QS, start);
        token.text = content;
        return token;
    }
    int tokenClass = ORV_TOKEN_QS;
    size_t suffixEnd = nameEnd(i);
    std::string suffix;
    for (size_t k = i; k < suffixEnd; ++k) suffix += upper(t[k]);
    if (suffix == "D")
        tokenClass = ORV_TOKEN_DATE;
    else if (suffix == "T")
        tokenClass = ORV_TOKEN_TIME;
    else if (suffix == "DT")
        tokenClass = ORV_TOKEN_DATETIME;
    else if (suffix == "N")
        tokenClass = ORV_TOKEN_VLITERAL;
    if (tokenClass != ORV_TOKEN_QS) i = suffixEnd;
    pos_ = i;
    Token token = make(TokenKind::Class, tokenClass, start);
    token.text = content;
    if (tokenClass == ORV_TOKEN_DATE || tokenClass == ORV_TOKEN_TIME ||
        tokenClass == ORV_TOKEN_DATETIME)
        readConstant(token, tokenClass);
    return token;
}

void Lexer::readNumber(Token &token)
{
    errno = 0;
    double value = std::strtod(token.text.c_str(), nullptr);
    /* Overflow gives infinity and underflow a denormal or zero: neither is
     * the number written, and no option value can hold it. */
    if (errno == ERANGE || !(std::fabs(value) <= ORV_LARGEST_STATEMENT_NUMBER)) {
        error(token.offset, "The number " + shownText(token.text) +
                                " is out of range: a number in a statement must lie within "
                                "plus or minus 9007199254740992 (2 to the power 53).");
        value = 0;
    }
    token.value = value;
}

void Lexer::readConstant(Token &token, int tokenClass)
{
    token.hasValue = true;
    token.value = orvMissing();
    if (!convert_) return;
    int informat = tokenClass == ORV_TOKEN_DATE   ? kFormatDate
                   : tokenClass == ORV_TOKEN_TIME ? kFormatTime
                                                  : kFormatDatetime;
    const char *what = tokenClass == ORV_TOKEN_DATE   ? "date"
                       : tokenClass == ORV_TOKEN_TIME ? "time"
                                                      : "datetime";
    const char *suffix = tokenClass == ORV_TOKEN_DATE ? "d" : tokenClass == ORV_TOKEN_TIME ? "t" : "dt";
    double value = orvMissing();
    std::string_view text = token.text;
    /* A constant states a value: a blank or missing-value text is no date,
     * and a time constant is a time of day written with its colon. */
    bool valid = text.find_first_not_of(' ') != std::string_view::npos &&
                 readValue(informat, text, 0, yearCutoff_, &value) == 0 && !std::isnan(value);
    if (valid && tokenClass == ORV_TOKEN_TIME)
        valid = text.find(':') != std::string_view::npos && value >= 0 && value < kSecondsPerDay;
    if (!valid) {
        const char *form = tokenClass == ORV_TOKEN_DATE   ? "a date from 01JAN1582 to 26DEC20000 such as '01JAN2020'd"
                           : tokenClass == ORV_TOKEN_TIME ? "a time of day from 00:00 to 23:59:59 such as '10:30't"
                                                          : "a date and time such as '01JAN2020:10:30:00'dt";
        error(token.offset, std::string("The ") + what + " constant '" + shownText(token.text) + "'" +
                                suffix + " is not valid: write " + form + ".");
        value = orvMissing();
    }
    token.value = value;
}

}  // namespace orvhost
