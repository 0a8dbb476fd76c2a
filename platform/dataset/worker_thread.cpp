/*
 * worker_thread.cpp - threads of the data-set store on POSIX threads.
 */
#include "platform/dataset/worker_thread.h"

#include <sched.h>
#include <signal.h>

namespace orvhost {

bool WorkerThread::start(Routine routine, void *argument)
{
    join();
    routine_ = routine;
    argument_ = argument;
    /* The new thread inherits the mask: every signal blocked from its
     * first instruction. */
    sigset_t all, saved;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &saved);
    started_ = pthread_create(&thread_, nullptr, run, this) == 0;
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    return started_;
}

bool WorkerThread::pinTo(int processor)
{
    if (!started_ || processor < 0 || processor >= CPU_SETSIZE) return false;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(processor, &one);
    return pthread_setaffinity_np(thread_, sizeof one, &one) == 0;
}

void WorkerThread::join()
{
    if (!started_) return;
    pthread_join(thread_, nullptr);
    started_ = false;
}

void *WorkerThread::run(void *self)
{
    auto *thread = static_cast<WorkerThread *>(self);
    thread->routine_(thread->argument_);
    return nullptr;
}

}  // namespace orvhost
