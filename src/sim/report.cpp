#include "sim/report.h"

#include "platform/headless/headless.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace sim {

namespace {

// The level labels' names, as the window's prize rules call the levels.
const std::array<Text, 6> levelNames{"一等", "二等", "三等", "四等", "五等", "六等"};

std::string format(const char* pattern, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, pattern, value);
    return buffer;
}

std::string padLeft(const std::string& text, std::size_t width)
{
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// A round step for about `parts` divisions of 0..top: 1, 2 or 5 times a
// power of ten.
double niceStep(double top, int parts)
{
    const double raw = std::max(top, 1.0) / parts;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw)
            return m * power;
    return 10.0 * power;
}

// 1500 as "1.5k", 2000000 as "2M".
std::string shortNumber(double value)
{
    static constexpr std::array<std::pair<double, const char*>, 4> units{
        {{1e12, "T"}, {1e9, "G"}, {1e6, "M"}, {1e3, "k"}}};
    for (const auto& [size, unit] : units)
        if (std::fabs(value) >= size)
            return format("%.4g", value / size) + unit;
    return format("%.4g", value);
}

// 1000000 as "1,000,000".
std::string grouped(std::uint64_t value)
{
    std::string digits = std::to_string(value);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

} // namespace

std::string tallyJson(const Tallies& t)
{
    std::string json = "{\"draws\": " + std::to_string(t.draws) + ", \"spent\": " + std::to_string(t.spent) +
                       ", \"won\": " + std::to_string(t.won) + ", \"levels\": {";
    for (std::size_t i = 0; i < levelNames.size(); ++i)
        json += (i ? ", \"" : "\"") + headless::toUtf8(levelNames[i]) + "\": " + std::to_string(t.levels[i]);
    return json + "}}\n";
}

std::string tallyTable(const Tallies& t)
{
    std::string table = headless::toUtf8("第" + std::to_string(t.draws) + "期  共消费" + std::to_string(t.spent) +
                                         "  已中桨" + std::to_string(t.won)) +
                        "\n\n    " + padLeft("wins", 8) + padLeft("draws per win", 15) + "\n";
    for (std::size_t i = 0; i < levelNames.size(); ++i) {
        const std::int64_t wins = t.levels[i];
        const std::string perWin =
            wins > 0 ? format("%.1f", static_cast<double>(t.draws) / static_cast<double>(wins)) : "-";
        // A level's name is two characters, four columns on a terminal.
        table += headless::toUtf8(levelNames[i]) + padLeft(std::to_string(wins), 8) + padLeft(perWin, 15) + "\n";
    }
    table += "\nmoney back per 100 spent: ";
    table += t.spent > 0 ? format("%.2f", 100.0 * static_cast<double>(t.won) / static_cast<double>(t.spent)) : "-";
    return table + "\n";
}

std::string spendingChart(const std::vector<Sample>& samples)
{
    constexpr double width = 720, height = 400;
    constexpr double left = 70, right = 20, top = 50, bottom = 55;
    constexpr double plotWidth = width - left - right, plotHeight = height - top - bottom;

    double lastDraw = 1, topMoney = 1;
    for (const Sample& s : samples) {
        lastDraw = std::max(lastDraw, static_cast<double>(s.draws));
        topMoney = std::max({topMoney, static_cast<double>(s.spent), static_cast<double>(s.won)});
    }
    const double xStep = niceStep(lastDraw, 6), yStep = niceStep(topMoney, 5);
    const double xMax = std::ceil(lastDraw / xStep) * xStep, yMax = std::ceil(topMoney / yStep) * yStep;
    auto x = [&](double draws) { return left + draws / xMax * plotWidth; };
    auto y = [&](double money) { return top + plotHeight - money / yMax * plotHeight; };
    auto at = [](double v) { return format("%.1f", v); };

    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"720\" height=\"400\" "
                      "viewBox=\"0 0 720 400\" font-family=\"sans-serif\" font-size=\"12\">\n"
                      "<rect width=\"720\" height=\"400\" fill=\"white\"/>\n";
    svg += "<text x=\"" + at(left) + "\" y=\"24\" font-size=\"15\">Money spent and won over " +
           grouped(samples.empty() ? 0 : samples.back().draws) + " draws</text>\n";

    for (double v = 0; v <= yMax + yStep / 2; v += yStep) { // grid and money axis
        svg += "<line x1=\"" + at(left) + "\" y1=\"" + at(y(v)) + "\" x2=\"" + at(left + plotWidth) + "\" y2=\"" +
               at(y(v)) + "\" stroke=\"#e0e0e0\"/>\n";
        svg += "<text x=\"" + at(left - 6) + "\" y=\"" + at(y(v) + 4) + "\" text-anchor=\"end\">" + shortNumber(v) +
               "</text>\n";
    }
    for (double v = 0; v <= xMax + xStep / 2; v += xStep) { // draws axis
        svg += "<line x1=\"" + at(x(v)) + "\" y1=\"" + at(top + plotHeight) + "\" x2=\"" + at(x(v)) + "\" y2=\"" +
               at(top + plotHeight + 5) + "\" stroke=\"black\"/>\n";
        svg += "<text x=\"" + at(x(v)) + "\" y=\"" + at(top + plotHeight + 19) + "\" text-anchor=\"middle\">" +
               shortNumber(v) + "</text>\n";
    }
    svg += "<polyline points=\"" + at(left) + "," + at(top) + " " + at(left) + "," + at(top + plotHeight) + " " +
           at(left + plotWidth) + "," + at(top + plotHeight) + "\" fill=\"none\" stroke=\"black\"/>\n";
    svg += "<text x=\"" + at(left + plotWidth / 2) + "\" y=\"" + at(height - 10) +
           "\" text-anchor=\"middle\">draws</text>\n";
    svg += "<text transform=\"translate(16 " + at(top + plotHeight / 2) +
           ") rotate(-90)\" text-anchor=\"middle\">money</text>\n";

    struct Line {
        const char* name;
        const char* colour;
        bool spent;
    };
    const Line lines[] = {{"spent", "#0088FF", true}, {"won", "#FF0000", false}};
    double legendY = top + 14;
    for (const Line& line : lines) {
        svg += "<polyline fill=\"none\" stroke=\"" + std::string(line.colour) + "\" stroke-width=\"2\" points=\"";
        double previousWon = 0;
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const Sample& s = samples[i];
            const double money = line.spent ? static_cast<double>(s.spent) : static_cast<double>(s.won);
            if (!line.spent && i > 0) // winnings rise in steps
                svg += at(x(static_cast<double>(s.draws))) + "," + at(y(previousWon)) + " ";
            svg += at(x(static_cast<double>(s.draws))) + "," + at(y(money)) + " ";
            previousWon = money;
        }
        svg += "\"/>\n";
        svg += "<line x1=\"" + at(left + 12) + "\" y1=\"" + at(legendY) + "\" x2=\"" + at(left + 36) + "\" y2=\"" +
               at(legendY) + "\" stroke=\"" + line.colour + "\" stroke-width=\"2\"/>\n";
        svg += "<text x=\"" + at(left + 42) + "\" y=\"" + at(legendY + 4) + "\">" + line.name + " (" +
               headless::toUtf8(line.spent ? "共消费" : "已中桨") + ")</text>\n";
        legendY += 18;
    }
    return svg + "</svg>\n";
}

} // namespace sim
