/*
 * job.cpp - splits a job file into statements and procedure steps.
 */
#include "platform/job.h"

#include <algorithm>
#include <cctype>

namespace orvhost {
namespace {

struct Procedure {
    const char *name;
    const char *module;
};

/* The procedures this host runs and the module of each. */
constexpr Procedure kProcedures[] = {{"VORNAK", "orvkeydf"}, {"KIVEVENTS", "orvocrdf"}};

struct Statement {
    std::string text; /* without the ending ';' */
    int line;
};

std::string upper(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return result;
}

std::string firstWord(std::string_view text)
{
    size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) return {};
    size_t end = start;
    while (end < text.size() && (std::isalnum((unsigned char)text[end]) || text[end] == '_'))
        ++end;
    return upper(text.substr(start, end - start));
}

/* Splits the text into statements, dropping comments.  Returns false with
 * the line of an unclosed comment or quote. */
bool splitStatements(std::string_view text, std::vector<Statement> &statements, int &faultLine,
                     std::string &fault)
{
    int line = 1;
    Statement current{{}, 0};
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        bool blankSoFar = current.text.find_first_not_of(" \t\r\n") == std::string::npos;
        if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            size_t end = text.find("*/", i + 2);
            if (end == std::string_view::npos) {
                faultLine = line;
                fault = "the comment is not closed";
                return false;
            }
            line += int(std::count(text.begin() + i, text.begin() + end, '\n'));
            current.text += ' ';
            i = end + 1;
            continue;
        }
        if (c == '*' && blankSoFar) { /* "* ... ;" comment statement */
            size_t end = text.find(';', i);
            if (end == std::string_view::npos) {
                faultLine = line;
                fault = "the comment statement does not end with ';'";
                return false;
            }
            line += int(std::count(text.begin() + i, text.begin() + end, '\n'));
            current.text.clear();
            i = end;
            continue;
        }
        if (c == '\'' || c == '"') {
            size_t end = text.find(c, i + 1);
            if (end == std::string_view::npos) {
                faultLine = line;
                fault = "the quoted text is not closed";
                return false;
            }
            if (blankSoFar) current.line = line;
            line += int(std::count(text.begin() + i, text.begin() + end, '\n'));
            current.text.append(text.substr(i, end - i + 1));
            i = end;
            continue;
        }
        if (c == ';') {
            if (!blankSoFar) statements.push_back(current);
            current = {{}, 0};
            continue;
        }
        if (blankSoFar && !std::isspace((unsigned char)c)) current.line = line;
        if (c == '\n') ++line;
        current.text += c;
    }
    if (current.text.find_first_not_of(" \t\r\n") != std::string::npos) {
        faultLine = current.line;
        fault = "the statement does not end with ';'";
        return false;
    }
    return true;
}

}  // namespace

bool readJob(std::string_view text, const std::string &fileName, std::vector<JobStep> &steps,
             std::string &error)
{
    std::vector<Statement> statements;
    int faultLine = 0;
    std::string fault;
    auto failAt = [&](int line, const std::string &what) {
        error = fileName + ":" + std::to_string(line) + ": " + what + ".";
        return false;
    };
    if (!splitStatements(text, statements, faultLine, fault)) return failAt(faultLine, fault);

    JobStep *step = nullptr;
    for (const Statement &statement : statements) {
        std::string keyword = firstWord(statement.text);
        if (keyword == "PROC") {
            if (step != nullptr) return failAt(statement.line, "PROC before the RUN of the step");
            std::string rest = statement.text.substr(statement.text.find_first_not_of(" \t\r\n") + 4);
            std::string name = firstWord(rest);
            auto known = std::find_if(std::begin(kProcedures), std::end(kProcedures),
                                      [&](const Procedure &p) { return name == p.name; });
            if (known == std::end(kProcedures))
                return failAt(statement.line, "the procedure " + (name.empty() ? "name" : name) +
                                                  " is not known to this host");
            steps.push_back({name, known->module, {}, statement.line});
            step = &steps.back();
        } else if (step == nullptr) {
            return failAt(statement.line, "expected PROC, found " +
                                              (keyword.empty() ? std::string{"text"} : keyword));
        }
        if (keyword == "RUN") {
            step = nullptr;
            continue;
        }
        step->statements += statement.text;
        step->statements += ";\n";
    }
    if (step != nullptr) return failAt(step->line, "the step has no RUN statement");
    return true;
}

}  // namespace orvhost
