// Precise seeks in mpv, timed through its JSON IPC the way bench_play times ZEPO's: for
// each base time, an untimed exact seek there, then a timed exact seek 5 s forward and one
// 5 s back. A seek counts as done at mpv's "playback-restart" event, which it sends once
// the first frame after the seek is on screen (mpv waits for the video output before it);
// the position it then reports must be the target, so a stray event cannot end a wait.
//   mpv --pause --input-ipc-server=SOCKET ... FILE &  bench_mpv_seek SOCKET BASE...
#include "bench/BenchSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace zepo;

namespace {

// mpv needs a moment to start and open its socket.
constexpr double kConnectSeconds = 10;
// The longest any one seek may take before it counts as failed.
constexpr double kSeekLimitSeconds = 20;
// How close the reported position must come to the target: one frame at 30 fps, plus
// the rounding of the file's millisecond timestamps.
constexpr double kPositionSlack = 0.04;
// The seek distance asked for.
constexpr double kStepSeconds = 5;

class Ipc {
public:
    bool connect(const char* path)
    {
        const auto t = bench::Clock::now();
        while (bench::secondsSince(t) < kConnectSeconds) {
            fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_un addr{};
            addr.sun_family = AF_UNIX;
            std::strncpy(addr.sun_path, path, sizeof addr.sun_path - 1);
            if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0)
                return true;
            if (fd_ >= 0)
                ::close(fd_);
            fd_ = -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    ~Ipc()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }

    void send(const std::string& json)
    {
        const std::string line = json + "\n";
        std::size_t done = 0;
        while (done < line.size()) {
            const ssize_t n = ::write(fd_, line.data() + done, line.size() - done);
            if (n <= 0)
                return;
            done += std::size_t(n);
        }
    }

    // The next line mpv sends, or nothing by the deadline.
    std::optional<std::string> line(bench::Clock::time_point deadline)
    {
        for (;;) {
            if (const auto nl = buffer_.find('\n'); nl != std::string::npos) {
                std::string l = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                return l;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - bench::Clock::now()).count();
            if (left <= 0)
                return std::nullopt;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, int(left)) <= 0)
                continue;
            char chunk[4096];
            const ssize_t n = ::read(fd_, chunk, sizeof chunk);
            if (n <= 0)
                return std::nullopt;
            buffer_.append(chunk, std::size_t(n));
        }
    }

    std::optional<double> position(bench::Clock::time_point deadline)
    {
        const int id = ++requests_;
        send(R"({"command":["get_property","time-pos"],"request_id":)" + std::to_string(id) + "}");
        while (auto l = line(deadline)) {
            if (l->find("\"request_id\":" + std::to_string(id)) == std::string::npos)
                continue;
            const auto at = l->find("\"data\":");
            if (at == std::string::npos)
                return std::nullopt;
            return std::atof(l->c_str() + at + 7);
        }
        return std::nullopt;
    }

    // Sends a seek and waits until a frame at the target is on screen; the time taken.
    std::optional<double> seek(const std::string& args, double target)
    {
        const auto t = bench::Clock::now();
        const auto deadline = t + std::chrono::duration_cast<bench::Clock::duration>(
                                      std::chrono::duration<double>(kSeekLimitSeconds));
        send(R"({"command":["seek",)" + args + "]}");
        while (auto l = line(deadline)) {
            if (l->find(R"("event":"playback-restart")") == std::string::npos)
                continue;
            const double ms = bench::secondsSince(t) * 1000;
            const auto at = position(deadline);
            if (at && std::fabs(*at - target) <= kPositionSlack)
                return ms;
        }
        return std::nullopt;
    }

private:
    int fd_ = -1;
    std::string buffer_;
    int requests_ = 0;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SOCKET BASE...\n", argv[0]);
        return 2;
    }
    Ipc mpv;
    if (!mpv.connect(argv[1])) {
        std::fprintf(stderr, "no mpv at %s\n", argv[1]);
        return 1;
    }
    // The file is open once mpv knows a position; seeks sent before that are lost.
    const auto loading = bench::Clock::now();
    while (!mpv.position(bench::Clock::now() + std::chrono::seconds(1)) && bench::secondsSince(loading) < kConnectSeconds)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::vector<double> forward;
    std::vector<double> back;
    int failed = 0;
    for (int i = 2; i < argc; ++i) {
        const double base = std::atof(argv[i]);
        if (!mpv.seek(std::to_string(base) + R"(,"absolute+exact")", base)) {
            ++failed;
            continue;
        }
        const auto f = mpv.seek(std::to_string(kStepSeconds) + R"(,"relative+exact")", base + kStepSeconds);
        const auto b = f ? mpv.seek(std::to_string(-kStepSeconds) + R"(,"relative+exact")", base) : std::nullopt;
        if (f)
            forward.push_back(*f);
        if (b)
            back.push_back(*b);
        failed += !f + !b;
    }
    mpv.send(R"({"command":["quit"]})");
    std::printf("%s\n", bench::seekFigures(forward, back, failed).c_str());
    return failed ? 1 : 0;
}
