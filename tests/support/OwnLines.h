#pragma once

#include <string>
#include <vector>

namespace testsupport {

// The lines of captured stderr that the program wrote itself ("velmorra: ..."),
// leaving out whatever notes the toolkit adds in a given environment.
inline std::vector<std::string> ownLinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        if (text.compare(start, 10, "velmorra: ") == 0)
            lines.push_back(text.substr(start, nl - start));
    return lines;
}

}
