#include "graphics/MainThreadDispatcher.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <chrono>

TMainThreadDispatcher& TMainThreadDispatcher::instance()
{
    // Deliberately never destroyed: see the header.
    static TMainThreadDispatcher* dispatcher = new TMainThreadDispatcher();
    return *dispatcher;
}

TMainThreadDispatcher::TMainThreadDispatcher()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        m_mainQThread = app->thread();
    else
        m_mainQThread = QThread::currentThread();
}

void TMainThreadDispatcher::setMainThread()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_mainThread = std::this_thread::get_id();
    m_mainThreadSet = true;
}

bool TMainThreadDispatcher::isMainThread() const
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_mainThreadSet)
            return std::this_thread::get_id() == m_mainThread;
    }
    if (QCoreApplication* app = QCoreApplication::instance())
        return QThread::currentThread() == app->thread();
    return QThread::currentThread() == m_mainQThread;
}

void TMainThreadDispatcher::postToEventLoop()
{
    // A running event loop serves requests even when nobody waits in waitAndProcess().
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            app, [this] { processRequests(); }, Qt::QueuedConnection);
}

void TMainThreadDispatcher::run(const std::function<void()>& body)
{
    if (isMainThread()) {
        body();
        return;
    }
    TRequest request;
    request.body = &body;
    request.requester = std::this_thread::get_id();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(&request);
    }
    m_requestsChanged.notify_all();
    postToEventLoop();
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_requestDone.wait(lock, [&] { return request.done; });
    }
    if (request.error)
        std::rethrow_exception(request.error);
}

int TMainThreadDispatcher::processRequests()
{
    int count = 0;
    for (;;) {
        TRequest* request = nullptr;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_queue.empty())
                break;
            request = m_queue.front();
            m_queue.pop_front();
            m_serving.push_back(request->requester);
        }
        std::exception_ptr error;
        try {
            (*request->body)();
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_serving.erase(std::find(m_serving.begin(), m_serving.end(), request->requester));
            request->error = error;
            request->done = true; // the requester may return (and free the request) from here on
        }
        m_requestDone.notify_all();
        ++count;
    }
    return count;
}

void TMainThreadDispatcher::waitAndProcess(int milliseconds)
{
    if (processRequests() > 0)
        return;
    if (milliseconds <= 0) {
        std::this_thread::yield();
        return;
    }
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        const uint64_t wakes = m_wakeCount;
        m_requestsChanged.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                   [&] { return !m_queue.empty() || m_wakeCount != wakes; });
    }
    processRequests();
}

void TMainThreadDispatcher::wake()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_wakeCount;
    }
    m_requestsChanged.notify_all();
}

bool TMainThreadDispatcher::isServing(std::thread::id thread) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::find(m_serving.begin(), m_serving.end(), thread) != m_serving.end();
}
