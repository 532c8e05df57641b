// The worker pool of the background request layer: the choice of queue, the
// workers' loop and retirement, cancellation, attach and detach.
//
// Lock order: the module lock before a worker's lock. A worker steps its job
// outside both, so a completion routine may submit or cancel requests.
#include "w32_system/LxAsyncIO.h"

#include <pthread.h>

#include <ctime>
#include <new>

#include "w32_system/LxAsyncJob.h"
#include "w32_system/LxMutexCS.h"
#include "w32_system/timer/LxTimer.h"

namespace
{

constexpr int kRetireAfterIdlePolls = 20;
constexpr long kIdleDelayNs = 5000;
constexpr double kDetachWaitMs = 3000;

// A worker's queue, linked through the jobs themselves so that queueing
// never allocates.
class JobQueue
{
  public:
    JobQueue() = default;
    ~JobQueue()
    {
        while (PopFront())
            ;
    }
    JobQueue(const JobQueue&) = delete;
    JobQueue& operator=(const JobQueue&) = delete;

    bool Empty() const { return !m_head; }

    void PushBack(std::unique_ptr<SLxAsyncJob> job)
    {
        SLxAsyncJob* j = job.release();
        j->pNext = nullptr;
        (m_tail ? m_tail->pNext : m_head) = j;
        m_tail = j;
    }

    std::unique_ptr<SLxAsyncJob> PopFront()
    {
        SLxAsyncJob* j = m_head;
        if (j) {
            m_head = j->pNext;
            if (!m_head)
                m_tail = nullptr;
            j->pNext = nullptr;
        }
        return std::unique_ptr<SLxAsyncJob>(j);
    }

    // Moves the jobs that match to the back of `to`, keeping the others in
    // their order.
    template <class Predicate> void MoveIf(Predicate matches, JobQueue& to)
    {
        JobQueue kept;
        while (std::unique_ptr<SLxAsyncJob> j = PopFront())
            (matches(*j) ? to : kept).PushBack(std::move(j));
        m_head = kept.m_head;
        m_tail = kept.m_tail;
        kept.m_head = kept.m_tail = nullptr;
    }

  private:
    SLxAsyncJob* m_head = nullptr;
    SLxAsyncJob* m_tail = nullptr;
};

struct Worker {
    pthread_t thread{};
    pthread_mutexCS_t lock = nullptr;
    int idlePolls = 0;
    JobQueue queue;
    SLxAsyncJob* current = nullptr; // the job being stepped, out of the queue meanwhile
    Worker* next = nullptr;         // the set of workers, under the module lock
};

// Never destroyed: a worker or a late caller may still reach it while the
// process ends, and a destroyed lock would let them in unguarded.
pthread_mutexCS_t g_moduleLock = PTHREAD_MUTEXCS_INITIALIZER;
Worker* g_workers = nullptr;
std::atomic<bool> g_open{true}; // changed under the module lock
std::atomic<int> g_workerCount{0};
thread_local Worker* t_worker = nullptr;

// Lets a canceller wait until a step (and the routine calls in it) ends.
pthread_mutex_t g_stepLock = PTHREAD_MUTEX_INITIALIZER;
pthread_cond_t g_stepEnded = PTHREAD_COND_INITIALIZER;
unsigned long g_stepGeneration = 0;

class ModuleLock
{
  public:
    ModuleLock() : m_held(pthread_mutexCS_lock(&g_moduleLock) == 0) {}
    ~ModuleLock()
    {
        if (m_held)
            pthread_mutexCS_unlock(&g_moduleLock);
    }
    ModuleLock(const ModuleLock&) = delete;
    ModuleLock& operator=(const ModuleLock&) = delete;
    bool Held() const { return m_held; }

  private:
    bool m_held;
};

unsigned long stepGeneration()
{
    pthread_mutex_lock(&g_stepLock);
    unsigned long generation = g_stepGeneration;
    pthread_mutex_unlock(&g_stepLock);
    return generation;
}

void announceStepEnded()
{
    pthread_mutex_lock(&g_stepLock);
    ++g_stepGeneration;
    pthread_cond_broadcast(&g_stepEnded);
    pthread_mutex_unlock(&g_stepLock);
}

void waitForStepEnd(unsigned long seen)
{
    pthread_mutex_lock(&g_stepLock);
    while (g_stepGeneration == seen)
        pthread_cond_wait(&g_stepEnded, &g_stepLock);
    pthread_mutex_unlock(&g_stepLock);
}

void sleepNs(long ns)
{
    struct timespec delay = {0, ns};
    nanosleep(&delay, nullptr);
}

// Under the module lock.
void unlinkWorker(Worker* w)
{
    for (Worker** p = &g_workers; *p; p = &(*p)->next) {
        if (*p == w) {
            *p = w->next;
            break;
        }
    }
    --g_workerCount;
}

// The bookkeeping after an idle poll, or on detach. True when the worker
// retires: it has then left the set, and the jobs it still had are in
// `dropped`.
bool retireIfIdle(Worker* w, JobQueue& dropped)
{
    ModuleLock module;
    CLxMutexCSLock own(&w->lock);
    if (!g_open.load()) {
        w->queue.MoveIf([](const SLxAsyncJob&) { return true; }, dropped);
    } else if (!w->queue.Empty()) {
        w->idlePolls = 0;
        return false;
    } else if (++w->idlePolls <= kRetireAfterIdlePolls) {
        return false;
    }
    unlinkWorker(w);
    return true;
}

void* workerMain(void* arg)
{
    auto* w = static_cast<Worker*>(arg);
    t_worker = w;
    JobQueue dropped;
    for (;;) {
        if (g_open.load()) {
            std::unique_ptr<SLxAsyncJob> job;
            {
                CLxMutexCSLock own(&w->lock);
                job = w->queue.PopFront();
                w->current = job.get();
            }
            if (job) {
                w->idlePolls = 0;
                bool more = LX_RunAsyncStep(*job);
                {
                    CLxMutexCSLock own(&w->lock);
                    w->current = nullptr;
                    // Taking turns: the next step comes after the other jobs.
                    if (more && !job->bCancelled)
                        w->queue.PushBack(std::move(job));
                }
                // A request whose file was closed during its step learns it
                // here, before the closer goes on.
                if (job && more && job->bCancelled && job->bReportCancel)
                    LX_ReportAsyncCancelled(*job);
                job.reset(); // a finished copy closes its files outside the lock
                announceStepEnded();
                continue;
            }
            sleepNs(kIdleDelayNs);
        }
        if (retireIfIdle(w, dropped))
            break;
    }
    pthread_mutexCS_destroy(&w->lock);
    delete w;
    return nullptr;
}

// Under the module lock.
int startWorker(std::unique_ptr<SLxAsyncJob> job)
{
    std::unique_ptr<Worker> w(new (std::nothrow) Worker);
    if (!w || pthread_mutexCS_init(&w->lock, nullptr) != 0)
        return -9;
    SLxAsyncJob* queued = job.get();
    queued->bOwnsFiles = queued->request.eKind == LX_ASYNC_COPY;
    w->queue.PushBack(std::move(job));
    // Counted before it starts: its first step may run before this thread
    // goes on.
    ++g_workerCount;
    if (pthread_create(&w->thread, nullptr, workerMain, w.get()) != 0) {
        --g_workerCount;
        queued->bOwnsFiles = false; // the caller keeps the copy's files
        pthread_mutexCS_destroy(&w->lock);
        return -9;
    }
    pthread_detach(w->thread);
    w->next = g_workers;
    g_workers = w.release();
    return 0;
}

} // namespace

int LX_SubmitAsyncRequest(const SLxAsyncRequest& request)
{
    std::unique_ptr<SLxAsyncJob> job = LX_MakeAsyncJob(request);
    if (!job)
        return -9;
    ModuleLock module;
    if (!module.Held() || !g_open.load())
        return -9;
    for (Worker* w = g_workers; w; w = w->next) {
        CLxMutexCSLock own(&w->lock);
        if (w->queue.Empty() && !w->current) {
            job->bOwnsFiles = request.eKind == LX_ASYNC_COPY;
            w->queue.PushBack(std::move(job));
            return 0;
        }
    }
    return startWorker(std::move(job));
}

namespace
{

// Removes the queued transfers of the handle into `removed` and waits for a
// running step of one (see LX_CancelAsyncIO).
void cancelTransfers(LX_HFILE handle, JobQueue& removed, bool reportRunning)
{
    for (;;) {
        bool waitForStep = false;
        unsigned long seen = stepGeneration();
        {
            ModuleLock module;
            if (!module.Held())
                return;
            for (Worker* w = g_workers; w; w = w->next) {
                CLxMutexCSLock own(&w->lock);
                w->queue.MoveIf([handle](const SLxAsyncJob& j) { return j.IsTransferOf(handle); },
                                removed);
                if (w->current && w->current->IsTransferOf(handle)) {
                    w->current->bCancelled = true;
                    w->current->bReportCancel = reportRunning;
                    waitForStep = waitForStep || !t_worker;
                }
            }
        }
        if (!waitForStep)
            return;
        waitForStepEnd(seen);
    }
}

} // namespace

void LX_AsyncIOFileClosing(LX_HFILE handle)
{
    // Nothing to do while no worker was ever started (the common case).
    if (g_workerCount.load() == 0)
        return;
    JobQueue removed;
    cancelTransfers(handle, removed, true);
    // Reported outside every lock, so a routine may submit or close.
    while (std::unique_ptr<SLxAsyncJob> job = removed.PopFront())
        LX_ReportAsyncCancelled(*job);
}

int LX_CancelAsyncIO(LX_HFILE handle)
{
    JobQueue removed;
    cancelTransfers(handle, removed, false);
    return 0;
}

bool LX_AsyncIOAttach()
{
    ModuleLock module;
    if (!module.Held())
        return false;
    g_open = true;
    return true;
}

void LX_AsyncIODetach()
{
    {
        ModuleLock module;
        g_open = false;
    }
    // A routine that detaches cannot wait for its own worker to end.
    if (t_worker)
        return;
    const double start = LX_GetTimeCounter();
    while (g_workerCount.load() > 0 && LX_GetTimeCounter() - start < kDetachWaitMs)
        sleepNs(1000000);
}

int LX_AsyncWorkerCount()
{
    return g_workerCount.load();
}
