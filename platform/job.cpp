/*
 * job.cpp - reads the job language and runs a job (platform/job.h).
 *
 * The job is read with the statement lexer (without converting constants),
 * so that comments, quotes and statement ends are found exactly as the
 * procedures' parser finds them, one statement at a time: only the job text
 * and the items read are held.  A fault of the text inside a step is left
 * to the step's parser; anywhere else it stops the job.
 */
#include "platform/job.h"

#include <algorithm>
#include <cctype>

#include "host/host_records.h"
#include "platform/dataset/data_set_store.h"
#include "platform/host.h"
#include "platform/log.h"
#include "platform/module_loader.h"
#include "platform/parser/lexer.h"
#include "platform/parser/parse_environment.h"

namespace orvhost {
namespace {

struct Procedure {
    const char *name;
    const char *module;
};

/* The procedures this host runs and the module of each. */
constexpr Procedure kProcedures[] = {{"VORNAK", "orvkeydf"}, {"KIVEVENTS", "orvocrdf"}};

std::string upper(std::string text)
{
    for (char &c : text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return text;
}

bool isPunctuation(const Token &token, char c)
{
    return token.kind == TokenKind::Punctuation && token.punctuation == c;
}

bool isName(const Token &token)
{
    return token.kind == TokenKind::Class && token.tokenClass == ORV_TOKEN_NAMEX;
}

/* The statement kinds the reader tells apart by their first word. */
enum class StatementKind { Proc, Run, Options, Libname, Other };

/* Reads the job statement by statement as the lexer finds them, keeping no
 * more than the statement at hand, so that its memory stays a small
 * multiple of the job text whatever the job holds. */
class JobReader {
public:
    JobReader(const SourceText &source, std::vector<JobItem> &items)
        : source_(source), items_(items)
    {
    }
    bool read(std::string &error);

private:
    /* Notes a fault at offset; the first one (by position) is reported. */
    void fail(size_t offset, const std::string &what)
    {
        if (failed_ && offset >= errorOffset_) return;
        failed_ = true;
        errorOffset_ = offset;
        error_ = source_.where(offset) + ": " + what + ".";
    }
    void lexerFault(size_t offset, const std::string &message);
    void beginStatement(const Token &first);
    void addToken(const Token &token);
    void endStatement();
    void optionToken(const Token &token);
    void endOptions();
    /* After a fault, the rest of the OPTIONS statement is passed over. */
    void skipOptions()
    {
        optionState_ = OptionState::Parenthesis;
        depth_ = -1;
    }
    void reportFault();

    const SourceText &source_;
    std::vector<JobItem> &items_;
    std::string error_;
    size_t errorOffset_ = 0;
    bool failed_ = false;

    static constexpr size_t kNoStep = size_t(-1);
    size_t step_ = kNoStep; /* index of the step whose RUN is awaited */

    /* The statement at hand. */
    bool inStatement_ = false;
    StatementKind kind_ = StatementKind::Other;
    JobItem item_;
    size_t tokenCount_ = 0;
    size_t faultOffset_ = 0;   /* first lexer fault of the statement */
    std::string faultMessage_; /* "" when none */
    size_t openQuote_ = 0;     /* an unterminated string of the statement */
    bool hasOpenQuote_ = false;
    size_t commentOpen_ = kNoStep; /* where a comment that is never closed starts */

    /* OPTIONS, read token by token: name '=' value ... */
    enum class OptionState { Name, Equals, Value, Parenthesis } optionState_ = OptionState::Name;
    JobItem::Assignment assignment_;
    size_t parenthesisStart_ = 0;
    int depth_ = 0;
};

void JobReader::lexerFault(size_t offset, const std::string &message)
{
    /* A comment left open swallows the rest of the job: nothing after it
     * can run as written. */
    if (message == kCommentNotClosed) {
        commentOpen_ = offset;
        return;
    }
    if (message == kStringNotTerminated) {
        hasOpenQuote_ = true;
        openQuote_ = offset;
    }
    if (faultMessage_.empty()) {
        faultOffset_ = offset;
        faultMessage_ = message;
    }
}

void JobReader::beginStatement(const Token &first)
{
    inStatement_ = true;
    tokenCount_ = 0;
    item_ = JobItem{};
    item_.offset = first.offset;
    item_.line = source_.lineOf(first.offset);
    item_.column = source_.columnOf(first.offset);
    std::string keyword = isName(first) ? upper(first.text) : std::string{};
    kind_ = keyword == "PROC"      ? StatementKind::Proc
            : keyword == "RUN"     ? StatementKind::Run
            : keyword == "OPTIONS" ? StatementKind::Options
            : keyword == "LIBNAME" ? StatementKind::Libname
                                   : StatementKind::Other;
    optionState_ = OptionState::Name;
    if (step_ != kNoStep || kind_ == StatementKind::Proc) return;
    if (kind_ == StatementKind::Other || kind_ == StatementKind::Run)
        fail(first.offset, "expected PROC, OPTIONS or LIBNAME, found " +
                               shownText(isName(first) ? keyword : first.text));
}

void JobReader::addToken(const Token &token)
{
    size_t index = tokenCount_++;
    if (index == 0) return;
    if (step_ != kNoStep) return; /* the step's parser reads its statements */
    switch (kind_) {
    case StatementKind::Proc:
        if (index == 1) {
            item_.procedure = isName(token) ? upper(token.text) : std::string{};
            item_.statements.begin = token.offset;
        }
        break;
    case StatementKind::Options: optionToken(token); break;
    case StatementKind::Libname:
        if (index == 1 && isName(token)) item_.libref = upper(token.text);
        else if (index == 2 && token.kind == TokenKind::Class && token.tokenClass == ORV_TOKEN_QS)
            item_.directory = token.text;
        else
            item_.libref.clear(); /* not of the form LIBNAME libref 'directory' */
        break;
    default: break;
    }
}

void JobReader::optionToken(const Token &token)
{
    switch (optionState_) {
    case OptionState::Name:
        if (!isName(token)) {
            fail(token.offset, "expected an option name, found " + shownText(token.text));
            skipOptions();
            return;
        }
        assignment_ = {upper(token.text), {}, token.offset};
        optionState_ = OptionState::Equals;
        return;
    case OptionState::Equals:
        if (!isPunctuation(token, '=')) {
            fail(token.offset, "expected '=' after the option " + shownText(assignment_.name));
            skipOptions();
            return;
        }
        optionState_ = OptionState::Value;
        parenthesisStart_ = token.offset; /* where a missing value is reported */
        return;
    case OptionState::Value:
        if (isPunctuation(token, '(')) {
            parenthesisStart_ = token.offset;
            depth_ = 1;
            optionState_ = OptionState::Parenthesis;
            return;
        }
        if (token.kind == TokenKind::Class &&
            (token.tokenClass == ORV_TOKEN_QS || token.tokenClass == ORV_TOKEN_NAMEX ||
             token.tokenClass == ORV_TOKEN_INT || token.tokenClass == ORV_TOKEN_NBR ||
             token.tokenClass == ORV_TOKEN_COMPOUND)) {
            assignment_.value = token.text;
            item_.assignments.push_back(std::move(assignment_));
            optionState_ = OptionState::Name;
            return;
        }
        fail(token.offset, "the value of the option " + assignment_.name +
                               " is not a name, a number, a quoted string or a parenthesised "
                               "text");
        skipOptions();
        return;
    case OptionState::Parenthesis:
        if (depth_ < 0) return;
        if (isPunctuation(token, '(')) ++depth_;
        if (isPunctuation(token, ')') && --depth_ == 0) {
            /* the text up to the matching ')' as written */
            assignment_.value =
                source_.text().substr(parenthesisStart_, token.offset + 1 - parenthesisStart_);
            item_.assignments.push_back(std::move(assignment_));
            optionState_ = OptionState::Name;
        }
        return;
    }
}

void JobReader::endOptions()
{
    if (optionState_ == OptionState::Equals)
        fail(assignment_.offset, "expected '=' after the option " + shownText(assignment_.name));
    else if (optionState_ == OptionState::Value)
        fail(parenthesisStart_, "the option " + assignment_.name + " has no value");
    else if (optionState_ == OptionState::Parenthesis && depth_ > 0)
        fail(parenthesisStart_, "the '(' is not closed");
    else if (item_.assignments.empty() && optionState_ == OptionState::Name)
        fail(item_.offset, "OPTIONS names no option");
}

void JobReader::endStatement()
{
    inStatement_ = false;
    bool stepText = false; /* the statement is read by a step's parser */
    if (step_ != kNoStep) {
        if (kind_ == StatementKind::Run) {
            items_[step_].statements.end = item_.offset;
            step_ = kNoStep;
            stepText = faultMessage_.empty() || faultOffset_ < item_.offset;
        } else {
            stepText = true;
            if (kind_ == StatementKind::Proc) fail(item_.offset, "PROC before the RUN of the step");
        }
    } else if (kind_ == StatementKind::Proc) {
        auto known = std::find_if(std::begin(kProcedures), std::end(kProcedures),
                                  [&](const Procedure &p) { return item_.procedure == p.name; });
        if (known == std::end(kProcedures)) {
            fail(item_.offset, "the procedure " +
                                   (item_.procedure.empty() ? std::string("name")
                                                            : shownText(item_.procedure)) +
                                   " is not known to this host");
        } else {
            item_.kind = JobItem::Kind::Step;
            item_.module = known->module;
            item_.statements.source = &source_;
            item_.statements.end = source_.text().size();
            /* From the procedure name on, the text is the step's. */
            stepText = faultMessage_.empty() || faultOffset_ >= item_.statements.begin;
            items_.push_back(std::move(item_));
            step_ = items_.size() - 1;
        }
    } else if (kind_ == StatementKind::Options) {
        item_.kind = JobItem::Kind::Options;
        endOptions();
        if (!failed_) items_.push_back(std::move(item_));
    } else if (kind_ == StatementKind::Libname) {
        item_.kind = JobItem::Kind::Libname;
        if (tokenCount_ != 3 || item_.libref.empty())
            fail(item_.offset, "expected LIBNAME libref 'directory'");
        else if (!failed_)
            items_.push_back(std::move(item_));
    }
    /* A fault of the text outside the steps stops the job: a malformed
     * OPTIONS or LIBNAME statement cannot take effect as the user meant. */
    if (!faultMessage_.empty() && !stepText) reportFault();
    faultMessage_.clear();
    hasOpenQuote_ = false;
}

void JobReader::reportFault()
{
    std::string message = faultMessage_;
    if (message.back() == '.') message.pop_back();
    message[0] = char(std::tolower(static_cast<unsigned char>(message[0])));
    fail(faultOffset_, message);
}

bool JobReader::read(std::string &error)
{
    StepSource whole{&source_, 0, source_.text().size()};
    Lexer lexer(
        whole, 0, [&](size_t offset, const std::string &message) { lexerFault(offset, message); },
        false);
    for (Token token = lexer.next(); token.kind != TokenKind::End; token = lexer.next()) {
        if (token.kind == TokenKind::Class && token.tokenClass == ORV_TOKEN_ENDJB) {
            if (inStatement_) endStatement();
            else if (!faultMessage_.empty() && step_ == kNoStep) reportFault();
            faultMessage_.clear();
            continue;
        }
        if (!inStatement_) beginStatement(token);
        addToken(token);
    }
    if (commentOpen_ != kNoStep) {
        /* Reported alone: the rest of the job is inside the comment. */
        failed_ = false;
        fail(commentOpen_, "the comment is not closed: end it with */");
    } else if (failed_) {
        /* the first fault stands */
    } else if (inStatement_) {
        if (hasOpenQuote_)
            fail(openQuote_, "the quoted string that starts here is not closed: end it with the "
                             "same quote on its line");
        else
            fail(item_.offset, "the statement does not end with ';'");
    } else if (step_ != kNoStep) {
        fail(items_[step_].offset, "the step has no RUN statement: end it with RUN;");
    } else if (!faultMessage_.empty()) {
        reportFault();
    }
    error = error_;
    return !failed_;
}

}  // namespace

bool readJob(std::string text, const std::string &fileName, Job &job, std::string &error)
{
    job.source_ = std::make_unique<SourceText>(fileName, std::move(text));
    job.items_.clear();
    error.clear();
    return JobReader(*job.source_, job.items_).read(error);
}

int runJob(const Job &job, Host &host, ModuleLoader &loader)
{
    int highest = 0;
    bool statementFailed = false;
    for (const JobItem &item : job.items()) {
        std::string where = job.source().where(item.offset);
        if (item.kind == JobItem::Kind::Options) {
            for (const JobItem::Assignment &assignment : item.assignments) {
                std::string fault = host.options().set(assignment.name, assignment.value);
                if (!fault.empty()) {
                    host.log().error(job.source().where(assignment.offset) + ": " + fault);
                    statementFailed = true;
                }
            }
            continue;
        }
        if (item.kind == JobItem::Kind::Libname) {
            std::string fault;
            if (!host.dataSets().libraries().assign(item.libref, item.directory, fault)) {
                host.log().error(where + ": " + fault);
                statementFailed = true;
            }
            continue;
        }
        std::string error;
        const LoadedModule *module = loader.load(item.module, error);
        if (module == nullptr) {
            host.log().error(error);
            return kJobExitNotRun;
        }
        ParseEnvironment &environment = parseEnvironment();
        environment.step = &item.statements;
        int returnCode = host.runStep(module->procedure->entry);
        environment.step = nullptr;
        host.log().note("PROC " + item.procedure + " (line " + std::to_string(item.line) +
                        ") ended with return code " + std::to_string(returnCode) + ".");
        highest = std::max(highest, returnCode);
    }
    host.log().note("The job ended; the highest step return code was " + std::to_string(highest) +
                    ".");
    if (highest > 4 || statementFailed) return kJobExitErrors;
    return highest > 0 ? kJobExitWarnings : kJobExitClean;
}

}  // namespace orvhost
