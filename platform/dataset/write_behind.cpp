/*
 * write_behind.cpp - the write-behind thread of the data-set store and the
 * log lines it holds back (platform/dataset/write_behind.h).
 */
#include "platform/dataset/write_behind.h"

#include <sched.h>

#include <cstring>
#include <new>

#include "platform/dataset/output_data_set.h"

namespace orvhost {

namespace {

WriteBehindUse writeBehindUse = WriteBehindUse::AsCpusAllow;

/* True when the process may run on more than one CPU: on one, the thread
 * would only take turns with the step and add its switches. */
bool severalCpus()
{
    cpu_set_t cpus;
    return sched_getaffinity(0, sizeof cpus, &cpus) == 0 && CPU_COUNT(&cpus) > 1;
}

}  // namespace

void setWriteBehindForTests(WriteBehindUse use) { writeBehindUse = use; }

bool WriteBehind::start()
{
    if (unavailable_ || writeBehindUse == WriteBehindUse::Never) return false;
    if (writeBehindUse == WriteBehindUse::AsCpusAllow && !severalCpus()) {
        unavailable_ = true;
        return false;
    }
    try {
        if (!batchBytes_) {
            batchBytes_ = std::make_unique_for_overwrite<uint8_t[]>(kBatchBytes * size_t(kBatches));
            held_ = std::make_unique_for_overwrite<char[]>(kHeldBytes);
            heldLines_ = std::make_unique_for_overwrite<HeldLine[]>(kHeldLines);
        }
        for (int64_t k = 0; k < kBatches; ++k) batches_[k].rows = batchBytes_.get() + size_t(k) * kBatchBytes;
        seq_ = 0;
        handed_.store(0);
        done_.store(0);
        written_.store(0);
        filling_ = nullptr;
        placeOwner_ = nullptr;
        failure_ = {};
        failurePending_.store(false);
        stop_ = false;
        heldCount_ = heldFirst_ = heldUsed_ = 0;
        if (!thread_.start(runThread, this)) {
            unavailable_ = true;
            return false;
        }
    } catch (const std::bad_alloc &) {
        /* No memory for the batches: the rows are written on the step's
         * thread, as they always could be. */
        unavailable_ = true;
        return false;
    }
    running_ = true;
    log_.setGate(this);
    return true;
}

void WriteBehind::runThread(void *self) { static_cast<WriteBehind *>(self)->run(); }

void WriteBehind::run()
{
    for (;;) {
        int64_t done = done_.load();
        if (done == handed_.load()) {
            std::unique_lock<std::mutex> lock(mutex_);
            threadIdle_.store(true);
            wake_.wait(lock, [&] { return stop_ || done < handed_.load(); });
            threadIdle_.store(false);
            if (done == handed_.load()) return;
        }
        Batch &batch = batches_[done % kBatches];
        /* The batch stays as it is while the thread writes it (but for
         * `dropped`, set while the thread waits below); read once. */
        OutputDataSet &output = *batch.output;
        const uint8_t *const rows = batch.rows;
        const size_t rowBytes = batch.rowBytes, count = batch.count;
        size_t at = 0;
        while (at < count && !batch.dropped) {
            at += output.formatRows(rows + at * rowBytes, count - at, rowBytes);
            if (at == count) break;
            /* The write of row `at` failed.  The step's thread logs the
             * failure in its place; until then nothing more is written. */
            std::unique_lock<std::mutex> lock(mutex_);
            failure_ = {true, batch.output, batch.firstSeq + int64_t(at), batch.firstRow + int64_t(at)};
            written_.store(batch.firstSeq + int64_t(at));
            failurePending_.store(true);
            settled_.notify_one();
            wake_.wait(lock, [this] { return !failure_.pending; });
            ++at; /* the failed row is lost, as its write was */
        }
        written_.store(batch.firstSeq + int64_t(batch.count));
        done_.store(++done);
        if (done >= stepWakesAt_.load()) wakeSleeper(mutex_, settled_);
    }
}

bool WriteBehind::fillingFor(OutputDataSet &output, size_t rowBytes, int64_t rowNumber)
{
    if (!running_ && !start()) return false;
    if (filling_ != nullptr && (filling_->output != &output || (filling_->count + 1) * rowBytes > kBatchBytes))
        handFilling();
    if (filling_ != nullptr) return true;
    if (handed_.load() - done_.load() >= kBatches || failurePending_.load()) {
        std::unique_lock<std::mutex> lock(mutex_);
        while (handed_.load() - done_.load() >= kBatches || failure_.pending) {
            if (failure_.pending) {
                settle(lock);
            } else {
                /* The ring is full: the step waits until half of it is
                 * free, so that it is woken once for half a ring. */
                waitForThread(lock, handed_.load() - (kBatches - kWakeStepBatches));
            }
        }
    }
    /* Lines held back go out as soon as their rows are written, not only
     * with the next line or at the end. */
    if (heldCount_ > 0) releaseUpTo(written_.load());
    /* A failure logged while waiting may be this output's. */
    if (output.failed()) return false;
    Batch &batch = batches_[handed_.load() % kBatches];
    output.leaveWriteback();
    batch.output = &output;
    batch.rowBytes = rowBytes;
    batch.count = 0;
    batch.firstSeq = seq_;
    batch.firstRow = rowNumber;
    batch.dropped = false;
    filling_ = &batch;
    return true;
}

bool WriteBehind::handOverToNewBatch(OutputDataSet &output, const uint8_t *row, size_t rowBytes, int64_t rowNumber)
{
    if (rowBytes > kBatchBytes) return false;
    if (!fillingFor(output, rowBytes, rowNumber)) {
        /* The row is lost with the rest when the output failed (the
         * caller sees it failed); else the caller writes it. */
        return output.failed();
    }
    std::memcpy(filling_->rows + filling_->count * rowBytes, row, rowBytes);
    ++filling_->count;
    ++seq_;
    if ((filling_->count + 1) * rowBytes > kBatchBytes) handFilling();
    return true;
}

uint8_t *WriteBehind::placeInNewBatch(OutputDataSet &output, size_t rowBytes, int64_t rowNumber)
{
    if (rowBytes > kBatchBytes || !fillingFor(output, rowBytes, rowNumber)) return nullptr;
    placeOwner_ = &output;
    return filling_->rows + filling_->count * rowBytes;
}

void WriteBehind::takePlaceBack()
{
    OutputDataSet *owner = placeOwner_;
    placeOwner_ = nullptr;
    owner->takeRowBack(filling_->rows + filling_->count * filling_->rowBytes);
}

void WriteBehind::handFilling()
{
    if (filling_ == nullptr) return;
    if (placeOwner_ != nullptr) takePlaceBack();
    if (filling_->count > 0) {
        const int64_t handed = handed_.load() + 1;
        handed_.store(handed);
        if (threadIdle_.load() && handed - done_.load() >= kWakeThreadBatches) wakeSleeper(mutex_, wake_);
        /* Starting the writing out of the file on this thread, not the
         * writing one, which is the slower side of the two. */
        filling_->output->startWriteback();
    }
    filling_ = nullptr;
}

void WriteBehind::settle(std::unique_lock<std::mutex> &lock)
{
    const Failure failure = failure_;
    lock.unlock();
    releaseUpTo(failure.seq);
    releasing_ = true;
    failure.output->failWrite(failure.row);
    releasing_ = false;
    if (placeOwner_ == failure.output) takePlaceBack(); /* its rows are no longer written */
    lock.lock();
    for (int64_t k = done_.load(); k < handed_.load(); ++k)
        if (batches_[k % kBatches].output == failure.output) batches_[k % kBatches].dropped = true;
    if (filling_ != nullptr && filling_->output == failure.output) filling_->dropped = true;
    failure_.pending = false;
    failurePending_.store(false);
    wake_.notify_one();
}

void WriteBehind::waitForThread(std::unique_lock<std::mutex> &lock, int64_t done)
{
    stepWakesAt_.store(done);
    settled_.wait(lock, [&] { return failure_.pending || done_.load() >= done; });
    stepWakesAt_.store(kNever);
}

void WriteBehind::drain()
{
    handFilling();
    wakeSleeper(mutex_, wake_); /* fewer batches than wake it may wait */
    std::unique_lock<std::mutex> lock(mutex_);
    while (done_.load() < handed_.load() || failure_.pending) {
        if (failure_.pending) settle(lock);
        else waitForThread(lock, handed_.load());
    }
}

void WriteBehind::releaseUpTo(int64_t seq)
{
    releasing_ = true;
    for (; heldFirst_ < heldCount_ && heldLines_[heldFirst_].seq <= seq; ++heldFirst_) {
        const HeldLine &line = heldLines_[heldFirst_];
        log_.writeLine(std::string_view(held_.get() + line.offset, line.length));
    }
    releasing_ = false;
    if (heldFirst_ == heldCount_) heldFirst_ = heldCount_ = heldUsed_ = 0;
}

bool WriteBehind::holds(std::string_view line)
{
    if (releasing_) return false;
    if (failurePending_.load()) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (failure_.pending) settle(lock);
    }
    const int64_t written = written_.load();
    releaseUpTo(written);
    if (heldCount_ == 0 && written == seq_) return false; /* no row before it is pending */
    handFilling(); /* the thread may write the rows before it now */
    if (heldCount_ == kHeldLines || line.size() > kHeldBytes - heldUsed_) {
        /* No room to hold it: everything before it is written first. */
        drain();
        releaseUpTo(seq_);
        return false;
    }
    std::memcpy(held_.get() + heldUsed_, line.data(), line.size());
    heldLines_[heldCount_++] = {seq_, heldUsed_, line.size()};
    heldUsed_ += line.size();
    return true;
}

void WriteBehind::finish()
{
    if (!running_) return;
    drain();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
    running_ = false;
    releaseUpTo(seq_);
    log_.setGate(nullptr);
}

}  // namespace orvhost
