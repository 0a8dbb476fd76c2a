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
        seq_ = handed_ = done_ = written_ = 0;
        filling_ = nullptr;
        failure_ = {};
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
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        threadIdle_ = true;
        wake_.wait(lock, [this] { return stop_ || done_ < handed_; });
        threadIdle_ = false;
        if (done_ == handed_) return;
        Batch &batch = batches_[done_ % kBatches];
        size_t at = 0;
        while (at < batch.count && !batch.dropped) {
            lock.unlock();
            bool ok = true;
            for (; at < batch.count; ++at) {
                if (!batch.output->formatRow(batch.rows + at * batch.rowBytes)) {
                    ok = false;
                    break;
                }
            }
            lock.lock();
            if (ok) break;
            /* The step's thread logs the failure in its place; until then
             * nothing more is written. */
            failure_ = {true, batch.output, batch.firstSeq + int64_t(at), batch.firstRow + int64_t(at)};
            written_ = batch.firstSeq + int64_t(at);
            settled_.notify_one();
            wake_.wait(lock, [this] { return !failure_.pending; });
            ++at; /* the failed row is lost, as its write was */
        }
        written_ = batch.firstSeq + int64_t(batch.count);
        ++done_;
        if (stepWaiting_ && handed_ - done_ <= kBatches - kWakeBatches) settled_.notify_one();
    }
}

bool WriteBehind::handOverToNewBatch(OutputDataSet &output, const uint8_t *row, size_t rowBytes, int64_t rowNumber)
{
    if (rowBytes > kBatchBytes) return false;
    if (!running_ && !start()) return false;
    if (filling_ != nullptr && (filling_->output != &output || (filling_->count + 1) * rowBytes > kBatchBytes)) {
        std::unique_lock<std::mutex> lock(mutex_);
        handFilling(lock);
    }
    if (filling_ == nullptr) {
        std::unique_lock<std::mutex> lock(mutex_);
        while (handed_ - done_ >= kBatches || failure_.pending) {
            if (failure_.pending) settle(lock);
            else waitForThread(lock);
        }
        /* Lines held back go out as soon as their rows are written, not
         * only with the next line or at the end. */
        if (heldCount_ > 0) {
            const int64_t written = written_;
            lock.unlock();
            releaseUpTo(written);
            lock.lock();
        }
        /* A failure logged while waiting may be this output's: the row
         * is lost with the rest (the caller sees the output failed). */
        if (output.failed()) return true;
        Batch &batch = batches_[handed_ % kBatches];
        batch.output = &output;
        batch.rowBytes = rowBytes;
        batch.count = 0;
        batch.firstSeq = seq_;
        batch.firstRow = rowNumber;
        batch.dropped = false;
        filling_ = &batch;
    }
    std::memcpy(filling_->rows + filling_->count * rowBytes, row, rowBytes);
    ++filling_->count;
    ++seq_;
    if ((filling_->count + 1) * rowBytes > kBatchBytes) {
        std::unique_lock<std::mutex> lock(mutex_);
        handFilling(lock);
    }
    return true;
}

void WriteBehind::handFilling(std::unique_lock<std::mutex> &)
{
    if (filling_ == nullptr) return;
    if (filling_->count > 0) {
        ++handed_;
        if (threadIdle_ && handed_ - done_ >= kWakeBatches) wake_.notify_one();
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
    lock.lock();
    for (int64_t k = done_; k < handed_; ++k)
        if (batches_[k % kBatches].output == failure.output) batches_[k % kBatches].dropped = true;
    if (filling_ != nullptr && filling_->output == failure.output) filling_->dropped = true;
    failure_.pending = false;
    wake_.notify_one();
}

void WriteBehind::waitForThread(std::unique_lock<std::mutex> &lock)
{
    stepWaiting_ = true;
    settled_.wait(lock);
    stepWaiting_ = false;
}

void WriteBehind::drain(std::unique_lock<std::mutex> &lock)
{
    handFilling(lock);
    wake_.notify_one(); /* fewer batches than wake it may wait */
    while (done_ < handed_ || failure_.pending) {
        if (failure_.pending) settle(lock);
        else waitForThread(lock);
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
    int64_t written = 0;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (failure_.pending) settle(lock);
        written = written_;
    }
    releaseUpTo(written);
    if (heldCount_ == 0 && written == seq_) return false; /* no row before it is pending */
    std::unique_lock<std::mutex> lock(mutex_);
    handFilling(lock); /* the thread may write the rows before it now */
    if (heldCount_ == kHeldLines || line.size() > kHeldBytes - heldUsed_) {
        /* No room to hold it: everything before it is written first. */
        drain(lock);
        lock.unlock();
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
    {
        std::unique_lock<std::mutex> lock(mutex_);
        drain(lock);
        stop_ = true;
        wake_.notify_one();
    }
    thread_.join();
    running_ = false;
    releaseUpTo(seq_);
    log_.setGate(nullptr);
}

}  // namespace orvhost
