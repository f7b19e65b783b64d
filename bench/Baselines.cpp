#include "bench/Baselines.h"

#include "engine/FileIo.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace norvane::bench {

namespace {

constexpr std::size_t kBlock = 1 << 20;

class InputFile {
public:
    explicit InputFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC))
    {
        if (fd_ < 0)
            throw std::runtime_error("cannot open " + path);
    }
    ~InputFile() { ::close(fd_); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    std::size_t Read(char* buffer, std::size_t size)
    {
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, size);
            if (n >= 0)
                return static_cast<std::size_t>(n);
            if (errno != EINTR)
                throw std::runtime_error(std::string("read: ") + std::strerror(errno));
        }
    }

private:
    int fd_;
};

}  // namespace

std::uint64_t PlainRewrite(const std::string& path)
{
    std::string in(kBlock, '\0');
    InputFile file(path);
    AtomicFileWriter writer(path);
    char previous = 0;
    for (;;) {
        const std::size_t n = file.Read(in.data(), in.size());
        if (n == 0)
            break;
        const char* p = in.data();
        const char* const end = p + n;
        while (p < end) {
            const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
            if (!lf) {
                writer.Write(std::string_view(p, static_cast<std::size_t>(end - p)));
                break;
            }
            const char before = lf > in.data() ? lf[-1] : previous;
            writer.Write(std::string_view(p, static_cast<std::size_t>(lf - p)));
            writer.Write(before == '\r' ? std::string_view("\n") : std::string_view("\r\n"));
            p = lf + 1;
        }
        previous = in[n - 1];
    }
    writer.Commit();
    return writer.BytesWritten();
}

std::uint64_t LineRewrite(const std::string& path)
{
    LineReader reader(path);
    AtomicFileWriter writer(path);
    std::string_view line;
    while (reader.Next(line))
        writer.WriteLine(line);
    writer.Commit();
    return writer.BytesWritten();
}

std::uint64_t ReadFirstHeaderBlocks(const std::vector<std::string>& paths)
{
    std::uint64_t seen = 0;
    std::string buffer(64 * 1024, '\0');
    for (const auto& path : paths) {
        InputFile file(path);
        std::size_t lineLength = 0;  // bytes of the current line read so far
        char previous = 0;
        bool done = false;
        while (!done) {
            const std::size_t n = file.Read(buffer.data(), buffer.size());
            if (n == 0)
                break;
            const char* p = buffer.data();
            const char* const end = p + n;
            while (p < end) {
                const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
                if (!lf) {
                    lineLength += static_cast<std::size_t>(end - p);
                    seen += static_cast<std::size_t>(end - p);
                    break;
                }
                const std::size_t length = lineLength + static_cast<std::size_t>(lf - p);
                const char before = lf > buffer.data() ? lf[-1] : previous;
                seen += static_cast<std::size_t>(lf - p) + 1;
                if (length == 0 || (length == 1 && before == '\r')) {
                    done = true;
                    break;
                }
                lineLength = 0;
                p = lf + 1;
            }
            previous = buffer[n - 1];
        }
    }
    return seen;
}

std::uint64_t PlainHeaderRead(const std::vector<std::string>& paths)
{
    static char buffer[16 * 1024];
    std::uint64_t seen = 0;
    for (const auto& path : paths) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            throw std::runtime_error("cannot open " + path);
        // After an LF: 1, after LF CR: 2; an LF then ends the block.
        int state = 0;
        for (bool done = false; !done;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            for (ssize_t i = 0; i < n; ++i) {
                const char c = buffer[i];
                if (c == '\n') {
                    if (state != 0) {
                        seen += static_cast<std::uint64_t>(i) + 1;
                        done = true;
                        break;
                    }
                    state = 1;
                } else {
                    state = c == '\r' && state == 1 ? 2 : 0;
                }
            }
            if (!done)
                seen += static_cast<std::uint64_t>(n);
        }
        ::close(fd);
    }
    return seen;
}

}  // namespace norvane::bench
