#include "ListeningSocket.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <pthread.h>
#include <sched.h>
#include <sys/socket.h>
#include <system_error>

#include "ServerErrors.h"
#include "WebServer.h"
#include "WinSockErrors.h"

namespace quillane {

namespace {

// The accept thread and the workers hand each other work all the time, and each hand-over
// wakes a thread. Marked as batch work, a woken server thread waits for the next turn
// instead of pushing aside the thread that is running, often the client reading the
// last answer or the window: the file goes out faster and the window stays smooth.
// (An unprivileged thread cannot be raised above normal priority here, so the workers
// keep the normal share of the processor.)
void RunAsBatchWork() {
    const sched_param parameters{};
    ::pthread_setschedparam(::pthread_self(), SCHED_BATCH, &parameters);
}

ESocketError SocketError(int error, const char* api) {
    const int code = WinSockCodeFromErrno(error);
    std::string text = WinSockErrorText(code);
    if (text.empty()) text = std::strerror(error);
    return ESocketError("Socket error: " + text + " (" + std::to_string(code) + "), on API '" + api + "'");
}

}  // namespace

TWebServerThread::TWebServerThread(TWebListeningSocket& owner) : owner_(owner), handler_(owner.server_) {}

void TWebServerThread::Start() {
    // A request needs little stack. Small stacks are kept and reused by the thread
    // library, where full-size ones would be mapped anew for every worker started
    // beyond the idle ones.
    constexpr std::size_t kStackSize = 512 * 1024;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kStackSize);
    const int error = pthread_create(
        &thread_, &attributes,
        [](void* self) -> void* {
            static_cast<TWebServerThread*>(self)->Execute();
            return nullptr;
        },
        this);
    pthread_attr_destroy(&attributes);
    if (error != 0) throw std::system_error(error, std::generic_category(), "pthread_create");
    started_ = true;
}

void TWebServerThread::Terminate() {
    terminated_ = true;
    KeepForReuse = false;
    Wake();
    if (connection_) connection_->Interrupt();
}

void TWebServerThread::Join() {
    if (started_) pthread_join(thread_, nullptr);
    started_ = false;
}

void TWebServerThread::Execute() {
    // A file body goes out with sendfile, which cannot be told to spare the process a
    // SIGPIPE when the client has gone; blocked here, the send just fails.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    RunAsBatchWork();
    try {
        for (;;) {
            wakeEvent_.Wait();
            bool serve = false;
            {
                const std::lock_guard lock(owner_.ListLock);
                serve = !terminated_ && connection_;
            }
            // The connection stays this thread's until it is reset below, under the lock.
            if (serve) ServeConnection();
            const std::lock_guard lock(owner_.ListLock);
            connection_.reset();
            owner_.workerFreed_.notify_one();
            if (terminated_ || !KeepForReuse) break;
        }
    } catch (const std::exception&) {
        // Outside any request there is nobody to answer; the thread just ends.
    }
    const std::lock_guard lock(owner_.ListLock);
    connection_.reset();
    owner_.ThreadEnded(this);
}

void TWebServerThread::ServeConnection() {
    TCustomWebServer& server = owner_.server_;
    TServerConnection::TPeer peer = connection_->Peer();
    TWebServerRequest request(server.Port(), peer.address, std::move(peer.lookUpHostName));
    request.SetConnection(connection_.get());
    try {
        TSocketStream stream(*connection_, server.ReadTimeout());
        // The whole head, not each of its pieces, must come within the read time-out:
        // a client sending a byte now and then would otherwise hold the worker for ever.
        stream.StartDeadline();
        THTTPParser parser(stream);
        handler_.ParseRequest(parser, request);
    } catch (const std::exception& error) {
        HandleFailure(EWebServerException(error.what(), &request));
    }
    // One request per connection, whatever the request asked for.
    connection_->Close();
}

void TWebServerThread::HandleFailure(const EWebServerException& failure) {
    if (!failure.Request) return;
    try {
        handler_.SendServerError(*failure.Request, failure.what());
    } catch (const std::exception&) {
        // The error page could not be built or sent; the connection closes without it.
    }
}

TWebListeningSocket::TWebListeningSocket(TCustomWebServer& server) : server_(server) {}

TWebListeningSocket::~TWebListeningSocket() { Close(); }

void TWebListeningSocket::Listen(int port) {
    const std::lock_guard socketLock(socketLock_);
    if (listening_) throw ESocketError("Can't listen on an open socket");
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) throw ESocketError("Can't create new socket");
    // A port whose last connections are still winding down can be taken again at once.
    const int on = 1;
    ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    // A connection reaches the accept thread, and so a worker, only once its request
    // has begun to arrive: the worker then reads it at once instead of sleeping until
    // it comes. A client that stays silent is still taken, after about a second.
    const int deferSeconds = 1;
    ::setsockopt(fd.get(), IPPROTO_TCP, TCP_DEFER_ACCEPT, &deferSeconds, sizeof deferSeconds);
    // The loopback address only: the folder is for this machine's Messenger, not the network.
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) throw SocketError(errno, "bind");
    // A short queue makes the system drop or reset connections that arrive in a burst.
    if (::listen(fd.get(), SOMAXCONN) != 0) throw SocketError(errno, "listen");
    socklen_t length = sizeof address;
    ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &length);
    boundPort_ = ntohs(address.sin_port);
    listenFd_ = std::move(fd);
    terminateAccept_ = false;
    listening_ = true;
    acceptThread_ = std::thread(&TWebListeningSocket::AcceptLoop, this);
}

void TWebListeningSocket::AcceptLoop() {
    RunAsBatchWork();
    while (!terminateAccept_) {
        ReapFinished();
        if (!WaitForFreeWorker()) break;
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        // Non-blocking, so that a connection bounds each wait for its client itself.
        UniqueFd fd(::accept4(listenFd_.get(), reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!fd) {
            if (terminateAccept_) break;
            // Out of descriptors or memory: wait a moment instead of spinning.
            if (errno != EINTR && errno != ECONNABORTED) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        HandOver(std::move(fd), peer);
    }
}

bool TWebListeningSocket::WaitForFreeWorker() {
    // Connections beyond the workers wait in the listening queue, not in a thread each.
    std::unique_lock lock(ListLock);
    workerFreed_.wait(lock, [this] {
        if (terminateAccept_ || WorkerThreads.size() < MaxWorkers) return true;
        return std::any_of(WorkerThreads.begin(), WorkerThreads.end(),
                           [](const auto& worker) { return !worker->HasConnection() && worker->KeepForReuse; });
    });
    return !terminateAccept_;
}

void TWebListeningSocket::HandOver(UniqueFd fd, const sockaddr_in& peer) {
    // A client that stops reading frees its worker after the read time-out, as one that
    // stops sending does.
    auto connection = std::make_unique<TServerConnection>(std::move(fd), peer, server_.Log(), server_.ReadTimeout());
    TWebServerThread* worker = nullptr;
    {
        const std::lock_guard lock(ListLock);
        for (const auto& candidate : WorkerThreads) {
            if (!candidate->HasConnection() && candidate->KeepForReuse) {
                worker = candidate.get();
                break;
            }
        }
        if (!worker) {
            auto created = std::make_unique<TWebServerThread>(*this);
            created->KeepForReuse = static_cast<std::size_t>(idleThreadLimit_) >= WorkerThreads.size() + 1;
            try {
                created->Start();
            } catch (const std::system_error&) {
                // No thread to be had: the connection closes unanswered.
                return;
            }
            worker = created.get();
            WorkerThreads.push_back(std::move(created));
        }
        worker->Attach(std::move(connection));
    }
    // Woken after the lock is released, so that it does not wake only to wait for it.
    // It stays alive until it has served the connection; only this thread frees workers
    // while the server listens.
    worker->Wake();
}

void TWebListeningSocket::ThreadEnded(TWebServerThread* thread) {
    for (auto it = WorkerThreads.begin(); it != WorkerThreads.end(); ++it) {
        if (it->get() == thread) {
            FinishedThreads.splice(FinishedThreads.end(), WorkerThreads, it);
            workerFreed_.notify_one();
            return;
        }
    }
}

void TWebListeningSocket::ReapFinished() {
    std::list<std::unique_ptr<TWebServerThread>> finished;
    {
        const std::lock_guard lock(ListLock);
        finished.swap(FinishedThreads);
    }
    for (const auto& thread : finished) thread->Join();
}

void TWebListeningSocket::Close() {
    const std::lock_guard socketLock(socketLock_);
    if (!listening_) return;
    // Accepting stops first, so that no worker appears while the others end.
    {
        // Under the lock, so that an accept thread waiting for a worker cannot miss it.
        const std::lock_guard lock(ListLock);
        terminateAccept_ = true;
    }
    workerFreed_.notify_all();
    ::shutdown(listenFd_.get(), SHUT_RDWR);
    acceptThread_.join();
    listenFd_.Close();
    listening_ = false;

    std::list<std::unique_ptr<TWebServerThread>> ending;
    int savedLimit = 0;
    {
        const std::lock_guard lock(ListLock);
        savedLimit = std::exchange(idleThreadLimit_, 0);
        for (const auto& worker : WorkerThreads) worker->Terminate();
        ending.splice(ending.end(), WorkerThreads);
        ending.splice(ending.end(), FinishedThreads);
    }
    for (const auto& thread : ending) thread->Join();
    ending.clear();
    const std::lock_guard lock(ListLock);
    idleThreadLimit_ = savedLimit;
}

int TWebListeningSocket::IdleThreadLimit() const {
    const std::lock_guard lock(ListLock);
    return idleThreadLimit_;
}

std::size_t TWebListeningSocket::WorkerCount() const {
    const std::lock_guard lock(ListLock);
    return WorkerThreads.size();
}

std::size_t TWebListeningSocket::IdleWorkerCount() const {
    const std::lock_guard lock(ListLock);
    std::size_t idle = 0;
    for (const auto& worker : WorkerThreads) idle += worker->HasConnection() ? 0 : 1;
    return idle;
}

}  // namespace quillane
