/*
 * tiny_grammar.h - small grammars for the generator and parser tests: the
 * preamble every grammar source needs, and a grammar block made from
 * generated tables held in memory.
 */
#ifndef ORV_TESTS_PARSER_TINY_GRAMMAR_H
#define ORV_TESTS_PARSER_TINY_GRAMMAR_H

#include <string>

#include "host/host_records.h"
#include "tools/grammargen/grammar.h"

namespace orvtest {

/* Token classes, punctuation, two modules (TINY with keywords A, B and
 * TINY$; SMALL without B) and the action names. */
inline std::string tinyPreamble()
{
    return "%tokens ENDJB NAMEX QS INT NBR COMPOUND FMT DATE TIME DATETIME MISSING VLITERAL\n"
           "  CATNAME ORVDS RESERVED1 RESERVED2 RESERVED3 RESERVED4 RESERVED5\n"
           "%punctuation ( ) , - / : =\n"
           "%keywords TINY TINY$ B A %end\n"
           "%keywords SMALL from TINY -B %end\n"
           "%action begin 1\n%action append 2\n%action end 3\n%action store 6\n"
           "%action timing 41\n%define NUMBER 1\n"
           "%start step\n";
}

/* A grammar block over tables held by the caller. */
inline GRAMMAR_BLOCK blockOf(const grammargen::ModuleTables &t)
{
    GRAMMAR_BLOCK block{};
    block.version = 1;
    block.symbolCount = uint16_t(t.symbols.size());
    block.symbolCountPlusOne = uint16_t(t.symbols.size() + 1);
    block.parseListLength = uint16_t(t.prslst.size());
    block.prdlst = t.prdlst.data();
    block.prdndx = t.prdndx.data();
    block.lhstbl = t.lhstbl.data();
    block.prslst = t.prslst.data();
    block.prsndx = t.prsndx.data();
    block.actmap = t.actmap.data();
    block.argndx = t.argndx.data();
    block.argtbl = t.argtbl.data();
    block.symtbl = t.symtbl.data();
    block.symndx = t.symndx.data();
    block.symmap = t.symbolKinds.data();
    block.delcost = t.delcost.data();
    block.inscost = t.inscost.data();
    block.insndx = t.insndx.data();
    block.instbl = t.instbl.data();
    block.word127 = 127;
    block.word63 = 63;
    block.insertTableLength = uint16_t(t.instbl.size());
    block.tokenClassCount = ORV_TOKEN_CLASS_COUNT;
    return block;
}

}  // namespace orvtest

#endif
