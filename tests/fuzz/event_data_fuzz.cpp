/*
 * event_data_fuzz.cpp - libFuzzer harness of the event definition data
 * sets: the input is the event statements of a VORNAK step over the BY
 * groups of T.STORES; the step writes them to T.EVDATA (and its other
 * outputs beside it), which are then read back through the data-set store
 * (the writer's output must be a data set the reader takes whole), and
 * T.EVDATA is read again as the input of the event and date-key readers of
 * both procedures.  An input that starts with a line "%%evdata" is instead
 * T.EVDATA itself ([sidecar LF %% LF] csv after that line), given straight
 * to the readers.  A new output of the step is one statement in kOutputs
 * and one member in kReadBack; a new reader of T.EVDATA is one step in
 * kReaders.
 */
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "eventproc/orvocrdf.h"
#include "platform/parser/source_text.h"
#include "procdriver/orvkeydf.h"
#include "tests/fuzz/fuzz_host.h"

namespace {
constexpr const char *kStep = "VORNAK DATA=T.STORES;\nID date INTERVAL=MONTH;\nVAR sales;\nBY store;\n";
constexpr const char *kOutputs =
    "EVENTDATA OUT=T.EVDATA;\nEVENTDUMMY OUT=T.DUMMY;\nDATEKEYPERIODS OUT=T.PERIODS;\n";
constexpr const char *kReadBack[] = {"EVDATA", "DUMMY", "PERIODS"};
/* The first line of an input that is T.EVDATA itself. */
constexpr const char *kDataSetInput = "%%evdata\n";

/* Steps that take T.EVDATA as their input, each with the module that runs it. */
struct Reader {
    const char *statements;
    void (*entry)();
};
constexpr Reader kReaders[] = {
    {"VORNAK DATA=T.STORES;\nID date INTERVAL=MONTH;\nBY store;\nEVENTDATA IN=T.EVDATA;\n"
     "EVENTDATA OUT=T.AGAIN;\nEVENTDUMMY OUT=T.AGAINDUMMY;\n",
     orvkeydf},
    {"VORNAK DATA=T.STORES;\nID date INTERVAL=MONTH;\nDATEKEYDATA IN=T.EVDATA OUT=T.KEYS;\n"
     "DATEKEYPERIODS OUT=T.KEYPERIODS;\n",
     orvkeydf},
    {"KIVEVENTS DATA=T.STORES;\nID date INTERVAL=MONTH;\nBY store;\nEVENTDATA IN=T.EVDATA;\n"
     "DATEKEYDATA IN=T.EVDATA OUT=T.KIVKEYS;\nEVENTDATA OUT=T.KIVAGAIN;\nEVENTDUMMY OUT=T.KIVDUMMY;\n",
     orvocrdf},
};

void runStatements(const std::string &text, void (*entry)())
{
    orvhost::SourceText source("fuzz.job", text);
    orvfuzz::runStep({&source, 0, text.size()}, entry);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    orvfuzz::resetLibrary();
    std::string_view input(reinterpret_cast<const char *>(data), size);
    if (input.starts_with(kDataSetInput)) {
        input.remove_prefix(std::string_view(kDataSetInput).size());
        orvfuzz::writeDataSet("evdata", input);
    } else {
        std::string text = kStep;
        text.append(input);
        text += "\n;\n";
        text += kOutputs;
        runStatements(text, orvkeydf);
        for (const char *member : kReadBack)
            if (orvfuzz::readBack(member) != 0) __builtin_trap();
    }
    for (const Reader &reader : kReaders) runStatements(reader.statements, reader.entry);
    return 0;
}
