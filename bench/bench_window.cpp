// Benchmarks on the real window of the Linux build, in-process (the update
// check is answered inside the process, as in the GUI tests).
//   tavrelle_bench pacing REPS    200-draw runs of five groups / 200 x 10 ms
//   tavrelle_bench flat REPS      draw time with 100,000 log lines / empty log
//   tavrelle_bench respond CLICKS click on stop to caption "开桨", in ms
//   tavrelle_bench memory         resident growth / bytes of 100,000 log lines
//   tavrelle_bench whatif REPS    the draws with their control work as one UI step
//   tavrelle_bench step-parts N   where one draw's UI work goes, part by part
// Each prints "RESULT <figure> <value> <context>" lines for bench/run.sh.
#include "stats.h"
#include "harness.h"

#include "app/globals.h"
#include "draw/draw_once.h"
#include "draw/groups.h"
#include "draw/run.h"
#include "platform/qt/qt_log_view.h"
#include "window/control_model.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <malloc.h>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Dispatches events until condition holds, looking every millisecond.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    if (condition())
        return true;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    bool met = false;
    QEventLoop loop;
    QTimer look;
    look.setTimerType(Qt::PreciseTimer);
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (condition()) {
            met = true;
            loop.quit();
        } else if (Clock::now() > deadline) {
            loop.quit();
        }
    });
    look.start(1);
    loop.exec();
    return met;
}

void settle(int ms)
{
    waitUntil([] { return false; }, ms);
}

bool captionIs(const Text& caption)
{
    return readText(按钮1开奖) == caption;
}

// No run: the caption is back and the period stays put for a while (a
// stopped run may still finish the draw it was in).
bool waitIdle(int timeoutMs = 30000)
{
    if (!waitUntil([] { return captionIs("开桨"); }, timeoutMs))
        return false;
    Text period = readText(透明标签1期数);
    auto steadySince = Clock::now();
    return waitUntil(
        [&] {
            const Text now = readText(透明标签1期数);
            if (now != period) {
                period = now;
                steadySince = Clock::now();
            }
            return msBetween(steadySince, Clock::now()) > 40 && captionIs("开桨");
        },
        timeoutMs);
}

void tickAllGroups()
{
    bool cleared = false;
    for (std::int32_t k = 1; k <= 5; ++k) {
        if (readTicked(groupTickBox(k)) != 1) {
            harness::click(groupTickBox(k).id);
            cleared = true;
        }
    }
    if (cleared)
        harness::click(按钮1随机生成);
}

// A log line as a draw writes it: period, six reds, the blue.
Text logLine(std::int32_t period, std::mt19937& random)
{
    std::vector<int> pool(33);
    for (int i = 0; i < 33; ++i)
        pool[static_cast<std::size_t>(i)] = i + 1;
    std::shuffle(pool.begin(), pool.end(), random);
    std::sort(pool.begin(), pool.begin() + 6);
    Text line = "第" + intToText(period) + "期:";
    for (int i = 0; i < 6; ++i)
        line += intToText(pool[static_cast<std::size_t>(i)]) + (i < 5 ? "  " : " + ");
    line += intToText(static_cast<std::int32_t>(random() % 16 + 1)) + "  \r\n";
    return line;
}

// Appends lines to the log through the control model, letting the window
// repaint every thousand lines as it would between draws. Returns the bytes
// appended.
std::size_t fillLog(std::int32_t lines)
{
    std::mt19937 random(7);
    std::size_t bytes = 0;
    for (std::int32_t i = 1; i <= lines; ++i) {
        const Text line = logLine(i, random);
        bytes += line.size();
        appendText(编辑框1输出, line);
        if (i % 1000 == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    return bytes;
}

// Puts lines into the log in one write: the same document as appending
// them one by one (a block per line), in a fraction of the time.
void setLog(std::int32_t lines)
{
    std::mt19937 random(7);
    Text text;
    text.reserve(static_cast<std::size_t>(lines) * 40);
    for (std::int32_t i = 1; i <= lines; ++i)
        text += logLine(i, random);
    writeText(编辑框1输出, text);
    QCoreApplication::processEvents();
}

long residentBytes()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

// --- pacing ----------------------------------------------------------------

void pacing(int reps)
{
    tickAllGroups();
    harness::typeInto(编辑框1开奖, "200");
    std::vector<double> ratios, walls;
    int attempts = 0;
    while (static_cast<int>(ratios.size()) < reps && attempts++ < reps + 3) {
        if (!waitIdle()) {
            std::fprintf(stderr, "pacing: the window never came back idle\n");
            std::_Exit(1);
        }
        const std::int32_t before = drawCount;
        const auto start = Clock::now();
        harness::click(按钮1开奖);
        // The worker claims the run through the caption, then gives it back.
        if (!waitUntil([] { return captionIs("开桨中"); }, 10000) ||
            !waitUntil([] { return captionIs("开桨"); }, 60000)) {
            std::fprintf(stderr, "pacing: a run did not start or end\n");
            std::_Exit(1);
        }
        const double wall = msBetween(start, Clock::now());
        waitIdle();
        if (drawCount - before != 200) // a first prize stops the run early
            continue;
        walls.push_back(wall);
        ratios.push_back(wall / (200 * 10.0));
    }
    result("pacing", median(ratios),
           format("median %.0f ms per 200 draws, min %.0f, max %.0f", median(walls),
                  *std::min_element(walls.begin(), walls.end()), *std::max_element(walls.begin(), walls.end())));
}

// --- flat draws --------------------------------------------------------------

std::atomic<bool> flatDone{false};
int flatDraws = 0;
std::vector<double> flatTimes;

// A worker that draws flatDraws times with no pause, timing each draw.
void flatWorker()
{
    // The run's set-up: the groups' keys, as a click on the draw button builds them.
    for (std::int32_t k = 1; k <= 5; ++k) {
        Text reds[6];
        for (std::int32_t p = 1; p <= 6; ++p)
            reds[p - 1] = readText(groupNumberBox(k, p));
        groupRedKeys[static_cast<std::size_t>(k - 1)] =
            groupRedKey(reds[0], reds[1], reds[2], reds[3], reds[4], reds[5]);
    }
    for (int i = 0; i < flatDraws; ++i) {
        const auto start = Clock::now();
        drawOnce();
        flatTimes.push_back(msBetween(start, Clock::now()));
    }
    flatDone.store(true);
}

double drawBlock(int draws)
{
    flatDraws = draws;
    flatTimes.clear();
    flatTimes.reserve(static_cast<std::size_t>(draws));
    flatDone.store(false);
    if (!startWorker(flatWorker)) {
        std::fprintf(stderr, "flat: no worker\n");
        std::_Exit(1);
    }
    if (!waitUntil([] { return flatDone.load(); }, 300000)) {
        std::fprintf(stderr, "flat: the draws did not end\n");
        std::_Exit(1);
    }
    settle(20); // the worker lets go of the gate
    return median(flatTimes);
}

void flat(int reps)
{
    tickAllGroups();
    constexpr int Draws = 150;
    constexpr std::int32_t Lines = 100000;
    std::vector<double> ratios, empty, full;
    auto* log = dynamic_cast<LogView*>(harness::widget(编辑框1输出));
    int fullBlocks = 0;
    const auto emptyBlock = [&] {
        writeText(编辑框1输出, "");
        settle(20);
        empty.push_back(drawBlock(Draws));
    };
    const auto fullBlock = [&] {
        setLog(Lines);
        settle(20);
        fullBlocks = static_cast<int>(log->lineCount());
        full.push_back(drawBlock(Draws));
    };
    for (int r = 0; r < reps; ++r) {
        // Alternate the order so that neither state always comes first.
        if (r % 2 == 0) {
            emptyBlock();
            fullBlock();
        } else {
            fullBlock();
            emptyBlock();
        }
        ratios.push_back(full.back() / empty.back());
    }
    writeText(编辑框1输出, "");
    result("flat", median(ratios),
           format("median per draw %.3f ms with 100,000 lines (%.0f blocks before), %.3f ms empty", median(full),
                  fullBlocks, median(empty)));
}

// --- what-if: a draw's control work as one step on the UI thread -------------
//
// Not the program's own run: the same draws and pauses, timed on the worker,
// once as the program draws (every control operation its own hop to the UI
// thread) and once with the whole draw carried out as one UI step, to show
// what batching the hops would give.

std::atomic<bool> whatIfDone{false};
bool whatIfBatched = false;
int whatIfDraws = 0;
bool whatIfPaced = false;
double whatIfMs = 0;
std::vector<double> whatIfTimes;

void whatIfWorker()
{
    for (std::int32_t k = 1; k <= 5; ++k) {
        Text reds[6];
        for (std::int32_t p = 1; p <= 6; ++p)
            reds[p - 1] = readText(groupNumberBox(k, p));
        groupRedKeys[static_cast<std::size_t>(k - 1)] =
            groupRedKey(reds[0], reds[1], reds[2], reds[3], reds[4], reds[5]);
    }
    const auto start = Clock::now();
    for (int i = 0; i < whatIfDraws; ++i) {
        const auto drawStart = Clock::now();
        if (whatIfBatched)
            asOneStep([] { drawOnce(); });
        else
            drawOnce();
        whatIfTimes.push_back(msBetween(drawStart, Clock::now()));
        if (whatIfPaced)
            pumpDelay(10, 0);
    }
    whatIfMs = msBetween(start, Clock::now());
    whatIfDone.store(true);
}

void runWhatIf(bool batched, bool paced, int draws)
{
    whatIfBatched = batched;
    whatIfPaced = paced;
    whatIfDraws = draws;
    whatIfTimes.clear();
    whatIfTimes.reserve(static_cast<std::size_t>(draws));
    whatIfDone.store(false);
    if (!startWorker(whatIfWorker) || !waitUntil([] { return whatIfDone.load(); }, 300000)) {
        std::fprintf(stderr, "whatif: the draws did not end\n");
        std::_Exit(1);
    }
    settle(20);
}

void whatIf(int reps)
{
    tickAllGroups();
    std::vector<double> hopDraw, stepDraw, hopPaced, stepPaced;
    for (int r = 0; r < reps; ++r) {
        for (const bool batched : {r % 2 == 0, r % 2 != 0}) {
            writeText(编辑框1输出, "");
            runWhatIf(batched, false, 150);
            (batched ? stepDraw : hopDraw).push_back(median(whatIfTimes));
            runWhatIf(batched, true, 200);
            (batched ? stepPaced : hopPaced).push_back(whatIfMs / 2000.0);
        }
    }
    result("whatif-flat", median(stepDraw) / median(hopDraw),
           format("per draw %.3f ms as one UI step, %.3f ms hop by hop", median(stepDraw), median(hopDraw)));
    result("whatif-pacing", median(stepPaced),
           format("200 paced draws as one UI step each; hop by hop %.3f (worker-side timing)", median(hopPaced)));
}

// --- the parts of one UI step ------------------------------------------------
//
// A draw's control work done on the UI thread directly, part by part, and
// then the repaint it causes, to show where a batched draw's time would go.

void stepParts(int draws)
{
    tickAllGroups();
    writeText(编辑框1输出, "");
    settle(50);
    std::mt19937 random(5);
    // Work and the repaint it causes, for each part of a draw.
    std::vector<double> work[4], paint[4];
    for (int d = 1; d <= draws; ++d) {
        const Text line = logLine(d, random);
        const std::function<void()> steps[4] = {
            [&] {
                for (std::int32_t i = 1; i <= 7; ++i)
                    writeText(findEditBoxByTag(100 + i), intToText(static_cast<std::int32_t>(random() % 33 + 1)));
            },
            [&] {
                for (std::int32_t i = 1; i <= 7; ++i)
                    (void)readText(findEditBoxByTag(100 + i));
                for (std::int32_t k = 1; k <= 5; ++k) {
                    (void)readTicked(groupTickBox(k));
                    (void)readText(groupNumberBox(k, 7));
                }
            },
            [&] {
                writeText(透明标签1期数, "第" + intToText(d) + "期");
                for (std::int32_t k = 1; k <= 5; ++k)
                    writeText(透明标签1消费金额, "共消费" + intToText(d * 10 + k * 2));
            },
            [&] { appendText(编辑框1输出, line); },
        };
        for (int k = 0; k < 4; ++k) {
            auto at = Clock::now();
            steps[k]();
            const auto done = Clock::now();
            QCoreApplication::processEvents(); // the repaint this part asked for
            work[k].push_back(msBetween(at, done));
            paint[k].push_back(msBetween(done, Clock::now()));
        }
        settle(8);
    }
    const char* names[4] = {"draw row writes", "reads", "period and spend labels", "log append"};
    std::string context = "ms per draw on the UI thread, work + repaint:";
    double total = 0;
    for (int k = 0; k < 4; ++k) {
        total += median(work[k]) + median(paint[k]);
        context += std::string(" ") + names[k] + format(" %.3f + %.3f;", median(work[k]), median(paint[k]));
    }
    result("step-parts", total, context);
}

// --- responsiveness ----------------------------------------------------------

// Posts a prepared press and release to the stop button from its own thread
// after a delay, as the window system would queue a real click.
class Clicker {
public:
    Clicker() : thread_([this] { loop(); }) {}
    ~Clicker()
    {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    void arm(QObject* target, QEvent* press, QEvent* release, int delayMs)
    {
        std::lock_guard lock(mutex_);
        target_ = target;
        press_ = press;
        release_ = release;
        delayMs_ = delayMs;
        armed_ = true;
        wake_.notify_all();
    }

    Clock::time_point postedAt() const { return Clock::time_point(Clock::duration(postedAt_.load())); }
    bool posted() const { return posted_.load(); }
    void reset() { posted_.store(false); }

private:
    void loop()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return armed_ || quit_; });
            if (quit_)
                return;
            armed_ = false;
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs_));
            postedAt_.store(Clock::now().time_since_epoch().count());
            QCoreApplication::postEvent(target_, press_);
            QCoreApplication::postEvent(target_, release_);
            posted_.store(true);
            lock.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    bool armed_ = false;
    bool quit_ = false;
    QObject* target_ = nullptr;
    QEvent* press_ = nullptr;
    QEvent* release_ = nullptr;
    int delayMs_ = 0;
    std::atomic<Clock::rep> postedAt_{0};
    std::atomic<bool> posted_{false};
    std::thread thread_;
};

void respond(int clicks)
{
    tickAllGroups();
    harness::typeInto(编辑框1开奖, "100000");
    auto* stop = qobject_cast<QAbstractButton*>(harness::widget(按钮1停止));
    const QPointF centre = QRectF(stop->rect()).center();

    // Connected after the window's own handler, so it runs once the stop
    // handler has returned; the caption it wrote is checked there.
    bool stopped = false;
    Clock::time_point landedAt;
    QObject::connect(stop, &QAbstractButton::clicked, stop, [&] {
        if (captionIs("开桨")) {
            landedAt = Clock::now();
            stopped = true;
        }
    });

    Clicker clicker;
    std::mt19937 random(11);
    std::vector<double> delays;
    int late = 0;
    for (int c = 0; c < clicks; ++c) {
        if (!waitIdle()) {
            std::fprintf(stderr, "respond: the window never came back idle\n");
            std::_Exit(1);
        }
        const Text period = readText(透明标签1期数);
        harness::click(按钮1开奖);
        // The run has claimed the caption and drawn at least once.
        if (!waitUntil([&] { return captionIs("开桨中") && readText(透明标签1期数) != period; }, 10000)) {
            std::fprintf(stderr, "respond: the run did not start\n");
            std::_Exit(1);
        }
        stopped = false;
        clicker.reset();
        auto* press = new QMouseEvent(QEvent::MouseButtonPress, centre, stop->mapToGlobal(centre), Qt::LeftButton,
                                      Qt::LeftButton, Qt::NoModifier);
        auto* release = new QMouseEvent(QEvent::MouseButtonRelease, centre, stop->mapToGlobal(centre),
                                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        clicker.arm(stop, press, release, static_cast<int>(random() % 40));
        // The caption may also come back by another path (a handler that
        // defers its write): then the first look that sees it counts.
        if (!waitUntil([&] { return stopped || (clicker.posted() && captionIs("开桨")); }, 10000)) {
            std::fprintf(stderr, "respond: the stop click never landed\n");
            std::_Exit(1);
        }
        if (!stopped) {
            landedAt = Clock::now();
            ++late;
        }
        delays.push_back(msBetween(clicker.postedAt(), landedAt));
    }
    waitIdle();
    result("respond", percentile(delays, 99),
           format("ms; median %.2f ms, max %.2f ms over %.0f clicks", median(delays),
                  *std::max_element(delays.begin(), delays.end()), static_cast<double>(delays.size())) +
               (late ? ", " + std::to_string(late) + " seen by polling" : std::string()));
}

// --- memory ----------------------------------------------------------------

void memory()
{
    settle(300);
    const long before = residentBytes();
    const auto start = Clock::now();
    const std::size_t bytes = fillLog(100000);
    const double fillMs = msBetween(start, Clock::now());
    settle(300);
    const long after = residentBytes();
    malloc_trim(0);
    const long trimmed = residentBytes();
    result("memory", static_cast<double>(after - before) / static_cast<double>(bytes),
           format("RSS +%.1f MiB for %.1f MiB of log text (%.2f after malloc_trim)",
                  static_cast<double>(after - before) / 1048576.0, static_cast<double>(bytes) / 1048576.0,
                  static_cast<double>(trimmed - before) / static_cast<double>(bytes)));
    result("fill", fillMs * 1000.0 / 100000, "microseconds per log line appended on the UI thread, up to 100,000 lines");
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const std::string mode = argc > 1 ? argv[1] : "";
    const int count = argc > 2 ? std::atoi(argv[2]) : 0;
    if (mode != "pacing" && mode != "flat" && mode != "respond" && mode != "memory" && mode != "whatif" &&
        mode != "step-parts") {
        std::fprintf(stderr, "usage: tavrelle_bench pacing|flat|respond|memory|whatif|step-parts [REPS]\n");
        return 2;
    }
    harness::openMainWindow();
    if (mode == "pacing")
        pacing(count > 0 ? count : 5);
    else if (mode == "flat")
        flat(count > 0 ? count : 3);
    else if (mode == "step-parts")
        stepParts(count > 0 ? count : 200);
    else if (mode == "whatif")
        whatIf(count > 0 ? count : 3);
    else if (mode == "respond")
        respond(count > 0 ? count : 200);
    else
        memory();
    // Workers may be parked in a wait: end without tearing the window down.
    std::fflush(nullptr);
    std::_Exit(0);
}
