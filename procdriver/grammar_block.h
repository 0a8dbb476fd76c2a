/*
 * grammar_block.h - builds a module's grammar control block from its header
 * record and its fifteen generated tables (shared by datekg and kivevg).
 *
 * Exports: ORV_GRAMMAR_BLOCK_FLAGS, orvGrammarHeader, orvMakeGrammarBlock.
 */
#ifndef ORV_PROCDRIVER_GRAMMAR_BLOCK_H
#define ORV_PROCDRIVER_GRAMMAR_BLOCK_H

#include <cstring>

#include "host/host_records.h"
#include "host/parser_glue.h"
#include "host/services.h"

/* Allocation flags of the grammar block. */
constexpr int ORV_GRAMMAR_BLOCK_FLAGS = 0x2004;

/* The header record of a module's grammar G (a generated Grammar type): the
 * counts of its tables, the constants 1, 127, 63 and 19, every pointer and
 * callback word 0. */
template <class G>
constexpr GRAMMAR_BLOCK orvGrammarHeader()
{
    GRAMMAR_BLOCK header{};
    header.version = 1;
    header.symbolCountPlusOne = uint16_t(G::symbolCount + 1);
    header.symbolCount = uint16_t(G::symbolCount);
    header.parseListLength = uint16_t(G::parseListLength);
    header.word127 = 127;
    header.word63 = 63;
    header.insertTableLength = uint16_t(G::insertTableLength);
    header.tokenClassCount = ORV_TOKEN_CLASS_COUNT;
    return header;
}

/*
 * A new grammar block from the global memory object: a copy of header with
 * the addresses of G's fifteen tables filled in.  When the host asks for it
 * (wztxdotr), the symbol table is fixed up with xsfixsym(19, symbol count,
 * symbol-table bytes, &block).  A failed allocation writes the host's
 * out-of-memory message and ends the step with xexit(1016, 0).
 */
template <class G>
GRAMMAR_BLOCK *orvMakeGrammarBlock(const GRAMMAR_BLOCK &header)
{
    void *memory = vmalcp_handler(v_global_gcb_anchor->globalMemory, sizeof(GRAMMAR_BLOCK),
                                  ORV_GRAMMAR_BLOCK_FLAGS);
    if (memory == nullptr) {
        xmemmsg(xmemdef());
        xexit(ORV_RC_OUT_OF_MEMORY, 0);
    }
    auto *block = static_cast<GRAMMAR_BLOCK *>(memory);
    std::memcpy(block, &header, sizeof(GRAMMAR_BLOCK));
    block->prdlst = G::prdlstTable;
    block->prdndx = G::prdndxTable;
    block->lhstbl = G::lhstblTable;
    block->prslst = G::prslstTable;
    block->prsndx = G::prsndxTable;
    block->actmap = G::actmapTable;
    block->argndx = G::argndxTable;
    block->argtbl = G::argtblTable;
    block->symtbl = G::symtblTable;
    block->symndx = G::symndxTable;
    block->symmap = G::symmapTable;
    block->delcost = G::delcostTable;
    block->inscost = G::inscostTable;
    block->insndx = G::insndxTable;
    block->instbl = G::instblTable;
    if ((wztxdotr() & 0xFFFF) != 0) {
        xsfixsym(ORV_TOKEN_CLASS_COUNT, G::symbolCount, G::symbolTableBytes, &memory);
        block = static_cast<GRAMMAR_BLOCK *>(memory);
    }
    return block;
}

#endif
