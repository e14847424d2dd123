// Test support: an HTTP server on 127.0.0.1 that answers each connection with a scripted reply and
// keeps the exact bytes of every request, and a port whose connections never complete.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vellmora {

/// One accepted connection, as a reply script sees it. Every operation gives up quietly once the client
/// has gone or the server is shutting down. The connection is closed normally when the script returns.
class ServerConnection {
public:
    ServerConnection(int socket, int shutdownSignal, std::string request);
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    /// The bytes the client sent before the reply began: the request head, exactly.
    [[nodiscard]] const std::string& Request() const { return request_; }
    /// The request target of the request line ("/s?wd=x" of "GET /s?wd=x HTTP/1.0"); empty when the
    /// request has no such line.
    [[nodiscard]] std::string Target() const;

    /// Sends all of bytes.
    void Send(std::string_view bytes);
    /// Sends bytes one at a time, waiting gap before each.
    void Drip(std::string_view bytes, std::chrono::milliseconds gap);
    /// Sends nothing for up to limit. Ends early, answering true, when the client closes the connection;
    /// whatever the client sends meanwhile is dropped.
    bool Stall(std::chrono::milliseconds limit);
    /// Closes the connection at once with a reset (RST) in place of the normal close.
    void Reset();

private:
    int socket_;
    int shutdownSignal_;
    std::string request_;
    bool gone_ = false;
};

/// An HTTP server for one test: listens on 127.0.0.1 at a port of the system's choice (or a given one) and
/// serves one connection at a time on its own thread. Each connection's request head is read and kept, then
/// the connection is handed to the next reply script; after the last script, the last one serves again.
class LoopbackServer {
public:
    using Reply = std::function<void(ServerConnection&)>;

    explicit LoopbackServer(std::vector<Reply> replies, int port = 0);
    explicit LoopbackServer(Reply reply, int port = 0)
        : LoopbackServer(std::vector<Reply>{std::move(reply)}, port) {}
    /// Stops the server: a script still running ends its waits at once.
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    [[nodiscard]] int Port() const { return port_; }
    /// "http://127.0.0.1:" and the port, then rest (path, query, fragment).
    [[nodiscard]] std::string Url(std::string_view rest = "/") const;

    /// The connections accepted so far.
    [[nodiscard]] int Connections() const;
    /// The request head of each connection accepted so far, in order.
    [[nodiscard]] std::vector<std::string> Requests() const;
    /// Waits until count reply scripts have returned, at most limit; answers whether they have. What
    /// the scripts wrote to the test's own variables may be read after it answers true.
    bool WaitForReplies(int count, std::chrono::milliseconds limit = std::chrono::seconds(5)) const;

private:
    void Serve();

    std::vector<Reply> replies_;
    int listener_ = -1;
    int port_ = 0;
    int shutdownSignal_[2] = {-1, -1}; // a pipe: readable once the server is shutting down
    mutable std::mutex mutex_;
    mutable std::condition_variable repliesDone_;
    int accepted_ = 0;
    std::vector<std::string> requests_;
    int finished_ = 0;
    std::thread thread_;
};

/// Removes the proxy settings libcurl reads from the environment (http_proxy, https_proxy, all_proxy,
/// no_proxy, in both cases), so that requests to a loopback server go to it directly; a child process
/// started afterwards inherits the cleared environment.
void ClearProxyVariables();

/// A reply script that sends bytes and closes the connection.
[[nodiscard]] LoopbackServer::Reply Answer(std::string bytes);

/// A port on 127.0.0.1 whose queue of incoming connections is kept full: the system drops every further
/// attempt, so a client's connect hangs until its own time-out.
class UnansweredPort {
public:
    UnansweredPort();
    ~UnansweredPort();
    UnansweredPort(const UnansweredPort&) = delete;
    UnansweredPort& operator=(const UnansweredPort&) = delete;

    [[nodiscard]] int Port() const { return port_; }

private:
    int listener_ = -1;
    int port_ = 0;
    std::vector<int> fillers_;
};

} // namespace vellmora
