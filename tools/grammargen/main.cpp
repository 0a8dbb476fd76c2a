/*
 * main.cpp - orvgrammargen, the build tool that turns the grammar source
 * into one module's parse tables.
 *
 *   orvgrammargen GRAMMAR MODULE NAMESPACE HEADER SOURCE [LISTING]
 *
 * Writes HEADER and SOURCE (C++ in namespace NAMESPACE) and, when given, a
 * readable LISTING.  Exit status 0 on success; 1 with a message naming the
 * grammar file and line for any fault of the grammar (an LL(1) conflict, a
 * keyword outside the module's symbol list, ...), so the build stops.
 */
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "tools/grammargen/grammar.h"

namespace {

bool writeFile(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return bool(out);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 6 && argc != 7) {
        std::cerr << "usage: orvgrammargen GRAMMAR MODULE NAMESPACE HEADER SOURCE [LISTING]\n";
        return 2;
    }
    std::string grammarFile = argv[1], module = argv[2], space = argv[3];
    std::ifstream in(grammarFile, std::ios::binary);
    if (!in) {
        std::cerr << "orvgrammargen: cannot read " << grammarFile << "\n";
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    /* The build runs this from the top of the source tree, so the name as
     * given is the path a reader should edit. */
    const std::string &shownName = grammarFile;
    try {
        grammargen::GrammarSource grammar = grammargen::readGrammar(text.str(), grammarFile);
        grammargen::ModuleTables tables = grammargen::buildModuleTables(grammar, module);
        std::ostringstream header, source;
        std::string headerName = std::filesystem::path(argv[4]).filename().string();
        grammargen::writeHeader(header, tables, space, shownName);
        grammargen::writeSource(source, tables, space, shownName, headerName);
        bool ok = writeFile(argv[4], header.str()) && writeFile(argv[5], source.str());
        if (argc == 7) {
            std::ostringstream listing;
            grammargen::writeListing(listing, tables);
            ok = ok && writeFile(argv[6], listing.str());
        }
        if (!ok) {
            std::cerr << "orvgrammargen: cannot write the tables\n";
            return 1;
        }
    } catch (const grammargen::GrammarError &error) {
        std::cerr << error.text() << "\n";
        return 1;
    }
    return 0;
}
