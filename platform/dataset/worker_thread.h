/*
 * worker_thread.h - a thread of the data-set store that runs one routine
 * and is joined by its owner.
 *
 * Made on POSIX threads rather than std::thread, which allocates the state
 * of its routine and frees it on the new thread: these threads never touch
 * the heap, so the counts of allocations (the out-of-memory sweeps) stay
 * the same whatever the threads do.  A thread starts with every signal
 * blocked, so that signals reach the main thread, whose handlers clean up.
 *
 * Exports: class WorkerThread, wakeSleeper.
 */
#ifndef ORV_PLATFORM_DATASET_WORKER_THREAD_H
#define ORV_PLATFORM_DATASET_WORKER_THREAD_H

#include <pthread.h>

#include <condition_variable>
#include <mutex>

namespace orvhost {

/* Wakes the threads sleeping on cv under mutex, after the caller changed
 * what they wait for.  Taking the lock orders the wake-up after a
 * sleeper's last look at that state; notifying after letting it go spares
 * the sleeper waking only to wait for the lock. */
inline void wakeSleeper(std::mutex &mutex, std::condition_variable &cv)
{
    { std::lock_guard<std::mutex> lock(mutex); }
    cv.notify_all();
}

class WorkerThread {
public:
    using Routine = void (*)(void *argument);

    WorkerThread() = default;
    ~WorkerThread() { join(); }
    WorkerThread(const WorkerThread &) = delete;
    WorkerThread &operator=(const WorkerThread &) = delete;

    /* Runs routine(argument) on a new thread.  False when no thread could
     * be made (the caller does the work itself). */
    bool start(Routine routine, void *argument);

    /* Holds the running thread to processor from now on (moving it there
     * at once, even before it first runs).  False when no thread runs,
     * processor is -1 or the thread cannot be moved. */
    bool pinTo(int processor);

    /* Waits for the thread to end; nothing when none runs. */
    void join();

    bool joinable() const { return started_; }

private:
    static void *run(void *self);

    pthread_t thread_{};
    bool started_ = false;
    Routine routine_ = nullptr;
    void *argument_ = nullptr;
};

}  // namespace orvhost

#endif
