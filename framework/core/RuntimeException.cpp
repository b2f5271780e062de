#include "framework/core/RuntimeException.h"

#include <cstdio>

namespace fw {

RuntimeException::RuntimeException(std::string message, std::string detail)
    : Message(std::move(message))
    , Detail(std::move(detail))
{
}

RuntimeException::~RuntimeException() = default;

const char* RuntimeException::what() const noexcept
{
    return Message.empty() ? ClassName() : Message.c_str();
}

static std::string printable(const std::string& s)
{
    // Keep the report on one line whatever a file name holds.
    std::string out;
    out.reserve(s.size());
    for (unsigned char c : s)
        out += (c < 0x20 || c == 0x7f) ? '?' : static_cast<char>(c);
    return out;
}

void ReportUnhandledException(const std::exception& e, const char* where) noexcept
{
    try {
        std::string line = "velmorra: unhandled ";
        if (auto* re = dynamic_cast<const RuntimeException*>(&e)) {
            line += re->ClassName();
            if (!re->Message.empty())
                line += ": " + printable(re->Message);
            if (!re->Detail.empty())
                line += " (" + printable(re->Detail) + ")";
        } else {
            line += "exception: " + printable(e.what());
        }
        line += " in ";
        line += where;
        line += '\n';
        std::fputs(line.c_str(), stderr);
    } catch (...) {
        std::fputs("velmorra: unhandled exception\n", stderr);
    }
}

void ThrowNilObjectException()
{
    throw NilObjectException();
}

void ReportUnhandledUnknown(const char* where) noexcept
{
    std::fprintf(stderr, "velmorra: unhandled exception of unknown type in %s\n", where);
}

}
