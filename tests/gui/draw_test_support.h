// Shared helpers of the draw tests: a tick counter the test controls (so
// the next draw is known, and a draw can be held at a known point), a
// reference generator, group set-up and log parsing.
#pragma once

#include "harness.h"
#include "reference_ticket.h"

#include "app/globals.h"
#include "draw/groups.h"
#include "draw/run.h"
#include "draw/ticket.h"
#include "window/control_model.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QThread>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace drawtest {

// Found offline: this seed gives 3+7+12+20+25+31+9.
constexpr std::uint32_t seedOf3_7_12_20_25_31_9 = 10993433u;

// The tick counter the tests install. Every ticket comes from `seed`
// (makeTicket adds seedCounter to the tick; the source takes it off again),
// so every draw shows the same known ticket. When call number `holdAt`
// comes, the calling thread waits (with the worker gate let go, so other
// workers and clicks go on) until release(), and that one ticket comes from
// `heldSeed`.
struct Ticks {
    std::atomic<std::uint32_t> seed{1};
    std::atomic<std::uint32_t> heldSeed{1};
    std::atomic<int> calls{0};
    std::atomic<int> holdAt{0};
    std::atomic<bool> held{false};
    std::atomic<bool> released{false};
};

inline Ticks ticks;

// Waits at most 10 s for flag: a test that forgot to release must not hang.
inline void waitForFlag(const std::atomic<bool>& flag)
{
    QDeadlineTimer deadline(10000);
    while (!flag.load() && !deadline.hasExpired())
        QThread::msleep(1);
}

inline std::uint32_t testTick()
{
    const int call = ticks.calls.fetch_add(1) + 1;
    std::uint32_t seed = ticks.seed.load();
    if (call == ticks.holdAt.load()) {
        ticks.held.store(true);
        waitOutsideGate([] { waitForFlag(ticks.released); });
        seed = ticks.heldSeed.load();
    }
    return seed - seedCounter; // called inside makeTicket, under drawLock
}

// Every ticket from now on is referenceTicket(seed).
inline void fixTickets(std::uint32_t seed)
{
    ticks.seed.store(seed);
    ticks.heldSeed.store(seed);
    ticks.holdAt.store(0);
    ticks.held.store(false);
    ticks.released.store(false);
    ticks.calls.store(0);
    setTickSource(testTick);
}

// The draw that makes the nth ticket from now waits at its start until
// release(), and its ticket comes from heldSeed.
inline void holdTicket(int nth, std::uint32_t heldSeed)
{
    ticks.held.store(false);
    ticks.released.store(false);
    ticks.heldSeed.store(heldSeed);
    ticks.holdAt.store(ticks.calls.load() + nth);
}

inline void release()
{
    ticks.released.store(true);
}

// A pause probe that holds the worker at the start of its nth pause from
// now until releasePause(), with the worker gate let go.
struct Pauses {
    std::atomic<int> seen{0};
    std::atomic<int> holdAt{0};
    std::atomic<bool> held{false};
    std::atomic<bool> released{false};
};
inline Pauses pauses;

inline void pauseHook()
{
    if (pauses.seen.fetch_add(1) + 1 != pauses.holdAt.load())
        return;
    pauses.held.store(true);
    waitOutsideGate([] { waitForFlag(pauses.released); });
}

inline void holdPause(int nth)
{
    pauses.seen.store(0);
    pauses.held.store(false);
    pauses.released.store(false);
    pauses.holdAt.store(nth);
    pauseProbe.store(pauseHook);
}

inline void releasePause()
{
    pauses.released.store(true);
}

inline void setTicked(std::int32_t group, bool ticked)
{
    if ((readTicked(groupTickBox(group)) == 1) != ticked)
        harness::click(groupTickBox(group).id);
}

// Types a ticket into a group's boxes: six reds, then the blue.
inline void typeGroup(std::int32_t group, const std::array<Text, 7>& numbers)
{
    for (std::int32_t p = 1; p <= 7; ++p)
        harness::typeInto(groupNumberBox(group, p).id, numbers[static_cast<std::size_t>(p - 1)]);
}

inline std::array<Text, 7> ticketParts(const Text& ticket)
{
    const auto parts = splitText(ticket, "+");
    std::array<Text, 7> numbers;
    for (std::size_t i = 0; i < 7 && i < parts.size(); ++i)
        numbers[i] = parts[i];
    return numbers;
}

// The display form of a ticket: "r1  r2  r3  r4  r5  r6 + b".
inline Text displayOf(const Text& ticket)
{
    const auto n = ticketParts(ticket);
    return n[0] + "  " + n[1] + "  " + n[2] + "  " + n[3] + "  " + n[4] + "  " + n[5] + " + " + n[6];
}

inline std::vector<Text> logLines()
{
    std::vector<Text> lines = splitText(readText(编辑框1输出), "\r\n");
    if (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

// The period of a log line "第N期:...", or -1.
inline std::int64_t periodOf(const Text& line)
{
    const Text head = "第";
    const auto colon = line.find("期:");
    if (line.rfind(head, 0) != 0 || colon == Text::npos)
        return -1;
    return textToWhole(line.substr(head.size(), colon - head.size()));
}

// A draw line ends with two spaces; a prize line names its group.
inline bool isDrawLine(const Text& line)
{
    return line.find("组,") == Text::npos;
}

inline std::vector<std::int64_t> drawPeriods()
{
    std::vector<std::int64_t> periods;
    for (const Text& line : logLines())
        if (isDrawLine(line))
            periods.push_back(periodOf(line));
    return periods;
}

// The period number the label shows.
inline std::int64_t shownPeriod()
{
    const Text label = readText(透明标签1期数);
    return label.size() > 4 ? textToWhole(label.substr(2, label.size() - 4)) : 0;
}

inline std::int64_t shownSpending()
{
    return textToWhole(dropLeft(readText(透明标签1消费金额), 6));
}

// Empties the log and the tallies' labels; only while no run draws.
inline void clearLogAndTallies()
{
    for (ControlId id : {编辑框1输出, 透明标签1中奖金额, 标签1一等, 标签1二等, 标签1三等, 标签1四等,
                         标签1五等, 标签1六等})
        writeText(id, "");
}

// Records, in order, every change that the worker's control operations make
// to the watched controls. Each operation of a worker is one queued call on
// the user-interface thread; the controls are looked at before every event
// (the event itself is not read: Qt fills it on the worker, out of sight of
// ThreadSanitizer) and once more by finish(), so each change shows as its
// own entry.
// The log is recorded as the text appended.
class Trace : public QObject {
public:
    explicit Trace(std::vector<ControlId> watched) : watched_(std::move(watched))
    {
        for (ControlId id : watched_)
            last_.push_back(readText(id));
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~Trace() override { QCoreApplication::instance()->removeEventFilter(this); }

    const std::vector<std::string>& finish()
    {
        look();
        QCoreApplication::instance()->removeEventFilter(this);
        return entries_;
    }

protected:
    bool eventFilter(QObject*, QEvent*) override
    {
        look();
        return false;
    }

private:
    void look()
    {
        for (std::size_t i = 0; i < watched_.size(); ++i) {
            Text now = readText(watched_[i]);
            if (now == last_[i])
                continue;
            if (watched_[i] == 编辑框1输出 && now.rfind(last_[i], 0) == 0)
                entries_.push_back("log+" + now.substr(last_[i].size()));
            else
                entries_.push_back(std::to_string(static_cast<int>(watched_[i])) + "=" + now);
            last_[i] = std::move(now);
        }
    }

    std::vector<ControlId> watched_;
    std::vector<Text> last_;
    std::vector<std::string> entries_;
};

inline std::string entry(ControlId id, const Text& text)
{
    return std::to_string(static_cast<int>(id)) + "=" + text;
}

} // namespace drawtest
