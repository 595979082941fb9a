// The tracking string over DDE as SDR programs see it: clients in this process (on the test's
// thread, the server on its own) and in a second process, the kestrune-dde tool. Needs a display
// (Xvfb under Wine).
#include "core/TrackingString.h"
#include "platform/windows/DdeClient.h"
#include "platform/windows/DdeTrackingServer.h"
#include "support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <thread>
#include <windows.h>

namespace kestrune {
namespace {

using namespace std::string_literals;

// Services of their own, so that a station running in the same session answers no test client.
const std::string Service = "KestruneTest";
const std::string LinkService = "KestruneLinkTest";
const std::string Idle = TrackingString("", 0);
const std::string Noaa19 = TrackingString("NOAA 19", 137.1e6);

std::string Failure(const std::string& service, const std::string& topic) {
    try {
        TDdeClient client(service, topic);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "connected";
}

// The clients of this process run on a thread of their own that ends with them: Wine leaves the
// window of a failed connect behind, and a thread that keeps such a window without pumping its
// messages holds up every later client's connect broadcast.
void OnClientThread(const std::function<void()>& body) {
    std::thread(body).join();
}

TEST(DdeTracking, AnswersRequestsLinksPokesAndExecutesAsTheProtocolSays) {
    TLocaleInfo latin1;
    latin1.FromUtf8 = [](std::string_view text) {
        std::string out(text);
        if (auto at = out.find("\xc3\xb8"); at != std::string::npos)
            out.replace(at, 2, "\xf8");
        return out;
    };
    TDdeTrackingServer server(Service, latin1);
    OnClientThread([&] {
        // The topic in any letter case; before the first publish the item is one zero byte.
        TDdeClient client(Service, "TRACKING");
        EXPECT_EQ(client.Request("Data"), "\0"s);
        server.SetItemText(Idle);
        EXPECT_EQ(client.Request("Data"), Idle + "\r\n\0"s);

        // A hot link gets every publish, identical ones too; a warm link the notices.
        ASSERT_TRUE(client.Advise("Data", false));
        server.SetItemText(Noaa19);
        server.SetItemText(Noaa19);
        for (int i = 0; i < 2; ++i) {
            const auto update = client.NextUpdate(5000);
            ASSERT_TRUE(update);
            EXPECT_FALSE(update->Notice);
            EXPECT_EQ(update->Data, Noaa19 + "\r\n\0"s);
        }
        ASSERT_TRUE(client.Unadvise("Data", false));
        ASSERT_TRUE(client.Advise("Data", true));
        server.SetItemText("SNBj\xc3\xb8rn");
        const auto notice = client.NextUpdate(5000);
        ASSERT_TRUE(notice);
        EXPECT_TRUE(notice->Notice);
        EXPECT_EQ(client.Request("Data"), "SNBj\xf8rn\r\n\0"s);
        ASSERT_TRUE(client.Unadvise("Data", true));
        server.SetItemText(Idle);
        EXPECT_FALSE(client.NextUpdate(300)) << "no link, no update";

        // A poke replaces the text until the next publish and tells the links.
        ASSERT_TRUE(client.Advise("Data", false));
        EXPECT_TRUE(client.Poke("Data", "UP0 DN137620000 SNpoked\r\nsecond line"));
        const auto poked = client.NextUpdate(5000);
        ASSERT_TRUE(poked);
        EXPECT_EQ(poked->Data, "UP0 DN137620000 SNpoked\r\n\0"s);
        EXPECT_TRUE(client.Execute("[anything]"));
        server.SetItemText(Idle);
        EXPECT_EQ(client.Request("Data"), Idle + "\r\n\0"s);
    });
    OnClientThread([] {
        // Anything but the item is refused (item names are atoms: "data" is "Data").
        TDdeClient client(Service, "Tracking");
        EXPECT_FALSE(client.Poke("Other", "x"));
        EXPECT_FALSE(client.Advise("Other", false));
        EXPECT_FALSE(client.Request("Other"));
    });
    // Without a service any server of the topic answers; without a topic, or for another
    // service or topic, none.
    OnClientThread([] {
        EXPECT_EQ(Failure("", "tracking"), "connected");
        EXPECT_NE(Failure(Service, "").find("No DDE server answers"), std::string::npos);
        EXPECT_NE(Failure("Other", "Tracking").find("No DDE server answers"), std::string::npos);
        EXPECT_NE(Failure(Service, "Tracks").find("No DDE server answers"), std::string::npos);
    });
}

// kestrune-dde beside the tests, its output in a file.
class TClientProcess {
public:
    TClientProcess(const std::wstring& arguments, const std::filesystem::path& output) {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        const std::filesystem::path tool =
            std::filesystem::path(self).parent_path() / "kestrune-dde.exe";
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        FOutput = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = FOutput;
        startup.hStdError = FOutput;
        std::wstring commandLine = L"\"" + tool.wstring() + L"\" " + arguments;
        Started = CreateProcessW(tool.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                 nullptr, nullptr, &startup, &FProcess);
    }
    ~TClientProcess() {
        if (Started) {
            TerminateProcess(FProcess.hProcess, 1);
            CloseHandle(FProcess.hThread);
            CloseHandle(FProcess.hProcess);
        }
        CloseHandle(FOutput);
    }
    TClientProcess(const TClientProcess&) = delete;
    TClientProcess& operator=(const TClientProcess&) = delete;

    // Whether it ended within the time, and its exit code.
    bool Ended(DWORD waitMs, DWORD& exitCode) {
        if (WaitForSingleObject(FProcess.hProcess, waitMs) != WAIT_OBJECT_0)
            return false;
        GetExitCodeProcess(FProcess.hProcess, &exitCode);
        return true;
    }

    BOOL Started = FALSE;

private:
    HANDLE FOutput;
    PROCESS_INFORMATION FProcess{};
};

TEST(DdeTracking, ASecondProcessReceivesTheHotLinkUpdatesOfEverySecond) {
    TDdeTrackingServer server(LinkService, TLocaleInfo{});
    test::TTempDir dir;
    TClientProcess client(L"--service KestruneLinkTest hot Data 3", dir.Path() / "updates.txt");
    ASSERT_TRUE(client.Started);
    // One publish a second, as the sequencer's ticks make them, until the client has its three.
    std::vector<std::string> published;
    DWORD exitCode = 0;
    bool ended = false;
    for (int tick = 1; tick <= 20 && !(ended = client.Ended(1000, exitCode)); ++tick) {
        published.push_back(TrackingString("NOAA " + std::to_string(tick), 137.1e6));
        server.SetItemText(published.back());
    }
    ASSERT_TRUE(ended && exitCode == 0) << test::ReadFileBytes(dir.Path() / "updates.txt");
    // "2026-12-08T23:10:01.123Z UP0 DN137100000 ... SNNOAA 4", three in a row of those published.
    std::istringstream lines(test::ReadFileBytes(dir.Path() / "updates.txt"));
    std::vector<std::string> received;
    for (std::string line; std::getline(lines, line);) {
        std::cout << line << '\n';
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        ASSERT_GT(line.size(), 25u) << line;
        EXPECT_EQ(line[24], ' ') << line;
        received.push_back(line.substr(25));
    }
    ASSERT_EQ(received.size(), 3u);
    const auto first = std::find(published.begin(), published.end(), received[0]);
    ASSERT_TRUE(first != published.end() && published.end() - first >= 3) << received[0];
    EXPECT_EQ(received, std::vector<std::string>(first, first + 3));
}

} // namespace
} // namespace kestrune
