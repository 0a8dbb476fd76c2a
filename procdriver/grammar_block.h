/*
 * grammar_block.h - builds a module's grammar control block from its header
 * record and its fifteen generated tables (shared by datekg and kivevg).
 *
 * Exports: GRAMMAR_TABLE_SET, ORV_GRAMMAR_BLOCK_FLAGS, orvGrammarHeader,
 * orvMakeGrammarBlock.
 */
#ifndef ORV_PROCDRIVER_GRAMMAR_BLOCK_H
#define ORV_PROCDRIVER_GRAMMAR_BLOCK_H

#include <cstring>

#include "host/host_records.h"
#include "host/parser_glue.h"
#include "host/services.h"

/* Allocation flags of the grammar block. */
constexpr int ORV_GRAMMAR_BLOCK_FLAGS = 0x2004;

/* The fifteen tables, in the order of the block's pointer words. */
struct GRAMMAR_TABLE_SET {
    const int16_t *prdlst, *prdndx, *lhstbl, *prslst, *prsndx, *actmap, *argndx, *argtbl;
    const uint8_t *symtbl;
    const int16_t *symndx, *symmap;
    const uint8_t *delcost, *inscost;
    const int16_t *insndx, *instbl;
};

/* The header record of a module's grammar: the counts of its tables, the
 * constants 1, 127, 63 and 19, every pointer and callback word 0. */
constexpr GRAMMAR_BLOCK orvGrammarHeader(int symbolCount, int parseListLength,
                                         int insertTableLength)
{
    GRAMMAR_BLOCK header{};
    header.version = 1;
    header.symbolCountPlusOne = uint16_t(symbolCount + 1);
    header.symbolCount = uint16_t(symbolCount);
    header.parseListLength = uint16_t(parseListLength);
    header.word127 = 127;
    header.word63 = 63;
    header.insertTableLength = uint16_t(insertTableLength);
    header.tokenClassCount = ORV_TOKEN_CLASS_COUNT;
    return header;
}

/*
 * A new grammar block from the global memory object: a copy of header with
 * the table addresses filled in.  When the host asks for it (wztxdotr), the
 * symbol table is fixed up with xsfixsym(19, symbolCount, symbolBytes,
 * &block).  A failed allocation ends the step with xexit(1016, 0).
 */
inline GRAMMAR_BLOCK *orvMakeGrammarBlock(const GRAMMAR_BLOCK &header,
                                          const GRAMMAR_TABLE_SET &tables, int symbolCount,
                                          int symbolBytes)
{
    void *memory = vmalcp_handler(v_global_gcb_anchor->globalMemory, sizeof(GRAMMAR_BLOCK),
                                  ORV_GRAMMAR_BLOCK_FLAGS);
    if (memory == nullptr) xexit(ORV_RC_OUT_OF_MEMORY, 0);
    auto *block = static_cast<GRAMMAR_BLOCK *>(memory);
    std::memcpy(block, &header, sizeof(GRAMMAR_BLOCK));
    block->prdlst = tables.prdlst;
    block->prdndx = tables.prdndx;
    block->lhstbl = tables.lhstbl;
    block->prslst = tables.prslst;
    block->prsndx = tables.prsndx;
    block->actmap = tables.actmap;
    block->argndx = tables.argndx;
    block->argtbl = tables.argtbl;
    block->symtbl = tables.symtbl;
    block->symndx = tables.symndx;
    block->symmap = tables.symmap;
    block->delcost = tables.delcost;
    block->inscost = tables.inscost;
    block->insndx = tables.insndx;
    block->instbl = tables.instbl;
    if ((wztxdotr() & 0xFFFF) != 0) {
        xsfixsym(ORV_TOKEN_CLASS_COUNT, symbolCount, symbolBytes, &memory);
        block = static_cast<GRAMMAR_BLOCK *>(memory);
    }
    return block;
}

#endif
