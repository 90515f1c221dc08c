// The update file over HTTPS, with libcurl.
#include "platform/platform.h"

#include <curl/curl.h>

#ifndef TAVRELLE_UPDATE_CA
#define TAVRELLE_UPDATE_CA ""
#endif

namespace {

// Start-up waits for the fetch: it must end in bounded time and memory
// whatever the host does.
constexpr long WholeFetchMs = 15000;
constexpr long ConnectMs = 10000;
constexpr std::size_t MaxBody = 1 << 20;

std::size_t keepBody(char* data, std::size_t size, std::size_t count, void* target)
{
    auto& body = *static_cast<Bytes*>(target);
    const std::size_t length = size * count;
    const std::size_t room = MaxBody - body.size();
    const std::size_t taken = length < room ? length : room;
    body.insert(body.end(), data, data + taken);
    return taken; // a short count ends the transfer once the bound is reached
}

} // namespace

namespace platform {

Bytes httpGetFile(const Text& address)
{
    Bytes body;
    if (address.empty())
        return body;
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!ready)
        return body;
    CURL* curl = curl_easy_init();
    if (curl == nullptr)
        return body;

    curl_slist* headers = curl_slist_append(nullptr, "Accept: */*");
    curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (*TAVRELLE_UPDATE_CA != '\0')
        curl_easy_setopt(curl, CURLOPT_CAINFO, TAVRELLE_UPDATE_CA);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, ConnectMs);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, WholeFetchMs);
    curl_easy_setopt(curl, CURLOPT_QUICK_EXIT, 1L); // a hung name lookup is not waited for
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, keepBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);

    curl_easy_perform(curl); // whatever it ends with, the bytes so far count

    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
    return body;
}

} // namespace platform
