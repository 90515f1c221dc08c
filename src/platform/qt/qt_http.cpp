// The update file over HTTPS for the Linux desktop backend, with libcurl.
#include "platform/platform.h"

#include <curl/curl.h>

#include <utility>

#ifndef TAVRELLE_UPDATE_CA
#define TAVRELLE_UPDATE_CA ""
#endif

namespace {

// The body so far and its bound.
struct Body {
    Bytes bytes;
    std::size_t max;
};

std::size_t keepBody(char* data, std::size_t size, std::size_t count, void* target)
{
    auto& body = *static_cast<Body*>(target);
    const std::size_t length = size * count;
    const std::size_t room = body.max - body.bytes.size();
    const std::size_t taken = length < room ? length : room;
    body.bytes.insert(body.bytes.end(), data, data + taken);
    return taken; // a short count ends the transfer once the bound is reached
}

} // namespace

namespace platform {

Bytes httpGetFile(const Text& address, const HttpRequest& request)
{
    Body body{{}, request.maxBody};
    if (address.empty())
        return {};
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!ready)
        return {};
    CURL* curl = curl_easy_init();
    if (curl == nullptr)
        return {};

    curl_slist* headers = nullptr;
    for (const char* header : request.headers)
        headers = curl_slist_append(headers, header);
    if (curl_easy_setopt(curl, CURLOPT_URL, address.c_str()) == CURLE_OK) {
        curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L); // the path goes out exactly as written
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
        curl_easy_setopt(curl, CURLOPT_USERAGENT, request.userAgent);
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        // A storage host may send the client on to another address of its
        // own; never from HTTPS down to plain HTTP.
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
        curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
        // No CURLOPT_PROXY: libcurl follows https_proxy (HTTPS_PROXY,
        // all_proxy) and no_proxy from the environment, as other programs on
        // Linux do. Through a proxy the request is tunnelled with CONNECT,
        // so the host's certificate is still checked end to end.
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
        if (*TAVRELLE_UPDATE_CA != '\0')
            curl_easy_setopt(curl, CURLOPT_CAINFO, TAVRELLE_UPDATE_CA);
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.connectMs));
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(request.wholeMs));
        // The whole-transfer limit also cuts a hung name lookup short, but
        // the lookup thread would still be joined on clean-up: leave it.
        curl_easy_setopt(curl, CURLOPT_QUICK_EXIT, 1L);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, keepBody);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);

        curl_easy_perform(curl); // however it ends, the bytes so far count
    }

    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
    return std::move(body.bytes);
}

} // namespace platform
