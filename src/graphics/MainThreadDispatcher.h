#pragma once
// TMainThreadDispatcher: runs functions on the GUI (main) thread for other threads and lets the
// main thread wait for them without deadlocking.
//
// A worker thread calls run(): the function is queued, the main thread is told (a queued call
// on the application object, so a running event loop picks it up), and the worker blocks until
// the function has run there. Every wait the main thread does on such workers (stopping
// animation painters, waiting for a first frame) goes through waitAndProcess(), which runs
// queued functions and nothing else, so a worker blocked in run() always gets served.
//
// The dispatcher is process-wide and never destroyed (workers may still be finishing while
// static objects are torn down at exit).
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class QThread;

class TMainThreadDispatcher
{
public:
    static TMainThreadDispatcher& instance();

    // Records the calling thread as the main thread. Without it the application object's thread
    // is the main thread, or (no application) the thread that first asked for the instance.
    void setMainThread();
    bool isMainThread() const;

    // Runs body on the main thread and returns when it has run; on the main thread it runs at
    // once. An exception thrown by body is raised again in the caller.
    void run(const std::function<void()>& body);

    // Main thread: runs every queued function (including ones queued while running). Returns how
    // many ran.
    int processRequests();
    // Main thread: waits up to milliseconds for a queued function or a wake(), then runs what is
    // queued. A zero wait only runs what is queued and yields.
    void waitAndProcess(int milliseconds);
    // Ends a main-thread waitAndProcess early (a worker finished something the main thread waits for).
    void wake();

    // Whether a function queued by the given thread is running on the main thread right now,
    // i.e. that thread is blocked in run() beneath the caller. Main thread only.
    bool isServing(std::thread::id thread) const;

private:
    TMainThreadDispatcher();

    struct TRequest
    {
        const std::function<void()>* body = nullptr;
        std::thread::id requester;
        bool done = false;
        std::exception_ptr error;
    };

    void postToEventLoop();

    mutable std::mutex m_mutex;
    std::condition_variable m_requestsChanged; // main thread waits: new request or wake
    std::condition_variable m_requestDone;     // workers wait: their request has run
    std::deque<TRequest*> m_queue;
    std::vector<std::thread::id> m_serving; // main thread only
    uint64_t m_wakeCount = 0;
    QThread* m_mainQThread = nullptr;
    std::thread::id m_mainThread;
    bool m_mainThreadSet = false;
};
