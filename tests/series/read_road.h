/*
 * read_road.h - a test-only driver of the time-series layer's own read road
 * (not shipped): it binds a context, describes the input through the
 * operations vector, sets it up and then, per BY group, reads, accumulates
 * and fetches the series exactly as a procedure would, against data sets of
 * the platform's data-set store in a scratch library T.
 *
 * Exports: SeriesLibrary (the scratch library), RoadAux, RoadSettings,
 * RoadGroup, RoadResult, variableNumber, openInput, runReadRoad.
 */
#ifndef ORV_TESTS_SERIES_READ_ROAD_H
#define ORV_TESTS_SERIES_READ_ROAD_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/missing_values.h"
#include "series/series_context.h"

namespace orvtest {

/* A scratch directory assigned as library T of the module host, removed
 * with the object. */
class SeriesLibrary {
public:
    SeriesLibrary();
    ~SeriesLibrary();
    SeriesLibrary(const SeriesLibrary &) = delete;
    SeriesLibrary &operator=(const SeriesLibrary &) = delete;

    /* Writes T.member: the CSV text and its description (sidecar JSON). */
    void write(const std::string &member, const std::string &csv, const std::string &sidecar) const;

    /* The text of a file of the library ("" when it cannot be read). */
    std::string read(const std::string &file) const;

private:
    std::string dir_;
};

/* An auxiliary data set read beside the primary: T.<member> and the
 * variables taken from it (after the primary's). */
struct RoadAux {
    std::string member;
    std::vector<std::string> vars;
};

/* What the driver sets through the operations vector. */
struct RoadSettings {
    std::string member;
    std::vector<std::string> by;
    std::string id;               /* empty: no ID variable */
    std::vector<std::string> vars;
    std::vector<int32_t> roles;   /* per variable; missing entries are 0 */
    std::string interval;         /* empty: no interval */
    char alignment = 'B';
    int accumulate = 0;           /* ZTS_ACCUM, for slot 11 and slot 15 */
    int setMissing = 0;           /* zinttis code or ZTS_SETMISS_VALUE */
    double setMissingValue = 0;
    int zeroMiss = 0;
    double start = orvMissing(), end = orvMissing(), horizon = orvMissing();
    int32_t unsortedOk = 0;
    int64_t lead = 0;
    bool ownRead = false;         /* read through the handle's own routine */
    bool timing = false;          /* ZTSSetIOTiming before the set-up */
    /* Accumulates the variables in this order (default: 0, 1, ...). */
    std::vector<int64_t> accumulateOrder;
    /* Auxiliary data sets: the context is then bound to the auxiliary
     * reader, and a failing series access is recorded, not asserted. */
    std::vector<RoadAux> aux;
    /* Called after each group's series were fetched, with the context. */
    std::function<void(ZTS_PROC &)> afterGroup;
};

/* What one BY group gave. */
struct RoadGroup {
    int readStatus = 0;
    int accumulateStatus = 0;
    int leadStatus = 0;
    int64_t obsCount = 0, nonMissingObs = 0, duplicates = 0, gaps = 0;
    int64_t startOffset = 0, endOffset = 0;
    double minId = 0, maxId = 0, firstAligned = 0, lastAligned = 0;
    uint8_t minMaxChanged = 0;
    std::vector<double> rawIds;                /* raw time IDs kept */
    std::vector<int64_t> obsIndex;             /* time slot per observation */
    std::vector<double> timeIds;               /* final time IDs (with the lead ones) */
    std::vector<std::vector<double>> raw;      /* per variable, obsCount values */
    std::vector<std::vector<double>> acc;      /* per variable, one per time ID */
    std::vector<ZTS_VAR> vars;
    std::vector<int> getVarStatus, getAccVarStatus;  /* per variable */
    /* The data set the context's auxInfo names as failed (0 the primary,
     * i the auxiliary i, -1 none) and the name recorded with it. */
    int failedDataSet = -1;
    std::string failedName;
};

struct RoadResult {
    int bindStatus = -1;
    int dataInfoStatus = -1;
    int setupStatus = -1;
    int comInitStatus = -1;
    std::vector<RoadGroup> groups;
    int64_t timingA = 0, timingB = 0;
};

/* The number of variable `name` of an open data set (a gtest failure
 * when it is absent), and T.<member> opened for input. */
int variableNumber(DATA_SET_HANDLE *handle, const std::string &name);
DATA_SET_HANDLE *openInput(const std::string &member);

/* Runs the read road over T.<settings.member>.  Failures of the driver's
 * own steps (opening, finding variables) are reported through gtest. */
RoadResult runReadRoad(const RoadSettings &settings);

}  // namespace orvtest

#endif
