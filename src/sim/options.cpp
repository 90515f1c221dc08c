#include "sim/options.h"

#include "platform/headless/headless.h"

#include <charconv>
#include <limits>

namespace sim {

const char* const usageText =
    "Usage: tavrelle-sim [options]\n"
    "Runs Tavrelle's draws without a window and prints the tallies.\n"
    "\n"
    "  --ticket R+R+R+R+R+R+B  a ticket in the next group, ticked (up to five)\n"
    "  --random K              the next K groups filled at random, ticked\n"
    "                          (neither option: five random groups, as the window opens)\n"
    "  --draws N               draws in the run (default 100); a first prize ends it\n"
    "  --until-first-prize     draw until a first prize\n"
    "  --tick T                the tick counter reads T (0-4294967295): a repeatable run\n"
    "  --log FILE              the log as the window's log box holds it (GBK, CR LF)\n"
    "  --utf8                  the log in UTF-8 instead\n"
    "  --json                  the tallies as one JSON object\n"
    "  --chart FILE.svg        a chart of money spent and won over the draws\n"
    "  --help                  this text\n";

namespace {

constexpr int maxGroups = 5;

template <typename Number>
bool readNumber(const std::string& text, Number& value)
{
    if (text.empty() || text.front() == '+' || text.front() == '-')
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

} // namespace

Parsed parseArguments(const std::vector<std::string>& arguments)
{
    Parsed parsed;
    Options& o = parsed.options;
    bool drawsGiven = false, randomGiven = false, tickGiven = false;
    auto fail = [&](const std::string& message) {
        parsed.error = message;
        return parsed;
    };

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::string value;
        bool inlineValue = false;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            inlineValue = true;
        }
        const bool takesValue = name == "--ticket" || name == "--random" || name == "--draws" ||
                                name == "--tick" || name == "--log" || name == "--chart";
        const bool flag = name == "--until-first-prize" || name == "--utf8" || name == "--json" ||
                          name == "--help" || name == "-h";
        if (!takesValue && !flag)
            return fail("unknown argument: " + arguments[i]);
        if (flag && inlineValue)
            return fail(name + " takes no value: " + arguments[i]);
        if (takesValue && !inlineValue) {
            if (i + 1 >= arguments.size())
                return fail(name + " needs a value");
            value = arguments[++i];
        }

        if (name == "--ticket") {
            Text typed;
            if (!headless::fromUtf8(value, typed))
                return fail("--ticket " + value + ": a character the window's boxes cannot hold");
            auto parts = splitText(typed, "+");
            if (parts.size() != 7)
                return fail("--ticket " + value + ": not seven numbers separated by +");
            if (o.tickets.size() == maxGroups)
                return fail("--ticket " + value + ": more than five tickets");
            o.tickets.push_back(std::move(parts));
            o.groupsGiven = true;
        } else if (name == "--random") {
            if (randomGiven)
                return fail("--random given twice");
            if (!readNumber(value, o.randomGroups) || o.randomGroups > maxGroups)
                return fail("--random " + value + ": not a number of groups from 0 to 5");
            randomGiven = true;
            o.groupsGiven = true;
        } else if (name == "--draws") {
            if (drawsGiven)
                return fail("--draws given twice");
            if (!readNumber(value, o.draws))
                return fail("--draws " + value + ": not a whole number of draws");
            drawsGiven = true;
        } else if (name == "--tick") {
            std::uint32_t tick = 0;
            if (tickGiven)
                return fail("--tick given twice");
            if (!readNumber(value, tick))
                return fail("--tick " + value + ": not a number from 0 to 4294967295");
            o.tick = tick;
            tickGiven = true;
        } else if (name == "--log" || name == "--chart") {
            std::string& file = name == "--log" ? o.logFile : o.chartFile;
            if (!file.empty())
                return fail(name + " given twice");
            if (value.empty())
                return fail(name + " needs a file name");
            file = value;
        } else if (name == "--until-first-prize") {
            o.untilFirstPrize = true;
        } else if (name == "--utf8") {
            o.utf8 = true;
        } else if (name == "--json") {
            o.json = true;
        } else {
            o.help = true;
        }
    }

    if (o.tickets.size() + static_cast<std::size_t>(o.randomGroups) > maxGroups)
        return fail("--random " + std::to_string(o.randomGroups) + ": more than five groups with the " +
                    std::to_string(o.tickets.size()) + " --ticket given");
    if (o.untilFirstPrize && drawsGiven)
        return fail("--until-first-prize: cannot go with --draws");
    if (o.utf8 && o.logFile.empty())
        return fail("--utf8: only with --log");
    return parsed;
}

} // namespace sim
