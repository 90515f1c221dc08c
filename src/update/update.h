// The start-up version check and the download panel.
#pragma once

#include "text/text.h"

#include <cstdint>

// Fetches the update file and, unless it names the built-in version, shrinks
// the window to the download panel. Once, before the window is first shown.
// A build without an update address does nothing here: no fetch, full window.
void checkForUpdate();
// The download button: asks the desktop to open the download page (nothing
// when the build has no download address).
void onDownloadClicked();

// The part of source between the first left marker at or after the 1-based
// byte start (below 1: the first byte) and the first right marker after it,
// or the empty text. "#引号" in a marker stands for a double quote. Matches
// are tried only where a character begins (a byte of 0x80 or above opens a
// two-byte character); ignoreCase folds the ASCII letters only.
Text textBetween(const Text& source, const Text& left, const Text& right, std::int32_t start,
                 bool ignoreCase);

// The version an update file's text names: what stands between "最新版本【"
// and the next "】", or the empty text.
Text versionInUpdateFile(const Text& page);

// The update file's request: user agent, headers and bounds. Start-up waits
// for the fetch, so it must end in bounded time and memory whatever the
// host does.
namespace platform {
struct HttpRequest;
}
extern const platform::HttpRequest updateRequest;

// Build settings (TAVRELLE_UPDATE_URL, TAVRELLE_DOWNLOAD_URL); either may be
// empty.
extern const Text updateFileAddress;
extern const Text downloadPageAddress;

// For tests: what fetches the update file (the platform's HTTPS client by
// default, or when set back to nullptr).
using UpdateFetcher = Bytes (*)(const Text& address);
void setUpdateFetcher(UpdateFetcher fetcher);
