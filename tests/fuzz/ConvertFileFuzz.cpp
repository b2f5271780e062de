// Feeds any bytes to the engine as a file, in every mode, and checks what the
// engine promises whatever the input: a known status text (or no status when
// the header read fails, which cannot happen on a regular file), the length
// never changes, only "ok" changes the file and then exactly the byte at
// p + 9 of the version entry, and the check-only mode never writes.

#include "dngpatch/convertFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

// The scratch folder the input is written into, under $TMPDIR. Plain arrays,
// so that they outlive every static destructor and the exit handler can use
// them.
char sScratchDir[4096];
char sScratchFile[sizeof sScratchDir + 16];

// Runs when the fuzzer ends by exit(). After a crash libFuzzer leaves by
// _Exit, which runs no handler: the test command points $TMPDIR into its
// build folder and removes that folder itself.
void removeScratch()
{
    if (sScratchFile[0])
        ::unlink(sScratchFile);
    if (sScratchDir[0])
        ::rmdir(sScratchDir);
}

[[noreturn]] void fail(const char* what, const std::string& status)
{
    std::fprintf(stderr, "invariant broken: %s (status \"%s\")\n", what, status.c_str());
    removeScratch();
    std::abort();
}

const char* scratchPath()
{
    if (!sScratchFile[0]) {
        const char* tmp = std::getenv("TMPDIR");
        int n = std::snprintf(sScratchDir, sizeof sScratchDir, "%s/velmorra-fuzz-XXXXXX", tmp && *tmp ? tmp : "/tmp");
        if (n < 0 || static_cast<std::size_t>(n) >= sizeof sScratchDir || !::mkdtemp(sScratchDir))
            std::abort();
        std::atexit(removeScratch);
        std::snprintf(sScratchFile, sizeof sScratchFile, "%s/input.dng", sScratchDir);
    }
    return sScratchFile;
}

void writeAll(const char* path, const std::string& bytes)
{
    int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        std::abort();
    ::close(fd);
}

std::string readAll(const char* path)
{
    std::string out;
    int fd = ::open(path, O_RDONLY);
    if (fd < 0)
        std::abort();
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0)
        out.append(buf, static_cast<std::size_t>(n));
    ::close(fd);
    return out;
}

unsigned u16(const std::string& b, std::size_t at)
{
    return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}

// Offset of the first IFD0 entry tagged DNGBackwardVersion within the first
// 1024 bytes, or -1.
long versionEntry(const std::string& b)
{
    std::size_t window = b.size() < 1024 ? b.size() : 1024;
    if (window < 10)
        return -1;
    unsigned n = u16(b, 8);
    for (unsigned k = 0; k < n; ++k) {
        std::size_t p = 10 + 12 * static_cast<std::size_t>(k);
        if (p + 2 > window)
            return -1;
        if (u16(b, p) == 0xC613)
            return static_cast<long>(p);
    }
    return -1;
}

// The four value bytes of the entry at p joined by ".", or "" without them.
std::string versionTextAt(const std::string& b, long p)
{
    if (p < 0 || static_cast<std::size_t>(p) + 12 > b.size())
        return "";
    std::string text;
    for (std::size_t i = 0; i < 4; ++i)
        text += (i ? "." : "") + std::to_string(static_cast<unsigned char>(b[static_cast<std::size_t>(p) + 8 + i]));
    return text;
}

bool isVersionText(const std::string& s)
{
    int parts = 0;
    std::size_t i = 0;
    while (parts < 4) {
        std::size_t start = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i;
        if (i == start || i - start > 3 || (i - start > 1 && s[start] == '0'))
            return false;
        ++parts;
        if (parts < 4) {
            if (i >= s.size() || s[i] != '.')
                return false;
            ++i;
        }
    }
    return i == s.size();
}

bool knownStatus(const std::string& s)
{
    static const char* fixed[] = { "ok", "ok (no change)", "invalid file", "not a K-3 DNG file", "unexpected data (1)",
        "unexpected data (2)", "unexpected data (3)", "unexpected data (4)", "open (r/w) failed", "write failed" };
    for (const char* f : fixed)
        if (s == f)
            return true;
    if (s.rfind("v", 0) == 0 && isVersionText(s.substr(1)))
        return true;
    const std::string wrong = "wrong version: ";
    return s.rfind(wrong, 0) == 0 && isVersionText(s.substr(wrong.size()));
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const char* path = scratchPath();
    for (std::int32_t mode : { 0, 1, 2 }) {
        writeAll(path, input);
        std::string status;
        dngpatch::convertFile(fw::FolderItem::FromPath(path), status, mode);
        const std::string after = readAll(path);
        if (!knownStatus(status))
            fail("unknown status text", status);
        if (after.size() != input.size())
            fail("length changed", status);
        if (status != "ok") {
            if (after != input)
                fail("file changed without \"ok\"", status);
            if (status[0] == 'v' && status != "v" + versionTextAt(input, versionEntry(input)))
                fail("a reported version that is not the file's", status);
            continue;
        }
        if (mode == dngpatch::ModeCheckOnly)
            fail("check-only mode wrote", status);
        long p = versionEntry(input);
        if (p < 0)
            fail("\"ok\" without a version entry", status);
        for (std::size_t i = 0; i < input.size(); ++i)
            if ((after[i] != input[i]) != (i == static_cast<std::size_t>(p) + 9))
                fail("a byte other than the version's second changed, or it did not", status);
        // 1.2.0.0 becomes 1.1.0.0, or back: nothing else is ever patched.
        const bool makeCompatible = mode == dngpatch::ModeMakeCompatible;
        const std::string from = makeCompatible ? "1.2.0.0" : "1.1.0.0", to = makeCompatible ? "1.1.0.0" : "1.2.0.0";
        if (versionTextAt(input, p) != from || versionTextAt(after, p) != to)
            fail("patched the wrong way", status);
    }
    return 0;
}
