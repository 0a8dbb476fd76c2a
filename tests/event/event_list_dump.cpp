/*
 * event_list_dump.cpp - the dump of an event list (event_list_dump.h).
 */
#include "tests/event/event_list_dump.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "event/event_datasets.h"

namespace orvtest {
namespace {

const char *className(int32_t cls)
{
    switch (cls) {
    case ZTSEV_CLASS_UNSET: return "UNSET";
    case ZTSEV_CLASS_SIMPLE: return "SIMPLE";
    case ZTSEV_CLASS_COMB: return "COMB";
    case ZTSEV_CLASS_PREDEF: return "PREDEF";
    case ZTSEV_CLASS_COMPLEX: return "COMPLEX";
    case ZTSEV_CLASS_PREDEFCOMP: return "PREDEFCOMP";
    case ZTSEV_CLASS_DATEKEY: return "DATEKEY";
    default: return "?";
    }
}

std::string number(double value)
{
    if (std::isnan(value)) return ".";
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

std::string text(const ORV_COUNTED_NAME &name) { return std::string(name.text, size_t(std::max<int16_t>(0, name.length))); }

std::string interval(const ZINT_DESC &desc)
{
    return desc.code == 0 ? "none" : std::string(desc.name, size_t(std::max<int16_t>(0, desc.nameLength)));
}

void dumpGiven(std::ostream &out, const ZTSEV_GIVEN &g)
{
    out << "  given:";
    if (g.typeGiven) out << " type " << g.type;
    if (g.valueGiven) out << " value " << number(g.value);
    if (g.pulseGiven) out << " pulse " << interval(g.pulse);
    if (g.beforeGiven) out << " before " << g.before;
    if (g.afterGiven) out << " after " << g.after;
    if (g.anyDurationGiven) out << " (durations)";
    if (g.shiftGiven) out << " shift " << g.shift;
    if (g.tcParmGiven) out << " tcparm " << number(g.tcParm);
    if (g.slopeBeforeGiven) out << " slope-before " << g.slopeBefore;
    if (g.slopeAfterGiven) out << " slope-after " << g.slopeAfter;
    if (g.anySlopeGiven) out << " (slopes)";
    if (g.ruleGiven) out << " rule " << g.rule;
    if (g.localeGiven) out << " locale '" << text(g.locale) << "'";
    if (g.labelGiven) out << " label '" << std::string(g.label, size_t(g.labelLength)) << "'";
    if (g.periodGiven) out << " period " << interval(g.period);
    out << "\n";
}

void dumpEffective(std::ostream &out, const ZTSEV_EVENT &e)
{
    const ZTSEV_EFFECTIVE &f = e.effective;
    out << "  effective: type " << f.type << " value " << number(f.value) << " pulse "
        << interval(f.pulse) << " before " << f.before << " after " << f.after << " shift " << f.shift
        << " tcparm " << number(f.tcParm) << " rule " << f.rule << " slopes " << f.slopeBefore << " "
        << f.slopeAfter << " period " << interval(f.period) << "\n";
    out << "  label: '" << (e.label != nullptr ? std::string(e.label, size_t(std::max(0, e.labelLength))) : "")
        << "'" << (e.labelSet ? "" : " (not set)") << " locale '" << text(e.locale) << "'\n";
}

void dumpEvent(std::ostream &out, const ZTSEV_EVENT &e)
{
    out << "event " << text(e.name) << ": " << className(e.cls) << "\n";
    if (e.timingCount > 0) {
        out << "  timing " << e.timingCount << " in " << e.runCount << " runs:";
        int64_t i = 0;
        for (int64_t r = 0; r < e.runCount; ++r) {
            out << " (";
            for (int64_t k = 0; k < e.runLengths[r] && i < e.timingCount; ++k, ++i)
                out << (k ? " " : "") << number(e.timingValues[i]) << "/" << number(e.timingKinds[i]);
            out << ")";
        }
        out << "\n";
    }
    if (e.datekeyCount > 0) {
        out << "  date keys:";
        for (int64_t i = 0; i < e.datekeyCount; ++i)
            out << " " << text(e.datekeyNames[i]) << "=" << e.datekeyCodes[i];
        out << "\n";
    }
    if (e.members != nullptr) {
        out << "  members:";
        for (const ZTSEVEventNamelist *m = e.members; m != nullptr; m = m->next) out << " " << text(m->name);
        out << "\n";
    }
    dumpGiven(out, e.given);
    dumpEffective(out, e);
}

void dumpRecords(std::ostream &out, const char *chain, const ZTSEV_DSREC *record)
{
    for (; record != nullptr; record = record->next) {
        out << chain << " " << std::string(record->info.qualified.text, size_t(std::max<int16_t>(0, record->info.qualified.length)))
            << " label '" << std::string(record->info.label.text, size_t(std::max<int16_t>(0, record->info.label.length)))
            << "'";
        if (record->outputMode) out << " mode " << record->outputMode;
        if (record->dropDefaults) out << " condense";
        if (record->summaryRequested) out << " summary " << text(record->summaryName);
        out << "\n";
    }
}

}  // namespace

std::string dumpEventList(const ZTSEV_LIST *list)
{
    std::ostringstream out;
    out << "list kind " << list->kind << ": " << list->eventCount << " events, " << list->dummyCount
        << " dummy columns\n";
    out << "flags: eventdata " << list->eventdataSeen << " in " << list->inGiven << " out " << list->outGiven
        << " eventdummy " << list->dummySeen << " dummy-in " << list->dummyIn << " dummy-out "
        << list->dummyOutGiven << "\n";
    dumpRecords(out, "input", list->inputs);
    dumpRecords(out, "output", list->outputs);
    dumpRecords(out, "dummy output", list->dummyOutputs);
    for (const ZTSEV_EVENT *e = list->first; e != nullptr; e = e->next) dumpEvent(out, *e);
    return out.str();
}

void expectGolden(const std::string &name, const std::string &text)
{
    std::string path = std::string(ORV_SOURCE_DIR) + "/tests/event/golden/" + name + ".txt";
    if (std::getenv("ORV_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(path, std::ios::binary) << text;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    std::stringstream expected;
    expected << in.rdbuf();
    EXPECT_EQ(text, expected.str()) << "golden file " << path;
}

}  // namespace orvtest
