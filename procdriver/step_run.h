/*
 * step_run.h - the run of one procedure step, shared by both modules: start-
 * up, parsing and option reading, input set-up, list finishing, the BY-group
 * loop and the end-of-step outputs.  What a module does otherwise is a
 * KIV_MODULE parameter.
 *
 * Exports: KIV_MODULE, kivRunStep.
 */
#ifndef ORV_PROCDRIVER_STEP_RUN_H
#define ORV_PROCDRIVER_STEP_RUN_H

#include "host/host_records.h"
#include "procdriver/proc_state.h"

/* One module's part in the step run. */
struct KIV_MODULE {
    GRAMMAR_BLOCK *(*grammar)();       /* datekg or kivevg */
    void (*readOptions)(PROC_STATE *); /* datekpar or kivevpar */
    bool startNote;                    /* note (883, 600) after the options */
    bool dateKeyList;                  /* the event list is finished as a date-key
                                          list (kind 2); else it keeps its kind */
    bool periodsOutput;                /* each group's date-key periods */
    KIV_MESSAGES messages;             /* of the shared steps and the no-group note */
};

/*
 * Runs one step of the module: xinit, the event library's start, the parse
 * with module.grammar, module.readOptions, the input set-up, the finished
 * (and, with SORTNAMES, sorted) events and their group events, the output
 * columns, every BY group read and run, the note (noGroup, 455) when no
 * group was read while EVENTDUMMY OUT= was asked for, and the EVENTDATA
 * OUT= data sets (in the event module also the DATEKEYDATA OUT= data sets
 * of its date-key list).  Ends through xexit with the step's return code.
 */
[[noreturn]] void kivRunStep(const KIV_MODULE &module);

#endif
