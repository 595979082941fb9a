// The network clients over Winsock and WinHTTP against a server on 127.0.0.1 of the test's own:
// rigctl's exchange of lines, and an element-set download.

#include "platform/windows/RigctlTransport.h"
#include "platform/windows/WinHttpDownloader.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <ws2tcpip.h>

namespace kestrune::test {
namespace {

using namespace std::chrono_literals;

// A server on 127.0.0.1 that answers each connection's request once: with `answer(request)`
// as soon as the request holds `complete`, or never when the answer is empty.
class TWinsockServer {
public:
    TWinsockServer(std::string complete, std::function<std::string(const std::string&)> answer) {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
        FListener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof address;
        ::bind(FListener, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(FListener, 4);
        ::getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &size);
        FPort = ntohs(address.sin_port);
        FThread = std::thread([this, complete, answer] {
            const SOCKET client = ::accept(FListener, nullptr, nullptr);
            std::string request;
            char buffer[512];
            while (request.find(complete) == std::string::npos) {
                const int n = ::recv(client, buffer, sizeof buffer, 0);
                if (n <= 0)
                    break;
                request.append(buffer, static_cast<std::size_t>(n));
            }
            const std::string reply = answer(request);
            ::send(client, reply.data(), static_cast<int>(reply.size()), 0);
            while (!FStop && ::recv(client, buffer, sizeof buffer, 0) > 0) {
            }
            ::closesocket(client);
        });
    }
    ~TWinsockServer() {
        FStop = true;
        ::closesocket(FListener);
        FThread.join();
        ::WSACleanup();
    }
    std::string Address() const { return "127.0.0.1:" + std::to_string(FPort); }

private:
    SOCKET FListener = INVALID_SOCKET;
    int FPort = 0;
    std::atomic<bool> FStop = false;
    std::thread FThread;
};

TEST(RigctlTransport, ExchangesLinesAndGivesUpOnASilentServer) {
    {
        TWinsockServer server("M FM 0\n", [](const std::string& request) {
            return request == "F 137100000\nM FM 0\n" ? "RPRT 0\r\nRPRT 0\n" : "RPRT -1\n";
        });
        TRigctlTransport transport(server.Address());
        EXPECT_EQ(transport.Transact({"F 137100000", "M FM 0"}, 2000),
                  (std::vector<std::string>{"RPRT 0", "RPRT 0"}));
    }
    TWinsockServer silent("\n", [](const std::string&) { return std::string(); });
    TRigctlTransport transport(silent.Address());
    try {
        transport.Transact({"f"}, 300);
        FAIL() << "a silent server was not given up";
    } catch (const ERigControl& error) {
        EXPECT_EQ(std::string(error.what()), "the rig-control server at " + silent.Address() +
                                                 " did not answer within 300 ms");
    }
}

std::string Fetch(IDownloader& downloader, const std::string& url, std::string& failure) {
    const auto download = downloader.Start(url);
    for (int i = 0; i < 500 && !download->Finished(); ++i)
        std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(download->Finished());
    failure = download->Failure();
    return download->Body();
}

TEST(WinHttpDownloader, FetchesABodyAndNamesAnHttpFailure) {
    TWinHttpDownloader downloader;
    std::string failure;
    {
        TWinsockServer server("\r\n\r\n", [](const std::string& request) {
            return request.starts_with("GET /tle/weather.txt HTTP/1.1\r\n")
                       ? "HTTP/1.1 200 OK\r\nContent-Length: 8\r\nConnection: close\r\n\r\n"
                         "NOAA 19\n"
                       : "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n";
        });
        EXPECT_EQ(Fetch(downloader, "http://" + server.Address() + "/tle/weather.txt", failure),
                  "NOAA 19\n");
        EXPECT_EQ(failure, "");
    }
    TWinsockServer missing("\r\n\r\n", [](const std::string&) {
        return "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot here\n";
    });
    EXPECT_EQ(Fetch(downloader, "http://" + missing.Address() + "/x.txt", failure), "");
    EXPECT_EQ(failure, "HTTP 404");
    EXPECT_THROW(downloader.Start("ftp://example.org/x.txt"), std::runtime_error);
}

} // namespace
} // namespace kestrune::test
