/*
 * event_parse.cpp - the walk over the parsed statements (ZTSEVParse) and
 * the data-set statements EVENTDATA and EVENTDUMMY (event_statements.h).
 */
#include "event/event_statements.h"

#include <cstring>

#include "event/event_datasets.h"
#include "event/event_list.h"
#include "event/statement_options.h"
#include "host/parser_glue.h"

namespace {

/* Event statements by the 6th and 7th characters of their names. */
enum class Statement { None, Data, Def, Dummy, Key, Comb, Group };

Statement statementOf(const STATEMENT_NODE *node)
{
    if (node->nameLength < 7 || std::memcmp(node->name, "EVENT", 5) != 0 || node->options == nullptr ||
        node->slotCount < ZTSEV_STATEMENT_SLOTS)
        return Statement::None;
    char sixth = node->name[5], seventh = node->name[6];
    if (sixth == 'D') {
        if (seventh == 'A') return Statement::Data;
        if (seventh == 'E') return Statement::Def;
        if (seventh == 'U') return Statement::Dummy;
        return Statement::None;
    }
    if (sixth == 'K') return Statement::Key;
    if (sixth == 'C') return Statement::Comb;
    if (sixth == 'G') return Statement::Group;
    return Statement::None;
}

/* The output operation of list: the date-key one for a date-key list. */
void addOutput(ZTSEV_LIST *list, const STATEMENT_NODE *statement, int kind, MEMORY_OBJECT *pool)
{
    if (list->kind == ZTSEV_LIST_DATEKEYS)
        ZTSDKGetOutputDsn(list, statement->options, statement->optionBits[0], kind, pool);
    else
        ZTSEVGetOutputDsn(list, statement->options, statement->optionBits[0], kind, pool);
}

}  // namespace

int ZTSEVGetEventdata(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool)
{
    if (statement->optionBits[0] & ZTSEV_FLAG1_OUT) {
        list->outGiven = 1;
        addOutput(list, statement, 1, pool);
    }
    if (statement->optionBits[0] & ZTSEV_FLAG1_IN) {
        list->inGiven = 1;
        ZTSEVGetInputDsn(list, statement->options, 1, pool);
    }
    return 0;
}

int ZTSEVGetEventdummy(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool)
{
    if (statement->optionBits[0] & ZTSEV_FLAG1_OUT) {
        list->dummyOutGiven = 1;
        addOutput(list, statement, 2, pool);
    }
    if (statement->optionBits[0] & ZTSEV_FLAG1_IN) list->dummyIn = 1;
    return 0;
}

ZTSEV_LIST *ZTSEVParse(ZTSEV_LIST *list, MEMORY_OBJECT *pool)
{
    if (list == nullptr) {
        list = ZTSEVNewEventList(pool);
        pool = list->currentPool;
    } else {
        findpool(&pool, list);
    }
    const STATEMENT_NODE *procedure = orvParseControl()->statement;
    const STATEMENT_NODE *first = procedure != nullptr ? procedure->next : nullptr;
    for (const STATEMENT_NODE *s = first; s != nullptr; s = s->next)
        if (statementOf(s) == Statement::Data) {
            list->eventdataSeen = 1;
            ZTSEVGetEventdata(s, list, pool);
        }
    ZTSEVdsindata(list);
    for (ZTSEV_DSREC *record = list->inputs; record != nullptr; record = record->next)
        ZTSEVGetEVData(list, record);
    for (const STATEMENT_NODE *s = first; s != nullptr; s = s->next) {
        switch (statementOf(s)) {
        case Statement::Def: ZTSEVGetEventDef(s, list, pool); break;
        case Statement::Dummy:
            list->dummySeen = 1;
            ZTSEVGetEventdummy(s, list, pool);
            break;
        case Statement::Key: ZTSEVGetEventKey(s, list, pool); break;
        default: break;
        }
    }
    for (const STATEMENT_NODE *s = first; s != nullptr; s = s->next)
        if (statementOf(s) == Statement::Comb) ZTSEVGetEventComb(s, list, pool);
    for (const STATEMENT_NODE *s = first; s != nullptr; s = s->next)
        if (statementOf(s) == Statement::Group) ZTSEVGetEventGroup(s, list, pool);
    return list;
}
