#include "tests/support/LoopbackServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace vellmora {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::string_view kEndOfHead = "\x0D\x0A\x0D\x0A";
// How long the server waits for a request head to begin, and how long it waits for more once bytes
// came without the blank line that ends a head (a TLS handshake, say).
constexpr auto kHeadStartLimit = std::chrono::seconds(2);
constexpr auto kHeadQuietLimit = std::chrono::milliseconds(100);

[[noreturn]] void Fail(const char* what) {
    throw std::runtime_error(std::string("loopback server: ") + what + " failed, errno " +
                             std::to_string(errno));
}

enum class Ready { Yes, TimedOut, ShuttingDown };

// Waits until socket has events, the shutdown signal is readable or the deadline passes.
Ready WaitFor(int socket, short events, int shutdownSignal, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd fds[2] = {{shutdownSignal, POLLIN, 0}, {socket, events, 0}};
        const int n =
            poll(fds, 2, static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0)));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            Fail("poll");
        }
        if (fds[0].revents != 0) {
            return Ready::ShuttingDown;
        }
        if (fds[1].revents != 0) {
            return Ready::Yes;
        }
        if (left.count() <= 0) {
            return Ready::TimedOut;
        }
    }
}

Clock::time_point Never() {
    return Clock::now() + std::chrono::hours(24);
}

// Everything the client sends up to the blank line that ends the request head, or until it stops
// sending or closes.
std::string ReadRequestHead(int socket, int shutdownSignal) {
    std::string head;
    const Clock::time_point startLimit = Clock::now() + kHeadStartLimit;
    while (head.find(kEndOfHead) == std::string::npos) {
        const Clock::time_point deadline = head.empty() ? startLimit : Clock::now() + kHeadQuietLimit;
        if (WaitFor(socket, POLLIN, shutdownSignal, deadline) != Ready::Yes) {
            break;
        }
        char buffer[4096];
        const ssize_t n = recv(socket, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        head.append(buffer, static_cast<std::size_t>(n));
    }
    return head;
}

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A listening socket on 127.0.0.1 at a free port; answers the socket and sets port.
// Listens at port, or at a port of the system's choice when port is 0, and answers the port.
int Listen(int backlog, int& port) {
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) {
        Fail("socket");
    }
    const int reuse = 1; // a fixed port can be taken again at once after a restart
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address = Loopback(port);
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, backlog) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(listener);
        Fail("listen");
    }
    port = ntohs(address.sin_port);
    return listener;
}

} // namespace

// --- ServerConnection ---------------------------------------------------------------------------

ServerConnection::ServerConnection(int socket, int shutdownSignal, std::string request)
    : socket_(socket), shutdownSignal_(shutdownSignal), request_(std::move(request)) {}

ServerConnection::~ServerConnection() {
    if (socket_ >= 0) {
        close(socket_);
    }
}

std::string ServerConnection::Target() const {
    const std::size_t lineEnd = request_.find("\x0D\x0A");
    const std::string_view line = std::string_view(request_).substr(0, lineEnd);
    const std::size_t first = line.find(' ');
    const std::size_t last = line.rfind(' ');
    if (first == std::string_view::npos || last == first) {
        return {};
    }
    return std::string(line.substr(first + 1, last - first - 1));
}

void ServerConnection::Send(std::string_view bytes) {
    while (!gone_ && !bytes.empty()) {
        if (WaitFor(socket_, POLLOUT, shutdownSignal_, Never()) != Ready::Yes) {
            gone_ = true;
            return;
        }
        const ssize_t n = send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            continue;
        }
        if (n < 0) {
            gone_ = true; // the client closed or reset the connection
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void ServerConnection::Drip(std::string_view bytes, std::chrono::milliseconds gap) {
    for (std::size_t i = 0; i < bytes.size() && !gone_; ++i) {
        if (Stall(gap)) {
            return;
        }
        Send(bytes.substr(i, 1));
    }
}

bool ServerConnection::Stall(std::chrono::milliseconds limit) {
    const Clock::time_point deadline = Clock::now() + limit;
    while (!gone_) {
        const Ready ready = WaitFor(socket_, POLLIN, shutdownSignal_, deadline);
        if (ready == Ready::TimedOut) {
            return false;
        }
        if (ready == Ready::ShuttingDown) {
            gone_ = true;
            return false;
        }
        char buffer[4096];
        if (recv(socket_, buffer, sizeof buffer, 0) <= 0) {
            gone_ = true;
            return true;
        }
    }
    return false;
}

void ServerConnection::Reset() {
    if (socket_ < 0) {
        return;
    }
    const linger abort{1, 0}; // closing with a zero linger time sends RST
    setsockopt(socket_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    close(socket_);
    socket_ = -1;
    gone_ = true;
}

// --- LoopbackServer -----------------------------------------------------------------------------

LoopbackServer::LoopbackServer(std::vector<Reply> replies, int port)
    : replies_(std::move(replies)), port_(port) {
    if (replies_.empty()) {
        throw std::invalid_argument("loopback server: no reply script");
    }
    listener_ = Listen(16, port_);
    if (pipe2(shutdownSignal_, O_CLOEXEC) != 0) {
        close(listener_);
        Fail("pipe2");
    }
    thread_ = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer() {
    const char signal = 'x';
    (void)!write(shutdownSignal_[1], &signal, 1);
    thread_.join();
    close(listener_);
    close(shutdownSignal_[0]);
    close(shutdownSignal_[1]);
}

std::string LoopbackServer::Url(std::string_view rest) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(rest);
}

int LoopbackServer::Connections() const {
    const std::lock_guard lock(mutex_);
    return accepted_;
}

std::vector<std::string> LoopbackServer::Requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

bool LoopbackServer::WaitForReplies(int count, std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return repliesDone_.wait_for(lock, limit, [&] { return finished_ >= count; });
}

void LoopbackServer::Serve() {
    for (;;) {
        if (WaitFor(listener_, POLLIN, shutdownSignal_[0], Never()) != Ready::Yes) {
            return;
        }
        const int socket = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0) {
            continue;
        }
        std::size_t index = 0;
        {
            const std::lock_guard lock(mutex_);
            index = static_cast<std::size_t>(accepted_++);
        }
        std::string request = ReadRequestHead(socket, shutdownSignal_[0]);
        {
            const std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        {
            ServerConnection connection(socket, shutdownSignal_[0], std::move(request));
            replies_[std::min(index, replies_.size() - 1)](connection);
        }
        {
            const std::lock_guard lock(mutex_);
            ++finished_;
        }
        repliesDone_.notify_all();
    }
}

void ClearProxyVariables() {
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                             "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
        unsetenv(name);
    }
}

LoopbackServer::Reply Answer(std::string bytes) {
    return [bytes = std::move(bytes)](ServerConnection& connection) { connection.Send(bytes); };
}

// --- UnansweredPort -----------------------------------------------------------------------------

UnansweredPort::UnansweredPort() {
    // Backlog 0 leaves room for one finished handshake. Two connections that are never accepted fill
    // it and leave a further attempt waiting too, so from then on every SYN is dropped.
    listener_ = Listen(0, port_);
    const sockaddr_in address = Loopback(port_);
    for (int i = 0; i < 2; ++i) {
        const int filler = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (filler < 0) {
            Fail("socket");
        }
        fillers_.push_back(filler);
        if (connect(filler, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
            errno != EINPROGRESS) {
            Fail("connect");
        }
    }
}

UnansweredPort::~UnansweredPort() {
    for (const int filler : fillers_) {
        close(filler);
    }
    close(listener_);
}

} // namespace vellmora
