#include "update/update.h"

#include "app/globals.h"
#include "platform/platform.h"
#include "window/control_model.h"

#ifndef TAVRELLE_UPDATE_URL
#error "the build sets TAVRELLE_UPDATE_URL"
#endif
#ifndef TAVRELLE_DOWNLOAD_URL
#error "the build sets TAVRELLE_DOWNLOAD_URL"
#endif

namespace {

// Always the server's copy, never one kept on the way.
constexpr const char* UpdateHeaders[] = {"Accept: */*", "Pragma: no-cache", "Cache-Control: no-cache"};

} // namespace

const platform::HttpRequest updateRequest{
    .userAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)",
    .headers = UpdateHeaders,
    .maxBody = 1 << 20,
    .connectMs = 10000,
    .wholeMs = 15000,
};

const Text updateFileAddress = TAVRELLE_UPDATE_URL;
const Text downloadPageAddress = TAVRELLE_DOWNLOAD_URL;

namespace {

UpdateFetcher fetcher = nullptr;

} // namespace

void checkForUpdate()
{
    // Only a build that someone publishes updates for checks; any other
    // build would always end up as the download panel.
    if (updateFileAddress.empty())
        return;
    Text page = bytesToText(fetcher ? fetcher(updateFileAddress) : platform::httpGetFile(updateFileAddress, updateRequest));
    // No order between versions: anything but the built-in one, the empty
    // text of a failed fetch included, sends the user to the download page.
    currentVersion = "20200915";
    latestVersion = versionInUpdateFile(page);
    if (currentVersion != latestVersion) {
        setLeft(外形框2, 0);
        setTop(外形框2, 0);
        setWidth(WindowSelf, 400);
        setHeight(WindowSelf, 240);
        setVisible(外形框2, true);
    }
    release(page);
}

void setUpdateFetcher(UpdateFetcher replacement)
{
    fetcher = replacement;
}

void onDownloadClicked()
{
    // No page to open: an empty address is not handed to the desktop shell,
    // which might open something else for it.
    if (downloadPageAddress.empty())
        return;
    platform::openWebAddress(downloadPageAddress);
}
