#include "search/HttpGet.h"

#include "search/HttpGetTesting.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace vellmora {
namespace {

constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr char kWebSchemes[] = "http,https";
constexpr long kMaxRedirects = 10;
// A hostile server must not be able to exhaust memory with an endless body.
constexpr std::size_t kMaxBodyBytes = std::size_t{64} << 20;
// The longest single wait for the network. With the time curl_multi_perform itself takes, the wait
// hook then runs at least every 50 ms.
constexpr int kWaitSliceMs = 40;

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct ShareDeleter {
    void operator()(CURLSH* share) const { curl_share_cleanup(share); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct CurlStringDeleter {
    void operator()(char* text) const { curl_free(text); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlDeleter>;
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using MultiHandle = std::unique_ptr<CURLM, MultiDeleter>;
using ShareHandle = std::unique_ptr<CURLSH, ShareDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;
using CurlString = std::unique_ptr<char, CurlStringDeleter>;

// libcurl's global state, taken for as long as a client instance lives. curl_global_init counts its
// calls, so every successful one is paired with one curl_global_cleanup.
class CurlLibrary {
public:
    CurlLibrary() : ready_(curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK) {}
    ~CurlLibrary() {
        if (ready_) {
            curl_global_cleanup();
        }
    }
    CurlLibrary(const CurlLibrary&) = delete;
    CurlLibrary& operator=(const CurlLibrary&) = delete;

    [[nodiscard]] bool Ready() const noexcept { return ready_; }

private:
    bool ready_;
};

// The client instance: what every retrieval starts from. Members are released in reverse order, so
// the template handle goes before the share and the header lists it refers to, and the library last.
struct Client {
    CurlLibrary library;
    // Name look-ups and TLS sessions are shared between retrievals; connections and cookies are not.
    ShareHandle share;
    HeaderList headers;
    HeaderList proxyHeaders;
    // Holds every fixed option; each retrieval runs on a copy of it.
    EasyHandle templateHandle;
};

// Appends line to list. On failure the list stays as it was.
bool AppendHeader(HeaderList& list, const char* line) {
    curl_slist* longer = curl_slist_append(list.get(), line);
    if (!longer) {
        return false;
    }
    (void)list.release(); // now the head of longer
    list.reset(longer);
    return true;
}

// curl reads every number option as a long, so none may be passed as a plain int or an enum.
bool SetFixedOptions(CURL* easy, const Client& client) {
    return curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent) == CURLE_OK &&
           // One Accept of ours in place of curl's own. The empty Proxy-Connection removes the header
           // curl would add for a proxy, since no keep-alive is asked for.
           curl_easy_setopt(easy, CURLOPT_HTTPHEADER, client.headers.get()) == CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_PROXYHEADER, client.proxyHeaders.get()) == CURLE_OK &&
           // HTTP/1.0 also keeps curl from adding a Connection header.
           curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0)) ==
               CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, kWebSchemes) == CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, kWebSchemes) == CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects) == CURLE_OK &&
           // Dot segments stay as written, in the address and in a redirect's Location alike.
           curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L) == CURLE_OK &&
           // Every retrieval opens a connection of its own and closes it when it ends.
           curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L) == CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L) == CURLE_OK &&
           // The caller's signal handling stays its own; name look-ups run on curl's own threads.
           curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_SHARE, client.share.get()) == CURLE_OK;
}

std::unique_ptr<Client> gClient;
int gClientCreations = 0;
bool gFailNextCreation = false;
int gRetrievalsUnderWay = 0;
RetrievalTimeouts gTimeouts;

std::atomic<bool> gStopAll{false};
static_assert(std::atomic<bool>::is_always_lock_free,
              "StopAllRetrievals must be usable from a signal handler");

// Shared ownership lets a running hook replace itself without the function object it is executing
// being destroyed under it.
std::shared_ptr<const WaitHook> gWaitHook;

std::unique_ptr<Client> CreateClient() {
    auto client = std::make_unique<Client>();
    if (!client->library.Ready()) {
        return nullptr;
    }
    client->share.reset(curl_share_init());
    if (!client->share ||
        curl_share_setopt(client->share.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS) != CURLSHE_OK ||
        curl_share_setopt(client->share.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION) != CURLSHE_OK) {
        return nullptr;
    }
    if (gFailNextCreation) {
        gFailNextCreation = false;
        return nullptr;
    }
    if (!AppendHeader(client->headers, "Accept: */*") ||
        !AppendHeader(client->headers, "Proxy-Connection:") ||
        !AppendHeader(client->proxyHeaders, "Proxy-Connection:")) {
        return nullptr;
    }
    client->templateHandle.reset(curl_easy_init());
    if (!client->templateHandle || !SetFixedOptions(client->templateHandle.get(), *client)) {
        return nullptr;
    }
    return client;
}

// The client instance, created when there is none. A failed creation leaves none behind, so the next
// retrieval tries again.
Client* EnsureClient() {
    if (!gClient) {
        gClient = CreateClient();
        if (!gClient) {
            return nullptr;
        }
        ++gClientCreations;
        // Registered after curl_global_init, which sets up OpenSSL and its own exit handler: exit
        // handlers run in reverse order, so the cached TLS sessions are freed while OpenSSL still
        // stands. A static destructor would run too late.
        static const bool releasedAtExit = std::atexit(ReleaseHttpClient) == 0;
        (void)releasedAtExit;
    }
    return gClient.get();
}

bool IsWebAddress(CURLU* url) {
    char* part = nullptr;
    const bool found = curl_url_get(url, CURLUPART_SCHEME, &part, 0) == CURLUE_OK;
    const CurlString scheme(part);
    // curl hands the scheme back in lower case, whatever the address wrote.
    return found && (std::strcmp(scheme.get(), "http") == 0 || std::strcmp(scheme.get(), "https") == 0);
}

// Appends each piece of the body as it arrives, up to the size limit.
size_t OnBodyPiece(char* data, size_t size, size_t count, void* userData) noexcept {
    auto& body = *static_cast<std::string*>(userData);
    const size_t offered = size * count;
    const size_t taken = std::min(offered, kMaxBodyBytes - body.size());
    try {
        body.append(data, taken);
    } catch (...) {
        return 0; // out of memory: ends the transfer with what was gathered
    }
    return taken; // fewer bytes than offered end the transfer at the size limit
}

WaitAnswer AskWaitHook() {
    const std::shared_ptr<const WaitHook> hook = gWaitHook;
    return hook ? (*hook)() : WaitAnswer::Continue;
}

// Keeps an easy handle in a multi handle for one scope, so that every way out detaches it before
// either is cleaned up.
class Attachment {
public:
    Attachment(CURLM* multi, CURL* easy)
        : multi_(multi), easy_(easy), attached_(curl_multi_add_handle(multi, easy) == CURLM_OK) {}
    ~Attachment() {
        if (attached_) {
            curl_multi_remove_handle(multi_, easy_);
        }
    }
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

    [[nodiscard]] bool Attached() const noexcept { return attached_; }

private:
    CURLM* multi_;
    CURL* easy_;
    bool attached_;
};

// Runs the transfer to its end, or until the program or the wait hook stops it. The transfer's own
// result is not examined: whatever the body gathered is the answer, on every path.
void RunTransfer(CURLM* multi) {
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK || running == 0) {
            return;
        }
        if (gStopAll.load() || AskWaitHook() == WaitAnswer::Stop) {
            return;
        }
        if (curl_multi_poll(multi, nullptr, 0, kWaitSliceMs, nullptr) != CURLM_OK) {
            return;
        }
    }
}

void Retrieve(const Text& address, std::string& body) {
    if (address.IsEmpty() || gStopAll.load()) {
        return;
    }
    // Parsed here rather than by CURLOPT_URL, which would guess a scheme for an address without one,
    // so that a refused address never gets as far as creating the client.
    const UrlHandle url(curl_url());
    if (!url ||
        curl_url_set(url.get(), CURLUPART_URL, address.Bytes().c_str(), CURLU_PATH_AS_IS) != CURLUE_OK ||
        !IsWebAddress(url.get())) {
        return;
    }
    const Client* client = EnsureClient();
    if (!client) {
        return;
    }
    const EasyHandle easy(curl_easy_duphandle(client->templateHandle.get()));
    if (!easy) {
        return;
    }
    const RetrievalTimeouts timeouts = gTimeouts;
    // The share is not part of what curl_easy_duphandle copies. The transfer copies the parsed address
    // when it starts, and url outlives it anyway.
    if (curl_easy_setopt(easy.get(), CURLOPT_SHARE, client->share.get()) != CURLE_OK ||
        curl_easy_setopt(easy.get(), CURLOPT_CURLU, url.get()) != CURLE_OK ||
        curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, OnBodyPiece) != CURLE_OK ||
        curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &body) != CURLE_OK ||
        curl_easy_setopt(easy.get(), CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(timeouts.connect.count())) != CURLE_OK ||
        curl_easy_setopt(easy.get(), CURLOPT_LOW_SPEED_LIMIT, timeouts.lowSpeedBytesPerSecond) != CURLE_OK ||
        curl_easy_setopt(easy.get(), CURLOPT_LOW_SPEED_TIME, static_cast<long>(timeouts.lowSpeed.count())) !=
            CURLE_OK) {
        return;
    }
    const MultiHandle multi(curl_multi_init());
    if (!multi) {
        return;
    }
    const Attachment attachment(multi.get(), easy.get());
    if (attachment.Attached()) {
        RunTransfer(multi.get());
    }
}

} // namespace

ByteSet HttpGet(const Text& address) {
    std::string body;
    ++gRetrievalsUnderWay;
    try {
        Retrieve(address, body);
    } catch (...) {
        // Nothing but bytes reaches the caller: a failure keeps what arrived before it.
    }
    --gRetrievalsUnderWay;
    return ByteSet(std::move(body));
}

WaitHook SetWaitHook(WaitHook hook) {
    std::shared_ptr<const WaitHook> previous = std::move(gWaitHook);
    gWaitHook = hook ? std::make_shared<const WaitHook>(std::move(hook)) : nullptr;
    return previous ? *previous : WaitHook();
}

void StopAllRetrievals() noexcept {
    gStopAll.store(true);
}

RetrievalTimeouts SetRetrievalTimeouts(RetrievalTimeouts timeouts) {
    const RetrievalTimeouts previous = gTimeouts;
    gTimeouts = timeouts;
    return previous;
}

int HttpClientCreations() {
    return gClientCreations;
}

void FailNextHttpClientCreation() {
    gFailNextCreation = true;
}

void ReleaseHttpClient() {
    // A transfer under way still uses the share and the header lists; its end cleans up after it.
    if (gRetrievalsUnderWay == 0) {
        gClient.reset();
    }
}

void ResumeRetrievals() {
    gStopAll.store(false);
}

} // namespace vellmora
