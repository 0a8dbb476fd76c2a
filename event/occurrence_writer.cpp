/*
 * occurrence_writer.cpp - occurrences of one event into its dummy series,
 * long pieces held and merged in one pass (see occurrence_writer.h).
 */
#include "event/occurrence_writer.h"

#include <algorithm>
#include <cmath>

#include "event/event_rules.h"
#include "event/event_shapes.h"
#include "event/event_support.h"
#include "host/missing_values.h"
#include "host/numeric_utils.h"

namespace {

/* Pieces shorter than this many observations are merged as they come. */
constexpr int64_t kShortPiece = 16;


bool shortPiece(int64_t lo, int64_t hi) { return hi - lo < kShortPiece; }

/* Rules under which values merge in any order to the same result. */
bool orderFree(int rule)
{
    return rule == ZTSEV_RULE_MAX || rule == ZTSEV_RULE_MIN || rule == ZTSEV_RULE_MINNZ ||
           rule == ZTSEV_RULE_AND || rule == ZTSEV_RULE_OR;
}

/* A number with the sign a ramp's values have, unless 0: v's, but -v's
 * when both sides are ALL and the ramp rises to its reference and falls
 * after it. */
double rampSign(const ZTSEV_EFFECTIVE &q)
{
    const bool bothAll = q.before == 0 && q.after == 0;
    const bool peak = q.slopeBefore == ZTSEV_SLOPE_GROWTH && q.slopeAfter == ZTSEV_SLOPE_DECAY;
    return bothAll && peak ? -q.value : q.value;
}

}  // namespace

ZTSEVOccurrenceWriter::ZTSEVOccurrenceWriter(const ZTSEV_EVENT *event, const ZTSEV_SERIES *series, double *values,
                                             MEMORY_OBJECT *scratch, int64_t directPasses)
    : event_(event), series_(series), values_(values), scratch_(scratch), directPasses_(directPasses),
      rampSign_(rampSign(event->effective)), folds_(series->count, event->effective.rule, rampSign_, scratch),
      repeated_(event->effective.rule, event->effective.value, scratch), pending_(series->count, &repeated_, scratch)
{
    const ZTSEV_EFFECTIVE &q = event->effective;
    const bool pulse = q.type == ZTSEV_TYPE_POINT || q.type == ZTSEV_TYPE_LS;
    const bool ramp = q.type == ZTSEV_TYPE_RAMP || q.type == ZTSEV_TYPE_TR;
    byPieces_ = (pulse || ramp || q.type == ZTSEV_TYPE_TC) && q.rule >= ZTSEV_RULE_ADD && q.rule <= ZTSEV_RULE_OR;
    /* Under MINMAG a ramp's values commute while they have one sign: two
     * of one magnitude are then the same value. */
    signedRamp_ = ramp && q.rule == ZTSEV_RULE_MINMAG && q.value != 0;
    levelsCommute_ = pulse || orderFree(q.rule) || signedRamp_;
    exactAdd_ = ramp && q.rule == ZTSEV_RULE_ADD;
    /* The vanished terms of a temporary change are merged as a level 0,
     * which they equal bit for bit only for a finite value. */
    const bool finiteValue = std::isfinite(q.value) && !orvIsMissing(q.value);
    vanishesFrom_ = q.type == ZTSEV_TYPE_TC && finiteValue ? zpowerVanishesFrom(q.tcParm) : -1;
    directLeft_ = directPasses_ * series->count;
}

int ZTSEVOccurrenceWriter::pieces(double value, int kind, const ZTSEV_EVENT *key, ZTSEVShapePieces *out) const
{
    switch (event_->effective.type) {
    case ZTSEV_TYPE_RAMP:
    case ZTSEV_TYPE_TR: return ztsevRampPieces(value, kind, event_, key, series_, out);
    case ZTSEV_TYPE_TC: return ztsevTcPieces(value, kind, event_, key, series_, out);
    default: {
        int64_t lo = 0, hi = -1;
        const int rc = ztsevPulseRange(value, kind, event_, key, series_, &lo, &hi);
        out->count = 0;
        if (rc == 0) out->level(lo, hi, event_->effective.value);
        return rc;
    }
    }
}

int ZTSEVOccurrenceWriter::add(double value, int kind, const ZTSEV_EVENT *key)
{
    if (!byPieces_) return ZTSEVDate2Shape(value, kind, event_, key, series_, values_);
    ZTSEVShapePieces shape;
    const int rc = pieces(value, kind, key, &shape);
    if (rc != 0) return rc;
    if (directLeft_ > 0) {
        const int64_t length = ztsevPiecesLength(shape, series_->count);
        if (length <= directLeft_) {
            directLeft_ -= length;
            return ztsevPutPieces(values_, series_->count, event_->effective, shape);
        }
        directLeft_ = 0;
    }
    int status = 0;
    for (int k = 0; k < shape.count; ++k) {
        const int placed = place(shape.piece[k]);
        if (placed != 0 && placed != ZTSEV_TC_OUTSIDE) status = placed;
    }
    return status;
}

int ZTSEVOccurrenceWriter::place(const ZTSEVShapePiece &piece)
{
    switch (piece.form) {
    case ZTSEV_PIECE_LEVEL: return placeLevel(piece.lo, piece.hi, piece.scale);
    case ZTSEV_PIECE_POWER: return placePower(piece);
    default:
        /* A line of factor 0 is 0 throughout. */
        if (piece.scale == 0) return placeLevel(piece.lo, piece.hi, 0.0);
        if (signedRamp_ && !inOrder_ && !rampSigned(piece)) {
            /* Values of either sign: what is held goes first, and the rest
             * of the batch is merged in order, as another sweep over the
             * series for each such line would cost more than that. */
            mergeHeld();
            inOrder_ = true;
        }
        if (inOrder_) return placeInOrder(piece);
        if (event_->effective.rule == ZTSEV_RULE_MINNZ && piece.ref >= piece.lo && piece.ref <= piece.hi)
            return placeSplitLine(piece);
        if (!shortPiece(piece.lo, piece.hi) && folds_.add(piece)) return 0;
        if (exactSums() && exact_.addLine(piece.lo, piece.hi, piece.scale, piece.ref, piece.divisor)) return 0;
        return placeInOrder(piece);
    }
}

int ZTSEVOccurrenceWriter::placeSplitLine(const ZTSEVShapePiece &line)
{
    /* Under MINNZ the parts of a line either side of its 0 fold apart;
     * the 0 itself is a level 0 (the value there is 0 or -0, which merge
     * alike). */
    ZTSEVShapePiece before = line, after = line;
    before.hi = line.ref - 1;
    after.lo = line.ref + 1;
    const int zero = placeLevel(line.ref, line.ref, 0.0);
    const int first = before.lo <= before.hi ? place(before) : 0;
    const int second = after.lo <= after.hi ? place(after) : 0;
    return second != 0 ? second : first != 0 ? first : zero;
}

bool ZTSEVOccurrenceWriter::rampSigned(const ZTSEVShapePiece &line) const
{
    /* scale * (i - ref) has the ramp's sign where i - ref has the sign of
     * scale over it. */
    return (line.scale > 0) == (rampSign_ > 0) ? line.lo >= line.ref : line.hi <= line.ref;
}

int ZTSEVOccurrenceWriter::placeLevel(int64_t lo, int64_t hi, double level)
{
    if (lo > hi) return 0;
    const int rule = event_->effective.rule;
    if (level == 0) {
        if (shortPiece(lo, hi)) return ztsevPutRange(values_, series_->count, lo, hi, rule, 0.0);
        count(zeros_, lo, hi);
        return 0;
    }
    if (levelsCommute_ && !inOrder_ && level == event_->effective.value) {
        if (shortPiece(lo, hi)) return ztsevPutRange(values_, series_->count, lo, hi, rule, level);
        count(levels_, lo, hi);
        return 0;
    }
    if (exactSums() && exact_.addLevel(lo, hi, level)) return 0;
    if (level == event_->effective.value && !shortPiece(lo, hi) && exactState_ != kExactHeld) {
        pending_.add(lo, hi);
        return 0;
    }
    return placeInOrder({ZTSEV_PIECE_LEVEL, lo, hi, level, 0, 1.0, 0});
}

int ZTSEVOccurrenceWriter::placePower(const ZTSEVShapePiece &piece)
{
    /* A decaying run with |p| < 1: from exponent vanishesFrom_ on its
     * terms are 0, merged as a level 0; the terms before are the same for
     * every occurrence, and worked out once. */
    if (piece.sign != 1 || vanishesFrom_ < 0 || piece.hi < piece.lo) return placeInOrder(piece);
    const int64_t n = series_->count;
    const int64_t headLength = std::clamp<int64_t>(vanishesFrom_ - piece.ref, 0, piece.hi - piece.lo + 1);
    const ZTSEV_EFFECTIVE &q = event_->effective;
    int status = 0;
    for (int64_t i = std::max<int64_t>(piece.lo, 0); i <= std::min(piece.lo + headLength - 1, n - 1); ++i)
        values_[i] = ZTSEVValueFromRule(q.rule, &status, values_[i], tcTerm(piece.ref + (i - piece.lo)));
    return placeLevel(std::max<int64_t>(piece.lo + headLength, 0), std::min(piece.hi, n - 1), 0.0);
}

double ZTSEVOccurrenceWriter::tcTerm(int64_t k)
{
    const ZTSEV_EFFECTIVE &q = event_->effective;
    if (k < 0 || k >= std::min(vanishesFrom_, series_->count)) return ztsevTcTerm(q.value, q.tcParm, k);
    if (tcTerms_ == nullptr) {
        const int64_t count = std::min(vanishesFrom_, series_->count);
        tcTerms_ = static_cast<double *>(ztsevAllocArray(scratch_, count, sizeof(double)));
        for (int64_t j = 0; j < count; ++j) tcTerms_[j] = ztsevTcTerm(q.value, q.tcParm, j);
    }
    return tcTerms_[k];
}

int ZTSEVOccurrenceWriter::placeInOrder(const ZTSEVShapePiece &piece)
{
    /* Held sums and levels go first: what follows is merged after them. */
    if (exactState_ == kExactHeld) exact_.apply(values_);
    if (exactAdd_) exactState_ = kExactOff;
    pending_.settle(values_, piece.lo, piece.hi);
    return ztsevPutPiece(values_, series_->count, event_->effective, piece);
}

bool ZTSEVOccurrenceWriter::exactSums()
{
    if (!exactAdd_ || exactState_ == kExactOff) return false;
    if (exactState_ == kExactUnknown)
        exactState_ = exact_.start(values_, series_->count, event_->effective.value, scratch_) ? kExactHeld : kExactOff;
    return exactState_ == kExactHeld;
}

void ZTSEVOccurrenceWriter::count(Counts &counts, int64_t lo, int64_t hi)
{
    if (counts.changes == nullptr)
        counts.changes = static_cast<int64_t *>(ztsevAllocArray(scratch_, series_->count + 1, sizeof(int64_t)));
    ++counts.changes[lo];
    --counts.changes[hi + 1];
    counts.pending = true;
}

void ZTSEVOccurrenceWriter::mergeHeld()
{
    if (exactState_ == kExactHeld) exact_.apply(values_);
    exactState_ = kExactUnknown;
    pending_.settleAll(values_);
    folds_.apply(values_);
    mergeLevels();
    mergeZeros();
}

void ZTSEVOccurrenceWriter::finish()
{
    mergeHeld();
    inOrder_ = false;
    directLeft_ = directPasses_ * series_->count;
    repeated_.release();
}

void ZTSEVOccurrenceWriter::mergeLevels()
{
    if (!levels_.pending) return;
    const int64_t n = series_->count;
    int64_t covers = 0;
    for (int64_t i = 0; i < n; ++i) {
        covers += levels_.changes[i];
        if (covers != 0) values_[i] = repeated_.times(values_[i], covers);
    }
    std::fill(levels_.changes, levels_.changes + n + 1, int64_t(0));
    levels_.pending = false;
}

void ZTSEVOccurrenceWriter::mergeZeros()
{
    if (!zeros_.pending) return;
    const int64_t n = series_->count;
    const int rule = event_->effective.rule;
    /* Merging 0 a second time changes nothing under any rule. */
    int64_t covers = 0;
    int status = 0;
    for (int64_t i = 0; i < n; ++i) {
        covers += zeros_.changes[i];
        if (covers != 0) values_[i] = ZTSEVValueFromRule(rule, &status, values_[i], 0.0);
    }
    std::fill(zeros_.changes, zeros_.changes + n + 1, int64_t(0));
    zeros_.pending = false;
}
