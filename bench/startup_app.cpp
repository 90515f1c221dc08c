// The program's start-up up to its window on screen: the toolkit, the
// window built from the control table, the creation handler (update check
// and random fill) and the show. With --in-process the update check is
// answered inside the process; otherwise it goes to the update address this
// build was configured with (bench/run.sh points it at a local HTTPS host).
// With --fetch-ahead (a what-if) the same fetch starts on a thread of its
// own first thing, and the check waits for its bytes, so that the fetch
// overlaps the toolkit and the window being built.
// With --breakdown the time of each phase goes to standard error.
#include "shown.h"

#include "app/startup.h"
#include "platform/platform.h"
#include "platform/qt/qt_window.h"
#include "update/update.h"
#include "window/control_model.h"

#include <QApplication>
#include <QStyleFactory>

#include <cstring>
#include <future>

namespace {

Bytes answerCurrent(const Text&)
{
    const Text file = "最新版本【20200915】";
    return Bytes(file.begin(), file.end());
}

std::future<Bytes> fetchedAhead;

Bytes answerFetchedAhead(const Text&)
{
    return fetchedAhead.get();
}

long long last = 0;

void mark(bool on, const char* phase)
{
    const long long now = bench::monotonicNs();
    if (on)
        std::fprintf(stderr, "%-28s %7.2f ms\n", phase, static_cast<double>(now - last) / 1e6);
    last = now;
}

} // namespace

int main(int argc, char** argv)
{
    bench::reportMain();
    bool breakdown = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--in-process") == 0)
            setUpdateFetcher(answerCurrent);
        else if (std::strcmp(argv[i], "--breakdown") == 0)
            breakdown = true;
        else if (std::strcmp(argv[i], "--fetch-ahead") == 0) {
            fetchedAhead = std::async(std::launch::async, [] { return platform::httpGetFile(updateFileAddress, updateRequest); });
            setUpdateFetcher(answerFetchedAhead);
        }
    }
    if (breakdown) {
        // The steps of openMainWindow, each timed on its own, and one more
        // fetch alone for its time.
        mark(false, "");
        platform::initialize();
        mark(true, "toolkit and style");
        const Bytes file = platform::httpGetFile(updateFileAddress, updateRequest);
        mark(true, "update fetch (extra, alone)");
        (void)file;
        const platform::WindowEvents events{
            [] {
                mark(true, "controls built");
                onMainWindowCreated();
                mark(true, "creation handler");
            },
            onControlClicked, markWindowClosing};
        platform::buildMainWindow(events);
        mark(true, "show");
    } else {
        openMainWindow();
    }
    // The download panel means the update check did not get the current
    // file: that start-up is not the one measured.
    if (qtwindow::widget(外形框2)->isVisible()) {
        std::fprintf(stderr, "the update check failed: the download panel shows\n");
        return 3;
    }
    if (breakdown) {
        QWidget* window = qtwindow::mainWindow();
        while (!(window->windowHandle() && window->windowHandle()->isExposed()))
            QCoreApplication::processEvents();
        mark(true, "exposed");
    }
    bench::reportWhenShown(qtwindow::mainWindow());
}
