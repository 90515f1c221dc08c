// Code page 936 to UTF-8 and back at the edge of the headless programs
// (terminal, command line, files).
#include "platform/headless/headless.h"

#include <iconv.h>

#include <cerrno>

namespace {

// One converter per direction and thread, reset before every text.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (cd_ != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // False at a sequence that has no form in the target; with replacement
    // set, that is written instead and the conversion goes on.
    bool convert(std::string_view in, std::string& out, std::string_view replacement)
    {
        out.clear();
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* source = const_cast<char*>(in.data());
        std::size_t left = in.size();
        char buffer[4096];
        bool exact = true;
        while (left > 0) {
            char* target = buffer;
            std::size_t room = sizeof buffer;
            const std::size_t done = iconv(cd_, &source, &left, &target, &room);
            out.append(buffer, static_cast<std::size_t>(target - buffer));
            if (done != static_cast<std::size_t>(-1) || errno == E2BIG)
                continue;
            exact = false; // EILSEQ or EINVAL: an unknown or cut-off sequence
            if (replacement.empty())
                return false;
            out += replacement;
            ++source;
            --left;
        }
        return exact;
    }

private:
    iconv_t cd_;
};

} // namespace

namespace headless {

std::string toUtf8(std::string_view cp936)
{
    thread_local Converter converter("UTF-8", "CP936");
    std::string out;
    converter.convert(cp936, out, "\xEF\xBF\xBD");
    return out;
}

bool fromUtf8(std::string_view utf8, Text& cp936)
{
    thread_local Converter converter("CP936", "UTF-8");
    return converter.convert(utf8, cp936, {});
}

} // namespace headless
