/*
 * input_data_set.cpp - streaming input of a data set by BY groups.
 */
#include "platform/dataset/input_data_set.h"

#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <unordered_set>

#include "platform/dataset/column_guess.h"
#include "platform/dataset/data_set_status.h"
#include "platform/dataset/data_set_store.h"
#include "platform/dataset/libraries.h"
#include "platform/dataset/short_bytes.h"
#include "platform/dataset/sidecar.h"
#include "platform/dataset/value_text.h"
#include "platform/log.h"

namespace orvhost {

namespace {

/* A position is noted every kFirstCheckpointInterval rows, so that xopnt
 * seeks near its target instead of reading from the start.  When more than
 * kMostCheckpoints are noted, every other one is dropped and the interval
 * doubles, so the notes stay small however long the file is.  (Even, so
 * that the newest note survives the thinning.) */
constexpr int64_t kFirstCheckpointInterval = 1024;
constexpr size_t kMostCheckpoints = 256;
static_assert(kMostCheckpoints % 2 == 0);
std::string quoted(std::string_view text)
{
    /* Built by appending: GCC 12 warns (falsely) about the overlap of
     * "\"" + text in Release builds. */
    std::string out = "\"";
    out += shownText(text);
    out += '"';
    return out;
}

std::string fieldCount(size_t n) { return std::to_string(n) + (n == 1 ? " field" : " fields"); }

double numberAt(const uint8_t *row, const Variable &variable)
{
    double value;
    std::memcpy(&value, row + variable.offset, sizeof value);
    return value;
}

/* Order of numeric values: ._ first, then ., then .A to .Z, then numbers.
 * A NaN that is no missing value of the host counts as ".". */
int numericRank(double value)
{
    if (!std::isnan(value)) return 28;
    uint64_t bits = std::bit_cast<uint64_t>(value);
    unsigned code = unsigned(bits >> 40) & 0xFF;
    bool hostMissing = (bits >> 48) == 0xFFFF && (bits & 0xFFFFFFFFFFull) == 0;
    if (!hostMissing || code == 0xFE) return 1;
    if (code == 0xFF) return 0;
    if (code >= 0xE4 && code <= 0xFD) return 2 + int(0xFD - code);
    return 1;
}

int compareNumbers(double a, double b)
{
    int rankA = numericRank(a), rankB = numericRank(b);
    if (rankA != rankB) return rankA < rankB ? -1 : 1;
    if (rankA != 28 || a == b) return 0;
    return a < b ? -1 : 1;
}

/* Blank-padded texts of possibly different lengths. */
int compareTexts(const uint8_t *a, size_t lengthA, const uint8_t *b, size_t lengthB)
{
    const size_t n = std::min(lengthA, lengthB);
    /* BY texts are mostly short and equal: their first bytes are compared
     * here, without a call. */
    constexpr size_t kInlineBytes = 16;
    size_t i = 0;
    for (; i < n && i < kInlineBytes; ++i)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    if (i < n) {
        const int order = std::memcmp(a + i, b + i, n - i);
        if (order != 0) return order < 0 ? -1 : 1;
    }
    const uint8_t *longer = lengthA > lengthB ? a : b;
    for (i = n; i < std::max(lengthA, lengthB); ++i) {
        if (longer[i] == ' ') continue;
        bool longerFirst = longer[i] < ' ';
        return (longerFirst == (lengthA > lengthB)) ? -1 : 1;
    }
    return 0;
}

/* Writes text blank-padded to length bytes at field.  Short texts (BY
 * keys, codes) are copied here, without a call.  REQUIRES: text.size() <=
 * length. */
void putText(uint8_t *field, std::string_view text, size_t length)
{
    constexpr size_t kInlineBytes = 16;
    if (length > kInlineBytes) {
        std::memcpy(field, text.data(), text.size());
        std::memset(field + text.size(), ' ', length - text.size());
        return;
    }
    copyShortBytes(field, reinterpret_cast<const uint8_t *>(text.data()), text.size());
    for (size_t i = text.size(); i < length; ++i) field[i] = ' ';
}

/* True when the bytes of a variable's value are the same at a and b (then
 * compareValues gives 0: equal bits are the same number or the same
 * missing value). */
bool sameBytes(const uint8_t *a, const uint8_t *b, const Variable &variable)
{
    if (variable.type == VariableType::Numeric) {
        uint64_t bitsA, bitsB;
        std::memcpy(&bitsA, a, sizeof bitsA);
        std::memcpy(&bitsB, b, sizeof bitsB);
        return bitsA == bitsB;
    }
    return sameShortBytes(a, b, size_t(variable.length));
}

int compareValues(const Variable &va, const uint8_t *a, const Variable &vb, const uint8_t *b)
{
    if (va.type == VariableType::Numeric) return compareNumbers(numberAt(a, va), numberAt(b, vb));
    return compareTexts(a + va.offset, size_t(va.length), b + vb.offset, size_t(vb.length));
}

}  // namespace

InputDataSet::InputDataSet(DataSetStore &store, std::string libref, std::string member)
    : DataSet(store, std::move(libref), std::move(member), true),
      checkpointInterval_(kFirstCheckpointInterval)
{
}

InputDataSet::~InputDataSet() { ahead_.stop(); }

bool InputDataSet::open(const std::string &csvPath, const std::string &sidecarPath,
                        std::string &error)
{
    path_ = csvPath;
    if (!reader_.open(csvPath, error)) return false;
    if (!describe(sidecarPath, error)) return false;
    rowSize_ = layOutRow(description_.variables);
    /* A zero-size row still needs an address: a null row means "no row". */
    current_.assign(std::max<size_t>(rowSize_, 1), 0);
    next_ = groupRow_ = current_;
    lastMonths_.assign(description_.variables.size(), LastIsoMonth{});
    /* Rows are read ahead on a thread when another processor can take it. */
    aheadWanted_ = aheadUsable_ = usableProcessors() > 1;
    if (aheadWanted_) {
        aheadMonths_.assign(lastMonths_.size(), LastIsoMonth{});
        reader_.limitFields(description_.variables.size());
        ahead_.open(reader_, rowSize_, fillAheadRow, this);
    }
    checkpoints_.push_back(dataStart_);
    return true;
}

bool InputDataSet::describe(const std::string &sidecarPath, std::string &error)
{
    bool haveSidecar = !sidecarPath.empty();
    if (haveSidecar && !readSidecar(sidecarPath, description_, error)) return false;

    CsvReader::Result result = reader_.next(error);
    if (result == CsvReader::Result::Error) return false;
    if (result == CsvReader::Result::End) {
        error = reader_.where(1) + "the file has no header row.";
        return false;
    }
    if (!checkHeader(reader_.fields(), haveSidecar, sidecarPath, error)) return false;
    dataStart_ = {reader_.offset(), reader_.line(), 1};
    if (!haveSidecar && !infer(error)) return false;
    if (haveSidecar) {
        struct stat csvInfo {};
        if (description_.observations >= 0 && ::stat(path_.c_str(), &csvInfo) == 0 &&
            csvInfo.st_size == description_.csvBytes)
            knownObservations_ = description_.observations;
    }
    return true;
}

bool InputDataSet::checkHeader(std::span<const std::string_view> header, bool fromSidecar,
                               const std::string &sidecarPath, std::string &error)
{
    std::string where = reader_.where(reader_.recordLine());
    if (fromSidecar) {
        const std::vector<Variable> &described = description_.variables;
        if (header.size() != described.size()) {
            error = where + "the header has " + std::to_string(header.size()) +
                    " columns; the sidecar " + sidecarPath + " describes " +
                    std::to_string(described.size()) + ".";
            return false;
        }
        for (size_t i = 0; i < header.size(); ++i)
            if (upperName(header[i]) != upperName(described[i].name)) {
                error = where + "column " + std::to_string(i + 1) + " is " + quoted(header[i]) +
                        " but the sidecar " + sidecarPath + " names it " +
                        quoted(described[i].name) + ".";
                return false;
            }
    } else {
        std::unordered_set<std::string> seen;
        for (size_t i = 0; i < header.size(); ++i) {
            if (!isValidName(header[i], ORV_DS_VARIABLE_NAME_LENGTH)) {
                error = where + "column " + std::to_string(i + 1) + " is named " +
                        quoted(header[i]) +
                        ", which is not a variable name (1 to 32 letters, digits or "
                        "underscores, starting with a letter or underscore).";
                return false;
            }
            if (!seen.insert(upperName(header[i])).second) {
                error = where + "the column name " + quoted(header[i]) + " appears twice.";
                return false;
            }
            Variable variable;
            variable.name = std::string(header[i]);
            description_.variables.push_back(std::move(variable));
        }
    }
    return true;
}

/* One pass over the rows: a column is numeric when every value is a number
 * or missing, or every non-missing value is an ISO date (format DATE9.), or
 * every one is an ISO datetime (format DATETIME.); otherwise character, as
 * long as its longest value.  Numbers mixed with dates are character: their
 * scales (days, seconds, plain numbers) cannot be told apart afterwards. */
bool InputDataSet::infer(std::string &error)
{
    std::vector<ColumnGuess> guesses(description_.variables.size());
    int64_t rows = 0;
    if (!guessInPieces(path_, dataStart_.offset, usableProcessors(), kLeastBytesPerPiece, guesses,
                       &rows) &&
        !inferInOnePass(guesses, &rows, error))
        return false;
    for (size_t i = 0; i < guesses.size(); ++i) {
        Variable &variable = description_.variables[i];
        const ColumnGuess &guess = guesses[i];
        if (guess.numbers || (guess.anyValue && (guess.dates || guess.datetimes))) {
            variable.type = VariableType::Numeric;
            variable.length = 8;
            if (guess.anyValue && guess.dates && !guess.numbers) {
                variable.formatName = "DATE";
                variable.formatWidth = 9;
            } else if (guess.anyValue && guess.datetimes && !guess.numbers) {
                variable.formatName = "DATETIME";
            }
        } else {
            variable.type = VariableType::Character;
            variable.length = int(std::clamp<size_t>(guess.longest, 1, kLongestCharacterVariable));
            if (guess.longest > size_t(kLongestCharacterVariable)) {
                error = path_ + ": the values of column " + quoted(variable.name) +
                        " are longer than " + std::to_string(kLongestCharacterVariable) +
                        " bytes.";
                return false;
            }
        }
    }
    knownObservations_ = countedObservations_ = rows;
    return true;
}

bool InputDataSet::inferInOnePass(std::vector<ColumnGuess> &guesses, int64_t *rows,
                                  std::string &error)
{
    CsvReader scan;
    if (!scan.open(path_, error)) return false;
    int64_t records = 0; /* the header is the first */
    for (;;) {
        CsvReader::Result result = scan.next(error);
        if (result == CsvReader::Result::Error) return false;
        if (result == CsvReader::Result::End) break;
        if (++records == 1) continue;
        std::span<const std::string_view> fields = scan.fields();
        if (fields.size() != guesses.size()) {
            error = scan.where(scan.recordLine()) + "the row has " + fieldCount(fields.size()) +
                    "; the header has " + fieldCount(guesses.size()) + ".";
            return false;
        }
        guessRow(fields, guesses);
    }
    *rows = std::max<int64_t>(records - 1, 0);
    return true;
}

int InputDataSet::fail(int status, const std::string &message)
{
    phase_ = Phase::Failed;
    failure_ = status;
    handle.row = nullptr;
    store_.reportError(message);
    noteLoggedFailure(status);
    return status;
}

bool InputDataSet::fillRow(std::span<const std::string_view> fields, uint8_t *row,
                           LastIsoMonth *months, int64_t line, std::string *error) const
{
    const std::vector<Variable> &variables = description_.variables;
    if (fields.size() != variables.size()) {
        if (error != nullptr)
            *error = reader_.where(line) + "the row has " + fieldCount(fields.size()) +
                     "; the header has " + fieldCount(variables.size()) + ".";
        return false;
    }
    for (size_t i = 0; i < fields.size(); ++i) {
        const Variable &variable = variables[i];
        if (variable.type == VariableType::Numeric) {
            double value = 0;
            if (readNumberCell(fields[i], &value, months[i]) == CellKind::Text) {
                if (error != nullptr)
                    *error = reader_.where(line) + "the value " + quoted(fields[i]) +
                             " of the numeric variable " + variable.name + " is not a number.";
                return false;
            }
            std::memcpy(row + variable.offset, &value, sizeof value);
        } else {
            if (fields[i].size() > size_t(variable.length)) {
                if (error != nullptr)
                    *error = reader_.where(line) + "the value " + quoted(fields[i]) +
                             " is longer than the " + std::to_string(variable.length) +
                             " bytes of the character variable " + variable.name + ".";
                return false;
            }
            putText(row + variable.offset, fields[i], size_t(variable.length));
        }
    }
    return true;
}

bool InputDataSet::fillAheadRow(void *owner, std::span<const std::string_view> fields,
                                uint8_t *row)
{
    auto *self = static_cast<InputDataSet *>(owner);
    return self->fillRow(fields, row, self->aheadMonths_.data(), 0, nullptr);
}

bool InputDataSet::takeAheadRow(std::vector<uint8_t> &row, Position &where, int *status)
{
    if (!aheadUsable_) return false;
    if (!ahead_.running() && !ahead_.start()) {
        aheadUsable_ = false;
        return false;
    }
    const uint8_t *aheadRow = nullptr;
    const ReadAhead::Where *at = nullptr;
    if (ahead_.next(&aheadRow, &at)) {
        useAheadRow(aheadRow, *at, row, where);
        *status = 0;
        return true;
    }
    /* The thread ended: this data set's own reader goes on after the last
     * row taken, and reports whatever stopped the thread. */
    ahead_.stop();
    aheadUsable_ = false;
    std::string error;
    if (!reader_.seek(ahead_.resume().offset, ahead_.resume().line, error)) {
        *status = fail(kDataSetStatusReadFailed, error);
        return true;
    }
    return false;
}

void InputDataSet::addCheckpoint(const Position &where)
{
    checkpoints_.push_back(where);
    if (checkpoints_.size() > kMostCheckpoints) {
        size_t kept = 0;
        for (size_t i = 0; i < checkpoints_.size(); i += 2) checkpoints_[kept++] = checkpoints_[i];
        checkpoints_.resize(kept);
        checkpointInterval_ *= 2;
    }
}

int InputDataSet::readRow(std::vector<uint8_t> &row, Position &where)
{
    int status = 0;
    if (takeAheadRow(row, where, &status)) return status;
    std::string error;
    CsvReader::Result result = reader_.next(error);
    if (result == CsvReader::Result::End) return ORV_DS_END_OF_GROUP;
    if (result == CsvReader::Result::Error) return fail(kDataSetStatusReadFailed, error);
    if (!fillRow(reader_.fields(), row.data(), lastMonths_.data(), reader_.recordLine(), &error))
        return fail(kDataSetStatusReadFailed, error);
    where = {reader_.recordOffset(), reader_.recordLine(), ++rowsRead_};
    noteCheckpoint(where);
    return 0;
}

bool InputDataSet::seekTo(const Position &position)
{
    ahead_.stop();
    aheadUsable_ = aheadWanted_;
    std::string error;
    if (!reader_.seek(position.offset, position.line, error)) {
        fail(kDataSetStatusReadFailed, error);
        return false;
    }
    rowsRead_ = position.observation - 1;
    return true;
}

int InputDataSet::compareBy(const uint8_t *a, const uint8_t *b, int *firstDifferent) const
{
    *firstDifferent = 0;
    for (size_t i = 0; i < byList_.size(); ++i) {
        const Variable &variable = description_.variables[size_t(std::abs(byList_[i])) - 1];
        /* Mostly the same group: the same bytes are the same value. */
        if (sameBytes(a + variable.offset, b + variable.offset, variable)) continue;
        int order = compareValues(variable, a, variable, b);
        if (order == 0) continue;
        *firstDifferent = int(i) + 1;
        return byList_[i] < 0 ? -order : order;
    }
    return 0;
}

int InputDataSet::setByList(std::vector<int> numbers, bool notSorted)
{
    if (phase_ != Phase::BeforeGroups || rowsRead_ != 0) return kDataSetStatusBadArgument;
    for (int number : numbers)
        if (number == 0 || variable(std::abs(number)) == nullptr) return kDataSetStatusBadArgument;
    byList_ = std::move(numbers);
    notSorted_ = notSorted;
    /* The cells of the BY variables as runs of bytes, adjoining cells
     * joined. */
    byRuns_.clear();
    for (int number : byList_) {
        const Variable &by = *variable(std::abs(number));
        const size_t bytes = by.type == VariableType::Numeric ? sizeof(double) : size_t(by.length);
        if (!byRuns_.empty() && byRuns_.back().offset + byRuns_.back().bytes == by.offset)
            byRuns_.back().bytes += bytes;
        else
            byRuns_.push_back({by.offset, bytes});
    }
    return 0;
}

int InputDataSet::nextGroup()
{
    if (phase_ == Phase::Failed || phase_ == Phase::AfterGroups) return 0;
    if (waiting_) { /* the group waited before is the next one */
        waiting_ = false;
        return 1;
    }
    if (phase_ == Phase::InGroup) {
        int status = 0;
        while ((status = readInGroup()) == 0) {
        }
        if (status < 0) return 0;
    }
    int change = 1;
    if (phase_ == Phase::BeforeGroups) {
        int status = readRow(next_, nextPosition_);
        if (status != 0) {
            if (status > 0) phase_ = Phase::AfterGroups;
            return 0;
        }
        pending_ = true;
    } else if (!pending_) { /* the group ended with the file */
        phase_ = Phase::AfterGroups;
        return 0;
    } else {
        change = pendingChange_;
    }
    groupStart_ = nextPosition_;
    groupRow_ = next_;
    groupStarted_ = true;
    phase_ = Phase::InGroup;
    return change;
}

int InputDataSet::readInGroupInFull()
{
    handle.row = nullptr;
    if (phase_ == Phase::BeforeGroups && nextGroup() <= 0)
        return phase_ == Phase::Failed ? failure_ : ORV_DS_END_OF_GROUP;
    if (phase_ == Phase::Failed) return failure_;
    if (phase_ != Phase::InGroup || waiting_) return ORV_DS_END_OF_GROUP;
    if (pending_) return deliver();
    int status = readRow(next_, nextPosition_);
    if (status > 0) {
        phase_ = Phase::GroupEnded;
        return ORV_DS_END_OF_GROUP;
    }
    if (status < 0) return status;
    return deliverNext();
}

int InputDataSet::deliverNextOfOtherBytes()
{
    handle.row = nullptr;
    int change = 0;
    const int order = compareBy(groupRow_.data(), next_.data(), &change);
    if (change == 0) return deliver();
    if (order > 0 && !notSorted_) {
        std::string list;
        for (int number : byList_)
            list += (list.empty() ? "" : " ") + variable(std::abs(number))->name +
                    (number < 0 ? " DESCENDING" : "");
        return fail(kDataSetStatusNotSorted,
                    reader_.where(nextPosition_.line) + "the data set " + qualifiedName() +
                        " is not sorted by its BY variables (" + list +
                        "): the BY values of this row come before those of line " +
                        std::to_string(groupStart_.line) + ".");
    }
    pending_ = true;
    pendingChange_ = change;
    phase_ = Phase::GroupEnded;
    return ORV_DS_END_OF_GROUP;
}

int InputDataSet::rewindGroup()
{
    if (phase_ == Phase::Failed) return failure_;
    if (!groupStarted_) return 0; /* still at the first row */
    if (!seekTo(groupStart_)) return failure_;
    pending_ = false;
    phase_ = Phase::InGroup;
    lastDelivered_ = groupStart_.observation - 1;
    handle.row = nullptr;
    return 0;
}

int InputDataSet::syncTo(InputDataSet &lead)
{
    if (lead.groupRow() == nullptr || byList_.size() > lead.byList_.size())
        return kDataSetStatusBadArgument;
    /* The follower's BY variables pair with the lead's first ones. */
    std::vector<std::pair<const Variable *, const Variable *>> pairs;
    for (size_t i = 0; i < byList_.size(); ++i) {
        const Variable *mine = variable(std::abs(byList_[i]));
        const Variable *theirs = lead.variable(std::abs(lead.byList_[i]));
        if (mine->type != theirs->type) return kDataSetStatusTypeMismatch;
        pairs.emplace_back(mine, theirs);
    }
    auto compareWithLead = [&]() {
        for (size_t i = 0; i < pairs.size(); ++i) {
            int order = compareValues(*pairs[i].first, groupRow_.data(), *pairs[i].second,
                                      lead.groupRow());
            if (order != 0) return byList_[i] < 0 ? -order : order;
        }
        return 0;
    };
    if (groupStarted_ && phase_ != Phase::AfterGroups) {
        int order = compareWithLead();
        if (order == 0) {
            waiting_ = false;
            return rewindGroup();
        }
        if (order > 0) return waitBeforeCurrentGroup();
    }
    waiting_ = false;
    for (;;) {
        if (nextGroup() == 0) return phase_ == Phase::Failed ? failure_ : 1;
        int order = compareWithLead();
        if (order == 0) return 0;
        if (order > 0) return waitBeforeCurrentGroup();
    }
}

int InputDataSet::waitBeforeCurrentGroup()
{
    int status = rewindGroup();
    if (status < 0) return status;
    waiting_ = true;
    return 1;
}

int InputDataSet::pointTo(int64_t n)
{
    if (phase_ == Phase::Failed) return failure_;
    if (n < 1) return kDataSetStatusBadArgument;
    auto after = std::upper_bound(checkpoints_.begin(), checkpoints_.end(), n,
                                  [](int64_t value, const Position &position) {
                                      return value < position.observation;
                                  });
    const Position start = *(after - 1);
    if (!seekTo(start)) return failure_;
    Position where;
    for (int64_t number = start.observation; number <= n; ++number) {
        int status = readRow(next_, where);
        if (status < 0) return status;
        if (status > 0) {
            /* No such observation: stay before the first group again. */
            seekTo(dataStart_);
            phase_ = Phase::BeforeGroups;
            pending_ = groupStarted_ = false;
            lastDelivered_ = 0;
            return kDataSetStatusBadArgument;
        }
    }
    nextPosition_ = groupStart_ = where;
    groupRow_ = next_;
    groupStarted_ = pending_ = true;
    waiting_ = false;
    phase_ = Phase::InGroup;
    lastDelivered_ = n - 1;
    handle.row = nullptr;
    return 0;
}

int64_t InputDataSet::countedObservations()
{
    if (knownObservations_ >= 0) return knownObservations_;
    if (countedObservations_ >= 0) return countedObservations_;
    CsvReader scan;
    std::string error;
    if (!scan.open(path_, error)) return -1;
    int64_t records = 0;
    for (;;) {
        CsvReader::Result result = scan.next(error);
        if (result == CsvReader::Result::Error) return -1;
        if (result == CsvReader::Result::End) break;
        ++records;
    }
    countedObservations_ = std::max<int64_t>(records - 1, 0);
    return countedObservations_;
}

size_t InputDataSet::heldBytes() const
{
    return reader_.heldBytes() + current_.capacity() + next_.capacity() + groupRow_.capacity() +
           2 * lastMonths_.capacity() * sizeof(LastIsoMonth) + ahead_.heldBytes() +
           checkpoints_.capacity() * sizeof(Position);
}

}  // namespace orvhost
