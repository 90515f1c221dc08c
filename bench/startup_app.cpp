// The program's start-up up to its window on screen: the toolkit, the
// window built from the control table, the creation handler (update check
// and random fill) and the show. With --in-process the update check is
// answered inside the process; otherwise it goes to the update address this
// build was configured with (bench/run.sh points it at a local HTTPS host).
// With --breakdown the time of each phase goes to standard error.
#include "shown.h"

#include "app/startup.h"
#include "platform/platform.h"
#include "platform/qt/qt_window.h"
#include "update/update.h"

#include <QApplication>
#include <QStyleFactory>

#include <cstring>

namespace {

Bytes answerCurrent(const Text&)
{
    const Text file = "最新版本【20200915】";
    return Bytes(file.begin(), file.end());
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
    bool breakdown = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--in-process") == 0)
            setUpdateFetcher(answerCurrent);
        else if (std::strcmp(argv[i], "--breakdown") == 0)
            breakdown = true;
    }
    if (breakdown) {
        // The same steps as openMainWindow, each timed on its own.
        mark(false, "");
        platform::initialize();
        mark(true, "toolkit and style");
        const Bytes file = platform::httpGetFile(updateFileAddress);
        mark(true, "update fetch (extra, alone)");
        (void)file;
    }
    openMainWindow();
    mark(breakdown, "window, handler, show");
    // The download panel means the update check did not get the current
    // file: that start-up is not the one measured.
    if (qtwindow::widget(外形框2)->isVisible()) {
        std::fprintf(stderr, "the update check failed: the download panel shows\n");
        return 3;
    }
    bench::reportWhenShown(qtwindow::mainWindow());
}
