/*
 * job.cpp - reads the job language and runs a job (platform/job.h).
 *
 * The job is read with the statement lexer (without converting constants),
 * so that comments, quotes and statement ends are found exactly as the
 * procedures' parser finds them.
 */
#include "platform/job.h"

#include <algorithm>

#include "host/host_records.h"
#include "platform/dataset/data_set_store.h"
#include "platform/host.h"
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

/* A statement: its tokens without the ending ';' and where it starts. */
struct Statement {
    std::vector<Token> tokens;
    size_t offset = 0;
};

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

class JobReader {
public:
    JobReader(const SourceText &source, std::vector<JobItem> &items)
        : source_(source), items_(items)
    {
    }
    bool read(std::string &error);

private:
    bool fail(size_t offset, const std::string &what)
    {
        error_ = source_.where(offset) + ": " + what + ".";
        return false;
    }
    bool split(std::vector<Statement> &statements);
    bool options(const Statement &statement, JobItem &item);
    bool libname(const Statement &statement, JobItem &item);

    const SourceText &source_;
    std::vector<JobItem> &items_;
    std::string error_;
};

/* Splits the text into statements; a text that ends inside a statement or
 * a comment is a fault. */
bool JobReader::split(std::vector<Statement> &statements)
{
    StepSource whole{&source_, 0, source_.text().size()};
    std::string fault;
    size_t faultOffset = 0;
    Lexer lexer(
        whole, 0,
        [&](size_t offset, const std::string &message) {
            if (fault.empty()) {
                fault = message;
                faultOffset = offset;
            }
        },
        true);
    Statement current;
    for (Token token = lexer.next(); token.kind != TokenKind::End; token = lexer.next()) {
        if (token.kind == TokenKind::Class && token.tokenClass == ORV_TOKEN_ENDJB) {
            if (!current.tokens.empty()) statements.push_back(current);
            current = Statement{};
            continue;
        }
        if (current.tokens.empty()) current.offset = token.offset;
        current.tokens.push_back(token);
    }
    /* Only a comment left open stops the job here; every other fault of the
     * text belongs to the step and is the step parser's to report. */
    if (fault == "The comment is not closed.") return fail(faultOffset, "the comment is not closed");
    if (!current.tokens.empty()) return fail(current.offset, "the statement does not end with ';'");
    return true;
}

bool JobReader::options(const Statement &statement, JobItem &item)
{
    const std::vector<Token> &t = statement.tokens;
    for (size_t i = 1; i < t.size();) {
        if (t[i].kind != TokenKind::Class || t[i].tokenClass != ORV_TOKEN_NAMEX)
            return fail(t[i].offset, "expected an option name, found " + t[i].text);
        if (i + 1 >= t.size() || !isPunctuation(t[i + 1], '='))
            return fail(i + 1 < t.size() ? t[i + 1].offset : t[i].offset,
                        "expected '=' after the option " + upper(t[i].text));
        if (i + 2 >= t.size())
            return fail(t[i + 1].offset, "the option " + upper(t[i].text) + " has no value");
        JobItem::Assignment assignment{upper(t[i].text), {}, t[i].offset};
        const Token &value = t[i + 2];
        size_t next = i + 3;
        if (isPunctuation(value, '(')) {
            /* the text up to the matching ')' as written */
            int depth = 0;
            size_t k = i + 2;
            for (; k < t.size(); ++k) {
                if (isPunctuation(t[k], '(')) ++depth;
                if (isPunctuation(t[k], ')') && --depth == 0) break;
            }
            if (k == t.size()) return fail(value.offset, "the '(' is not closed");
            assignment.value = source_.text().substr(value.offset, t[k].offset + 1 - value.offset);
            next = k + 1;
        } else if (value.kind == TokenKind::Class &&
                   (value.tokenClass == ORV_TOKEN_QS || value.tokenClass == ORV_TOKEN_NAMEX ||
                    value.tokenClass == ORV_TOKEN_INT || value.tokenClass == ORV_TOKEN_NBR ||
                    value.tokenClass == ORV_TOKEN_COMPOUND)) {
            assignment.value = value.text;
        } else {
            return fail(value.offset, "the value of the option " + assignment.name +
                                          " is not a name, a number, a quoted string or a "
                                          "parenthesised text");
        }
        item.assignments.push_back(assignment);
        i = next;
    }
    if (item.assignments.empty()) return fail(statement.offset, "OPTIONS names no option");
    return true;
}

bool JobReader::libname(const Statement &statement, JobItem &item)
{
    const std::vector<Token> &t = statement.tokens;
    if (t.size() != 3 || t[1].kind != TokenKind::Class || t[1].tokenClass != ORV_TOKEN_NAMEX ||
        t[2].kind != TokenKind::Class || t[2].tokenClass != ORV_TOKEN_QS)
        return fail(statement.offset, "expected LIBNAME libref 'directory'");
    item.libref = upper(t[1].text);
    item.directory = t[2].text;
    return true;
}

bool JobReader::read(std::string &error)
{
    std::vector<Statement> statements;
    bool ok = split(statements);
    constexpr size_t kNoStep = size_t(-1);
    size_t step = kNoStep; /* index of the step whose RUN is awaited */
    for (size_t s = 0; ok && s < statements.size(); ++s) {
        const Statement &statement = statements[s];
        const Token &first = statement.tokens.front();
        bool isName = first.kind == TokenKind::Class && first.tokenClass == ORV_TOKEN_NAMEX;
        std::string keyword = isName ? upper(first.text) : std::string{};
        if (step != kNoStep) {
            if (keyword == "RUN") {
                items_[step].statements.end = statement.offset;
                step = kNoStep;
            } else if (keyword == "PROC") {
                ok = fail(statement.offset, "PROC before the RUN of the step");
            }
            continue;
        }
        JobItem item;
        item.offset = statement.offset;
        item.line = source_.lineOf(statement.offset);
        item.column = source_.columnOf(statement.offset);
        if (keyword == "PROC") {
            std::string name;
            if (statement.tokens.size() > 1 && statement.tokens[1].kind == TokenKind::Class &&
                statement.tokens[1].tokenClass == ORV_TOKEN_NAMEX)
                name = upper(statement.tokens[1].text);
            auto known = std::find_if(std::begin(kProcedures), std::end(kProcedures),
                                      [&](const Procedure &p) { return name == p.name; });
            if (known == std::end(kProcedures)) {
                ok = fail(statement.offset, "the procedure " + (name.empty() ? "name" : name) +
                                                " is not known to this host");
                continue;
            }
            item.kind = JobItem::Kind::Step;
            item.procedure = name;
            item.module = known->module;
            item.statements = {&source_, statement.tokens[1].offset, source_.text().size()};
            items_.push_back(item);
            step = items_.size() - 1;
        } else if (keyword == "OPTIONS") {
            item.kind = JobItem::Kind::Options;
            ok = options(statement, item);
            if (ok) items_.push_back(item);
        } else if (keyword == "LIBNAME") {
            item.kind = JobItem::Kind::Libname;
            ok = libname(statement, item);
            if (ok) items_.push_back(item);
        } else {
            ok = fail(statement.offset, "expected PROC, OPTIONS or LIBNAME, found " +
                                            (isName ? keyword : first.text));
        }
    }
    if (ok && step != kNoStep) ok = fail(items_[step].offset, "the step has no RUN statement");
    error = error_;
    return ok;
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
