#pragma once

#include <atomic>
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <pthread.h>
#include <thread>

#include "RequestHandler.h"
#include "ServerErrors.h"
#include "ServerConnection.h"
#include "UniqueFd.h"
#include "WakeEvent.h"

namespace quillane {

class TCustomWebServer;
class TWebListeningSocket;

// A worker: serves one connection at a time, one request per connection, and then
// either waits for the next connection or ends.
class TWebServerThread {
public:
    explicit TWebServerThread(TWebListeningSocket& owner);
    TWebServerThread(const TWebServerThread&) = delete;
    TWebServerThread& operator=(const TWebServerThread&) = delete;

    // The following run under the owner's ListLock.
    void Start();
    // Hands the connection over; Wake then lets the thread go, best after the lock is released.
    void Attach(std::unique_ptr<TServerConnection> connection) { connection_ = std::move(connection); }
    bool HasConnection() const { return connection_ != nullptr; }
    // Asks the thread to end and interrupts what its connection is waiting for.
    void Terminate();

    void Wake() { wakeEvent_.Set(); }
    // Waits until the thread has ended; outside the lock.
    void Join();

    bool KeepForReuse = false;

private:
    void Execute();
    void ServeConnection();
    void HandleFailure(const EWebServerException& failure);

    TWebListeningSocket& owner_;
    TRequestHandler handler_;
    std::unique_ptr<TServerConnection> connection_;
    bool terminated_ = false;
    TWakeEvent wakeEvent_;
    pthread_t thread_{};
    bool started_ = false;
};

// The listening socket with its accept thread and its workers.
class TWebListeningSocket {
public:
    explicit TWebListeningSocket(TCustomWebServer& server);
    ~TWebListeningSocket();
    TWebListeningSocket(const TWebListeningSocket&) = delete;
    TWebListeningSocket& operator=(const TWebListeningSocket&) = delete;

    // Listens on 127.0.0.1 and the port (0: one the system chooses) and starts
    // accepting. Raises ESocketError.
    void Listen(int port);
    // Stops accepting, ends every worker and closes everything; returns when every
    // thread has ended.
    void Close();
    bool Listening() const { return listening_; }
    // The port in use while listening.
    int BoundPort() const { return boundPort_; }

    // The most workers alive at once; one Messenger never needs more.
    static constexpr std::size_t MaxWorkers = 64;

    // How many workers stay alive for reuse.
    int IdleThreadLimit() const;
    // Worker threads alive, and those of them waiting for a connection.
    std::size_t WorkerCount() const;
    std::size_t IdleWorkerCount() const;

private:
    friend class TWebServerThread;

    void AcceptLoop();
    // Waits until a worker can take a connection; false when accepting is to stop.
    bool WaitForFreeWorker();
    void HandOver(UniqueFd fd, const sockaddr_in& peer);
    // Joins and frees the workers that have ended on their own.
    void ReapFinished();
    // Called by a worker at its end, under ListLock.
    void ThreadEnded(TWebServerThread* thread);

    TCustomWebServer& server_;
    std::mutex socketLock_;
    UniqueFd listenFd_;
    std::atomic<bool> listening_ = false;
    std::atomic<bool> terminateAccept_ = false;
    int boundPort_ = 0;
    std::thread acceptThread_;

    mutable std::mutex ListLock;
    std::list<std::unique_ptr<TWebServerThread>> WorkerThreads;
    std::list<std::unique_ptr<TWebServerThread>> FinishedThreads;
    // Signalled under ListLock when a worker lets go of its connection or ends.
    std::condition_variable workerFreed_;
    int idleThreadLimit_ = 10;
};

}  // namespace quillane
