// The update file over HTTP(S), with WinINet.
#include "platform/platform.h"

#include <windows.h>
#include <wininet.h>

#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

namespace {

// WinINet's own time-outs do not cover a hung name look-up, so the fetch
// runs on a helper that is given up at the request's deadline.

// What the helper and the waiting caller share.
struct Fetch {
    std::mutex mutex;
    Bytes body;
    HINTERNET session = nullptr; // closed once, by whoever gets there first
    bool abandoned = false;
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);

    ~Fetch()
    {
        if (done)
            CloseHandle(done);
    }
};

void setTimeouts(HINTERNET handle, const platform::HttpRequest& rules)
{
    DWORD connect = rules.connectMs;
    DWORD sendReceive = rules.wholeMs;
    InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &sendReceive, sizeof sendReceive);
    InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &sendReceive, sizeof sendReceive);
}

// The parts of an address; false when it cannot be parsed.
struct Address {
    std::string host;
    std::string path;
    INTERNET_PORT port = 0;
    bool secure = false;
};

bool crack(const std::string& address, Address& parts)
{
    char host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
    char path[INTERNET_MAX_URL_LENGTH + 1] = {};
    char extra[INTERNET_MAX_URL_LENGTH + 1] = {};
    URL_COMPONENTSA components{};
    components.dwStructSize = sizeof components;
    components.lpszHostName = host;
    components.dwHostNameLength = sizeof host;
    components.lpszUrlPath = path;
    components.dwUrlPathLength = sizeof path;
    components.lpszExtraInfo = extra;
    components.dwExtraInfoLength = sizeof extra;
    if (!InternetCrackUrlA(address.c_str(), static_cast<DWORD>(address.size()), 0, &components))
        return false;
    if (components.nScheme != INTERNET_SCHEME_HTTP && components.nScheme != INTERNET_SCHEME_HTTPS)
        return false;
    parts.host.assign(host, components.dwHostNameLength);
    parts.path.assign(path, components.dwUrlPathLength);
    parts.path.append(extra, components.dwExtraInfoLength); // sent as written
    if (parts.path.empty())
        parts.path = "/";
    parts.port = components.nPort;
    parts.secure = components.nScheme == INTERNET_SCHEME_HTTPS;
    return !parts.host.empty();
}

// The request's headers as HttpSendRequest takes them: one block, each line
// ended by CR LF.
std::string headerBlock(const platform::HttpRequest& rules)
{
    std::string block;
    for (const char* header : rules.headers)
        block.append(header).append("\r\n");
    return block;
}

void fetchInto(Fetch& fetch, const std::string& address, const platform::HttpRequest& rules)
{
    Address parts;
    if (!crack(address, parts))
        return;
    HINTERNET session = InternetOpenA(rules.userAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (session == nullptr)
        return;
    {
        const std::lock_guard lock(fetch.mutex);
        if (fetch.abandoned) {
            InternetCloseHandle(session);
            return;
        }
        fetch.session = session;
    }
    setTimeouts(session, rules);

    HINTERNET connection =
        InternetConnectA(session, parts.host.c_str(), parts.port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request = nullptr;
    if (connection != nullptr) {
        // Never an answer from the local cache, and nothing stored; the
        // request's own headers ask the way for the server's copy.
        DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI;
        if (parts.secure)
            flags |= INTERNET_FLAG_SECURE; // with the system's certificate checks
        // No accept types here: the one Accept header goes with the request.
        request = HttpOpenRequestA(connection, "GET", parts.path.c_str(), "HTTP/1.0", nullptr, nullptr, flags, 0);
    }
    const std::string headers = headerBlock(rules);
    if (request != nullptr &&
        HttpSendRequestA(request, headers.c_str(), static_cast<DWORD>(headers.size()), nullptr, 0)) {
        // Whatever the status, the body counts; a failed read keeps what came.
        char chunk[8192];
        for (;;) {
            DWORD read = 0;
            if (!InternetReadFile(request, chunk, sizeof chunk, &read) || read == 0)
                break;
            const std::lock_guard lock(fetch.mutex);
            if (fetch.abandoned)
                break;
            const std::size_t room = rules.maxBody - fetch.body.size();
            const std::size_t taken = read < room ? read : room;
            fetch.body.insert(fetch.body.end(), chunk, chunk + taken);
            if (fetch.body.size() >= rules.maxBody)
                break;
        }
    }

    const std::lock_guard lock(fetch.mutex);
    if (fetch.abandoned)
        return; // the caller closed the session, and with it these handles
    if (request)
        InternetCloseHandle(request);
    if (connection)
        InternetCloseHandle(connection);
    InternetCloseHandle(session);
    fetch.session = nullptr;
}

} // namespace

namespace platform {

Bytes httpGetFile(const Text& address, const HttpRequest& rules)
{
    if (address.empty())
        return {};
    auto fetch = std::make_shared<Fetch>();
    if (fetch->done == nullptr)
        return {};
    try {
        // The helper may outlive this call: it keeps its own copy of the
        // rules, whose texts are constants of the program.
        std::thread([fetch, address, rules] {
            fetchInto(*fetch, address, rules);
            SetEvent(fetch->done);
        }).detach();
    } catch (const std::system_error&) {
        return {};
    }

    const bool finished = WaitForSingleObject(fetch->done, rules.wholeMs) == WAIT_OBJECT_0;
    HINTERNET given = nullptr;
    Bytes body;
    {
        const std::lock_guard lock(fetch->mutex);
        if (!finished) {
            fetch->abandoned = true;
            given = fetch->session;
            fetch->session = nullptr;
        }
        body = fetch->body;
    }
    // Closing the session ends the helper's blocking calls; it keeps its
    // share of the state until it returns.
    if (given)
        InternetCloseHandle(given);
    return body;
}

} // namespace platform
