/*
 * grammar_reader.cpp - reads grammar source text into a GrammarSource.
 *
 * Exports: readGrammar, GrammarError::text.
 */
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "tools/grammargen/grammar.h"

namespace grammargen {

std::string GrammarError::text() const
{
    std::string where = file;
    if (line > 0) where += ":" + std::to_string(line);
    return where + ": " + message;
}

namespace {

/* One word of the source with the line it starts on.  Quoted words keep
 * their quotes; braces and the rule punctuation ':' '|' ';' are words of
 * their own. */
struct Word {
    std::string text;
    int line;
};

class Reader {
public:
    Reader(const std::string &text, const std::string &file) : file_(file) { split(text); }

    GrammarSource read();

private:
    [[noreturn]] void fail(int line, const std::string &message) const
    {
        throw GrammarError{file_, line, message};
    }

    void split(const std::string &text);
    bool atEnd() const { return pos_ >= words_.size(); }
    const Word &peek() const { return words_[pos_]; }
    Word next()
    {
        if (atEnd()) fail(words_.empty() ? 0 : words_.back().line, "unexpected end of the grammar");
        return words_[pos_++];
    }
    /* The words up to the next directive or the end (a directive starts
     * with '%'). */
    std::vector<Word> wordsToDirective();

    void readKeywords(GrammarSource &grammar, int line);
    void readRule(GrammarSource &grammar, const std::string &section);
    Element readAction(int line);
    int readArgument(const Word &word) const;
    Cost readCost(const std::vector<Word> &words, int line) const;

    std::string file_;
    std::vector<Word> words_;
    size_t pos_ = 0;
    std::map<std::string, int> actions_;
    std::map<std::string, int> defines_;
};

void Reader::split(const std::string &text)
{
    int line = 1;
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (std::isspace((unsigned char)c)) {
            ++i;
        } else if (c == '#') {
            while (i < text.size() && text[i] != '\n') ++i;
        } else if (c == '\'') {
            size_t end = text.find('\'', i + 1);
            if (end == std::string::npos || end == i + 1 || text.find('\n', i) < end)
                fail(line, "a quoted symbol is not closed on its line");
            words_.push_back({text.substr(i, end - i + 1), line});
            i = end + 1;
        } else if (c == '{' || c == '}' || c == ':' || c == '|' || c == ';') {
            words_.push_back({std::string(1, c), line});
            ++i;
        } else {
            size_t start = i;
            while (i < text.size() && !std::isspace((unsigned char)text[i]) && text[i] != '}' &&
                   text[i] != ';' && text[i] != '|' && !(text[i] == ':' && i > start)) {
                if (text[i] == '{') {
                    /* WORD_{a..b} is one word; a brace after a blank opens an action. */
                    size_t close = text.find('}', i);
                    if (close == std::string::npos) fail(line, "a family range is not closed");
                    i = close;
                }
                ++i;
            }
            words_.push_back({text.substr(start, i - start), line});
        }
    }
}

std::vector<Word> Reader::wordsToDirective()
{
    std::vector<Word> words;
    while (!atEnd() && peek().text[0] != '%') words.push_back(next());
    return words;
}

/* Expands WORD_{a..b} into WORD_a ... WORD_b. */
void expandFamily(const std::string &word, std::vector<std::string> &out)
{
    size_t open = word.find('{');
    if (open == std::string::npos || word.back() != '}') {
        out.push_back(word);
        return;
    }
    std::string range = word.substr(open + 1, word.size() - open - 2);
    size_t dots = range.find("..");
    int first = std::atoi(range.substr(0, dots).c_str());
    int last = std::atoi(range.substr(dots + 2).c_str());
    for (int n = first; n <= last; ++n) out.push_back(word.substr(0, open) + std::to_string(n));
}

bool isKeywordWord(const std::string &word)
{
    if (word.empty() || !(std::isupper((unsigned char)word[0]) || word[0] == '_')) return false;
    return std::all_of(word.begin(), word.end(), [](char c) {
        return std::isupper((unsigned char)c) || std::isdigit((unsigned char)c) || c == '_' ||
               c == '$';
    });
}

void Reader::readKeywords(GrammarSource &grammar, int line)
{
    std::string module = next().text;
    if (grammar.keywords.count(module)) fail(line, "the keywords of " + module + " are given twice");
    std::vector<std::string> list;
    std::vector<Word> words;
    while (!atEnd() && peek().text != "%end") words.push_back(next());
    if (atEnd()) fail(line, "%keywords without %end");
    next();
    size_t i = 0;
    if (!words.empty() && words[0].text == "from") {
        if (words.size() < 2 || !grammar.keywords.count(words[1].text))
            fail(line, "%keywords " + module + " from: no such module");
        list = grammar.keywords[words[1].text];
        for (i = 2; i < words.size(); ++i) {
            const std::string &w = words[i].text;
            std::string name = w.substr(1);
            if (w[0] == '-') {
                auto found = std::find(list.begin(), list.end(), name);
                if (found == list.end()) fail(words[i].line, "cannot remove " + name + ": not in the list");
                list.erase(found);
            } else if (w[0] == '+') {
                list.push_back(name);
            } else {
                fail(words[i].line, "expected -KEYWORD or +KEYWORD, found " + w);
            }
        }
    } else {
        for (const Word &w : words) expandFamily(w.text, list);
    }
    for (const std::string &k : list)
        if (!isKeywordWord(k)) fail(line, "not a keyword: " + k);
    std::sort(list.begin(), list.end());
    for (size_t k = 1; k < list.size(); ++k)
        if (list[k] == list[k - 1]) fail(line, "keyword " + list[k] + " is listed twice");
    for (const std::string &k : list)
        if (k.back() == '$' && std::binary_search(list.begin(), list.end(), k.substr(0, k.size() - 1)))
            fail(line, "keywords " + k + " and " + k.substr(0, k.size() - 1) +
                           " would be written alike");
    grammar.keywords[module] = list;
    grammar.moduleOrder.push_back(module);
}

int Reader::readArgument(const Word &word) const
{
    const std::string &w = word.text;
    if (w.size() == 3 && w[0] == '\'' && w[2] == '\'') return (unsigned char)w[1];
    if (!w.empty() && (std::isdigit((unsigned char)w[0]) || (w[0] == '-' && w.size() > 1))) {
        char *end = nullptr;
        long value = std::strtol(w.c_str(), &end, 10);
        if (*end != '\0' || value < -32768 || value > 32767)
            fail(word.line, "action argument " + w + " is not a 16-bit integer");
        return int(value);
    }
    auto found = defines_.find(w);
    if (found == defines_.end()) fail(word.line, "unknown action argument " + w);
    return found->second;
}

Element Reader::readAction(int line)
{
    Element action{ElementKind::Action, {}, 0, {}, line};
    Word name = next();
    if (name.text == "}") fail(line, "an empty action");
    auto known = actions_.find(name.text);
    if (known != actions_.end()) {
        action.name = name.text;
        action.code = known->second;
    } else {
        action.code = readArgument(name);
        action.name = std::to_string(action.code);
    }
    if (action.code <= 0) fail(line, "action codes are positive");
    for (Word w = next(); w.text != "}"; w = next()) action.arguments.push_back(readArgument(w));
    return action;
}

void Reader::readRule(GrammarSource &grammar, const std::string &section)
{
    Word lhs = next();
    if (!std::islower((unsigned char)lhs.text[0])) fail(lhs.line, "a rule must start with a nonterminal, found " + lhs.text);
    if (next().text != ":") fail(lhs.line, "expected ':' after " + lhs.text);
    auto rule = std::find_if(grammar.rules.begin(), grammar.rules.end(),
                             [&](const Rule &r) { return r.lhs == lhs.text; });
    if (rule == grammar.rules.end()) {
        grammar.rules.push_back({lhs.text, {}, lhs.line});
        rule = grammar.rules.end() - 1;
    }
    Alternative alternative;
    alternative.line = lhs.line;
    if (!section.empty()) alternative.modules.insert(section);
    for (;;) {
        Word w = next();
        const std::string &t = w.text;
        if (t == ";" || t == "|") {
            rule->alternatives.push_back(alternative);
            if (t == ";") return;
            alternative = Alternative{};
            alternative.line = w.line;
            if (!section.empty()) alternative.modules.insert(section);
        } else if (t == "{") {
            alternative.elements.push_back(readAction(w.line));
        } else if (t[0] == '@') {
            std::string list = t.substr(1);
            size_t start = 0;
            while (start <= list.size()) {
                size_t comma = list.find(',', start);
                std::string module = list.substr(start, comma - start);
                if (!grammar.keywords.count(module)) fail(w.line, "unknown module " + module);
                if (!section.empty() && module != section)
                    fail(w.line, "@" + module + " inside the section of " + section);
                alternative.modules.insert(module);
                if (comma == std::string::npos) break;
                start = comma + 1;
            }
        } else if (t[0] == '<') {
            std::string name = t.substr(1, t.size() - 2);
            if (t.back() != '>' ||
                std::find(grammar.tokens.begin(), grammar.tokens.end(), name) == grammar.tokens.end())
                fail(w.line, "unknown token class " + t);
            alternative.elements.push_back({ElementKind::Token, name, 0, {}, w.line});
        } else if (t[0] == '\'') {
            std::string name = t.substr(1, t.size() - 2);
            if (std::find(grammar.punctuation.begin(), grammar.punctuation.end(), name) ==
                grammar.punctuation.end())
                fail(w.line, "unknown punctuation " + t);
            alternative.elements.push_back({ElementKind::Punctuation, name, 0, {}, w.line});
        } else if (std::islower((unsigned char)t[0])) {
            alternative.elements.push_back({ElementKind::Nonterminal, t, 0, {}, w.line});
        } else if (isKeywordWord(t)) {
            alternative.elements.push_back({ElementKind::Keyword, t, 0, {}, w.line});
        } else {
            fail(w.line, "unexpected " + t + " in the rule of " + lhs.text);
        }
    }
}

Cost Reader::readCost(const std::vector<Word> &words, int line) const
{
    if (words.size() != 3) fail(line, "%cost takes WHAT INSERT DELETE");
    Cost cost;
    cost.insert = std::atoi(words[1].text.c_str());
    cost.remove = std::atoi(words[2].text.c_str());
    if (cost.insert < 1 || cost.insert > 254 || cost.remove < 1 || cost.remove > 254)
        fail(line, "costs are 1 to 254");
    return cost;
}

GrammarSource Reader::read()
{
    GrammarSource grammar;
    grammar.file = file_;
    std::string section;
    while (!atEnd()) {
        Word w = next();
        if (w.text == "%tokens") {
            for (const Word &t : wordsToDirective()) grammar.tokens.push_back(t.text);
        } else if (w.text == "%punctuation") {
            for (const Word &t : wordsToDirective()) {
                std::string p = t.text;
                if (p.size() == 3 && p[0] == '\'' && p[2] == '\'') p = p.substr(1, 1);
                if (p.size() != 1) fail(t.line, "punctuation symbols are one character: " + t.text);
                grammar.punctuation.push_back(p);
            }
        } else if (w.text == "%keywords") {
            readKeywords(grammar, w.line);
        } else if (w.text == "%start") {
            grammar.start = next().text;
        } else if (w.text == "%action") {
            std::string name = next().text;
            actions_[name] = readArgument(next());
        } else if (w.text == "%define") {
            std::string name = next().text;
            defines_[name] = readArgument(next());
        } else if (w.text == "%cost") {
            std::vector<Word> words{next(), next(), next()};
            Cost cost = readCost(words, w.line);
            if (words[0].text == "default")
                grammar.defaultCost = cost;
            else
                grammar.costs.emplace_back(words[0].text, cost);
        } else if (w.text == "%section") {
            if (!section.empty()) fail(w.line, "sections do not nest");
            section = next().text;
            if (!grammar.keywords.count(section)) fail(w.line, "unknown module " + section);
        } else if (w.text == "%endsection") {
            if (section.empty()) fail(w.line, "%endsection without %section");
            section.clear();
        } else if (w.text[0] == '%') {
            fail(w.line, "unknown directive " + w.text);
        } else {
            --pos_;
            readRule(grammar, section);
        }
    }
    if (!section.empty()) fail(0, "the section of " + section + " is not closed");
    if (grammar.start.empty()) fail(0, "no %start");
    if (grammar.keywords.empty()) fail(0, "no %keywords");
    return grammar;
}

}  // namespace

GrammarSource readGrammar(const std::string &text, const std::string &fileName)
{
    return Reader(text, fileName).read();
}

}  // namespace grammargen
