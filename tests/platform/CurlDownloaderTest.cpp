// Element sets fetched from a local HTTP server that the test starts: a good file, one cut
// short, garbage, a redirect, a missing file, one too big, and the refresh putting them in place.

#include "platform/linux/CurlDownloader.h"

#include "qmrsatlib/ElementFile.h"
#include "support/FakeClock.h"
#include "support/LoopbackServer.h"
#include "support/TempDir.h"

#include <chrono>
#include <gtest/gtest.h>
#include <map>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace kestrune {
namespace {

using TStrings = std::vector<std::string>;
using namespace std::chrono_literals;

const std::string Weather =
    test::ReadFileBytes(std::string(KESTRUNE_TEST_DATA) + "/tle/weather.txt");

// Answers each request with the whole response that its path names, then closes.
class THttpServer {
public:
    explicit THttpServer(std::map<std::string, std::string> responses)
        : FResponses(std::move(responses)) {}
    THttpServer(const THttpServer&) = delete;
    THttpServer& operator=(const THttpServer&) = delete;

    std::string Url(const std::string& path) const { return "http://" + FServer.Address() + path; }

private:
    void Serve() {
        while (!FServer.Stopping()) {
            pollfd watch{FServer.Listener(), POLLIN, 0};
            if (poll(&watch, 1, 20) <= 0)
                continue;
            const int client = accept4(FServer.Listener(), nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            std::string request;
            char buffer[1024];
            while (request.find("\r\n\r\n") == std::string::npos) {
                pollfd readable{client, POLLIN, 0};
                const ssize_t n =
                    poll(&readable, 1, 2000) > 0 ? read(client, buffer, sizeof buffer) : 0;
                if (n <= 0)
                    break;
                request.append(buffer, static_cast<std::size_t>(n));
            }
            const std::size_t pathStart = request.find(' ') + 1;
            const std::string path =
                request.substr(pathStart, request.find(' ', pathStart) - pathStart);
            const auto found = FResponses.find(path);
            const std::string response = found != FResponses.end()
                                             ? found->second
                                             : "HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\n"
                                               "not found";
            for (std::size_t sent = 0; sent < response.size();) {
                const ssize_t n =
                    send(client, response.data() + sent, response.size() - sent, MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                sent += static_cast<std::size_t>(n);
            }
            close(client);
        }
    }

    std::map<std::string, std::string> FResponses;
    // Last: its thread ends before the responses go.
    test::TLoopbackServer FServer{[this] { Serve(); }};
};

std::string Ok(const std::string& body) {
    return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

class CurlDownloaderTest : public ::testing::Test {
protected:
    THttpServer Server{{
        {"/weather.txt", Ok(Weather)},
        // Says the whole length, sends half, closes.
        {"/cut.txt", Ok(Weather).substr(0, Ok(Weather).size() - Weather.size() / 2)},
        {"/garbage.txt", Ok("<html><body>Rate limit exceeded</body></html>\n")},
        {"/moved", "HTTP/1.0 302 Found\r\nLocation: /weather.txt\r\nContent-Length: 0\r\n\r\n"},
        {"/to-ftp",
         "HTTP/1.0 302 Found\r\nLocation: ftp://127.0.0.1/x\r\nContent-Length: 0\r\n\r\n"},
        {"/huge.txt", Ok(std::string(MaxElementFileBytes + 1, 'x'))},
        {"/huge-unsaid.txt", "HTTP/1.0 200 OK\r\n\r\n" + std::string(MaxElementFileBytes + 1, 'x')},
    }};
    TCurlDownloader Downloader;

    // The download's result: its body, or "failed: " and why. Bounded to 10 s.
    std::string Fetch(const std::string& url) {
        auto download = Downloader.Start(url);
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!download->Finished()) {
            if (std::chrono::steady_clock::now() > deadline)
                return "still running";
            std::this_thread::sleep_for(5ms);
        }
        return download->Failure().empty() ? download->Body() : "failed: " + download->Failure();
    }
};

TEST_F(CurlDownloaderTest, AGoodFileAndARedirectToIt) {
    EXPECT_EQ(Fetch(Server.Url("/weather.txt")), Weather);
    EXPECT_EQ(Fetch(Server.Url("/moved")), Weather);
    EXPECT_EQ(Fetch(Server.Url("/garbage.txt")), "<html><body>Rate limit exceeded</body></html>\n")
        << "the transfer is fine; whether it is element sets is the refresh's question";
}

TEST_F(CurlDownloaderTest, FailuresSayWhy) {
    EXPECT_EQ(Fetch(Server.Url("/missing.txt")), "failed: HTTP 404");
    EXPECT_EQ(Fetch(Server.Url("/cut.txt")).rfind("failed: transfer closed with ", 0), 0u);
    EXPECT_EQ(Fetch(Server.Url("/huge.txt")), "failed: larger than 8 MiB");
    EXPECT_EQ(Fetch(Server.Url("/huge-unsaid.txt")), "failed: larger than 8 MiB");
    EXPECT_NE(Fetch("ftp://127.0.0.1/weather.txt").find("failed: "), std::string::npos);
    EXPECT_NE(Fetch(Server.Url("/to-ftp")).find("failed: "), std::string::npos);
}

TEST_F(CurlDownloaderTest, TheRefreshReplacesOnlyWithWholeElementFiles) {
    test::TTempDir dir;
    for (const char* name : {"weather.txt", "cut.txt", "garbage.txt", "missing.txt"})
        dir.Write(name, "OLD");
    test::TFakeClock clock(EncodeDateTime(2026, 12, 8, 10));
    TStrings warnings, refreshed;
    TElementRefresh refresh(
        {Server.Url("/weather.txt"), Server.Url("/cut.txt"), Server.Url("/garbage.txt"),
         Server.Url("/missing.txt")},
        12, Downloader, clock, [&] { return dir.Path().string(); }, ElementFileProblem,
        [&](const std::string& text) { warnings.push_back(text); },
        [&](const std::string& text) { refreshed.push_back(text); });
    // The round ends with the word that it refreshed the good file.
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (refreshed.empty() && std::chrono::steady_clock::now() < deadline) {
        refresh.Service();
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(test::ReadFileBytes(dir.Path() / "weather.txt"), Weather);
    for (const char* name : {"cut.txt", "garbage.txt", "missing.txt"})
        EXPECT_EQ(test::ReadFileBytes(dir.Path() / name), "OLD") << name;
    EXPECT_EQ(refreshed, TStrings{"element sets refreshed at 2026-12-08T10:00:00Z: weather.txt"});
    ASSERT_EQ(warnings.size(), 3u);
    EXPECT_NE(warnings[0].find("transfer closed"), std::string::npos) << warnings[0];
    EXPECT_EQ(warnings[1], "element sets from " + Server.Url("/garbage.txt") +
                               " not refreshed: not element sets: no element sets in it");
    EXPECT_EQ(warnings[2],
              "element sets from " + Server.Url("/missing.txt") + " not refreshed: HTTP 404");
}

} // namespace
} // namespace kestrune
