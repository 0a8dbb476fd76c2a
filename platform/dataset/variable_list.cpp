/*
 * variable_list.cpp - resolving a variable list (see variable_list.h).
 */
#include "platform/dataset/variable_list.h"

#include <algorithm>
#include <cctype>

namespace orvhost {
namespace {

std::string upper(std::string text)
{
    for (char &c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

/* Splits a numbered name into its stem and number ("X12" -> "X", 12);
 * false when it does not end in digits. */
bool splitNumbered(const std::string &name, std::string &stem, long &number)
{
    size_t digits = name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
    if (digits == name.size() || digits == 0 || name.size() - digits > 9) return false;
    stem = name.substr(0, digits);
    number = std::stol(name.substr(digits));
    return true;
}

class Resolver {
public:
    Resolver(const DataSet &dataSet, bool numericOnly, int excluded, std::vector<int32_t> &out, std::string &problem)
        : dataSet_(dataSet), numericOnly_(numericOnly), excluded_(excluded), out_(out), problem_(problem)
    {
    }

    bool item(const std::string &text)
    {
        const auto &vars = dataSet_.variables();
        if (text == "_ALL_") return group(1, int(vars.size()), Kind::Any);
        if (text == "_NUMERIC_") return group(1, int(vars.size()), Kind::Numeric);
        if (text == "_CHARACTER_") return group(1, int(vars.size()), Kind::Character);
        if (!text.empty() && text.back() == ':') {
            const std::string prefix = text.substr(0, text.size() - 1);
            for (size_t i = 0; i < vars.size(); ++i)
                if (upper(vars[i].name).rfind(prefix, 0) == 0) groupMember(int(i + 1), Kind::Any);
            return true;
        }
        for (const auto &[infix, kind] : {std::pair{"-NUMERIC-", Kind::Numeric}, std::pair{"-CHARACTER-", Kind::Character},
                                          std::pair{"--", Kind::Any}}) {
            const size_t at = text.find(infix);
            if (at == std::string::npos) continue;
            const int first = number(text.substr(0, at)), last = number(text.substr(at + std::string(infix).size()));
            if (first == 0 || last == 0) return false;
            if (first > last) return fail("The variable list " + text + " runs backwards in " + dataSet_.qualifiedName() + ".");
            return group(first, last, kind);
        }
        const size_t dash = text.find('-');
        if (dash != std::string::npos) return numbered(text.substr(0, dash), text.substr(dash + 1));
        const int n = number(text);
        return n != 0 && single(n);
    }

private:
    enum class Kind { Any, Numeric, Character };

    bool fail(std::string text)
    {
        problem_ = std::move(text);
        return false;
    }

    int number(const std::string &name)
    {
        const int n = dataSet_.findVariable(name);
        if (n == 0) fail("The variable " + name + " is not in " + dataSet_.qualifiedName() + ".");
        return n;
    }

    void add(int n)
    {
        if (std::find(out_.begin(), out_.end(), n) == out_.end()) out_.push_back(n);
    }

    bool single(int n)
    {
        const Variable &v = *dataSet_.variable(n);
        if (numericOnly_ && v.type != VariableType::Numeric)
            return fail("The variable " + v.name + " of " + dataSet_.qualifiedName() +
                        " is not numeric; the variable list takes numeric variables only.");
        add(n);
        return true;
    }

    void groupMember(int n, Kind kind)
    {
        const Variable &v = *dataSet_.variable(n);
        const bool numeric = v.type == VariableType::Numeric;
        if (n == excluded_ || (kind == Kind::Numeric && !numeric) || (kind == Kind::Character && numeric)) return;
        if (numericOnly_ && !numeric) return;
        add(n);
    }

    bool group(int first, int last, Kind kind)
    {
        for (int n = first; n <= last; ++n) groupMember(n, kind);
        return true;
    }

    bool numbered(const std::string &from, const std::string &to)
    {
        std::string stemFrom, stemTo;
        long a = 0, b = 0;
        if (!splitNumbered(from, stemFrom, a) || !splitNumbered(to, stemTo, b) || stemFrom != stemTo || a > b)
            return fail("The numbered range " + from + "-" + to + " is not of the form X1-X3.");
        for (long k = a; k <= b; ++k) {
            const int n = number(stemFrom + std::to_string(k));
            if (n == 0 || !single(n)) return false;
        }
        return true;
    }

    const DataSet &dataSet_;
    bool numericOnly_;
    int excluded_;
    std::vector<int32_t> &out_;
    std::string &problem_;
};

}  // namespace

bool resolveVariableList(const DataSet &dataSet, const std::vector<std::string> &items, bool numericOnly,
                         int excludedNumber, std::vector<int32_t> &out, std::string &problem)
{
    out.clear();
    Resolver resolver(dataSet, numericOnly, excludedNumber, out, problem);
    for (const std::string &item : items)
        if (!resolver.item(item)) return false;
    return true;
}

}  // namespace orvhost
