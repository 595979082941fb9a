// Runs the real kestrune-station against settings, a data folder and a tracking socket of its
// own, with the port spy://loop://, through a real pass that starts shortly after the test
// begins. The station's location is chosen so that the satellite, NOAA 19 from the bundled
// element sets, grazes 15 degrees of elevation for about half a minute. A second station tunes
// a rig-control server of the test's own for a Meteor pass on its own frequency.

#include "core/CommaText.h"
#include "core/PassLine.h"
#include "core/ReceiverControl.h"
#include "core/SatelliteList.h"
#include "platform/linux/RegistryFile.h"
#include "platform/linux/SerialDeviceFactory.h"
#include "platform/linux/SystemClock.h"
#include "qmrsatlib/Observer.h"
#include "qmrsatlib/QmrSatellites.h"
#include "qmrsatlib/TleCatalog.h"
#include "serial/ComPort.h"
#include "serial/DebugTrace.h"
#include "serial/GuiDispatcher.h"
#include "settings/RegistryVariables.h"
#include "support/FakeRigctld.h"
#include "support/TempDir.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <signal.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kestrune {
namespace {

using namespace std::chrono_literals;

constexpr double MinElevationDeg = 15;
const std::string Satellite = "NOAA 19";

struct TPlannedPass {
    double LatitudeDeg = 0, LongitudeDeg = 0;
    std::string Line;
    TDateTime Start = 0;
    int LengthS = 0;
};

// Where the satellite is over the ground at the given time.
void SubSatellitePoint(const TElementSet& set, TDateTime when, double& latitudeDeg,
                       double& longitudeDeg) {
    TSgp4 sgp4(set.Elements);
    TStateVector state;
    sgp4.Propagate((when - set.Epoch) * 1440.0, state);
    const double julian = when + 2415018.5;
    const TVector3 fixed =
        TemeToEarthFixed({state.PositionKm[0], state.PositionKm[1], state.PositionKm[2]},
                         TEarthTurn(GreenwichSiderealTime(julian)));
    latitudeDeg = GeodeticLatitudeDeg(fixed);
    longitudeDeg = std::atan2(fixed.Y, fixed.X) * 180.0 / M_PI;
}

// The component's first pass rising after `from` for a station at the given place.
std::optional<TPlannedPass> FirstPass(TSatellites& component, double latitudeDeg,
                                      double longitudeDeg, TDateTime from) {
    component.SetLatitude(latitudeDeg);
    component.SetLongitude(longitudeDeg);
    component.SetHeight(0);
    const std::string passes =
        component.ComputePasses(Satellite, std::floor(from), 0, 2, MinElevationDeg);
    for (const std::string& line : ReadCommaText(passes)) {
        const TPassLine parsed = ParsePassLine(line);
        TPlannedPass pass{latitudeDeg, longitudeDeg, line, parsed.Start,
                          parsed.LengthS.value_or(0)};
        if (pass.Start >= from)
            return pass;
    }
    return std::nullopt;
}

// A station beside the ground track, moved sideways until the pass lasts about 25 s.
// The first pass, peaking about `peak`, of a station moved sideways from the ground track until
// that pass is 25 s long.
std::optional<TPlannedPass> ShortPassAround(TSatellites& component, const TElementSet& set,
                                            TDateTime peak) {
    double latitudeDeg = 0, longitudeDeg = 0, nextLatitudeDeg = 0, nextLongitudeDeg = 0;
    SubSatellitePoint(set, peak, latitudeDeg, longitudeDeg);
    SubSatellitePoint(set, peak + OneSecond, nextLatitudeDeg, nextLongitudeDeg);
    // On the unit sphere: the point below the satellite, the way it moves, and the direction
    // across the track (their cross product); a station offsetDeg across is a turn towards it.
    auto unit = [](double latDeg, double lonDeg) {
        const double lat = latDeg * M_PI / 180, lon = lonDeg * M_PI / 180;
        return TVector3{std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon),
                        std::sin(lat)};
    };
    const TVector3 below = unit(latitudeDeg, longitudeDeg);
    const TVector3 next = unit(nextLatitudeDeg, nextLongitudeDeg);
    TVector3 across{below.Y * next.Z - below.Z * next.Y, below.Z * next.X - below.X * next.Z,
                    below.X * next.Y - below.Y * next.X};
    const double length =
        std::sqrt(across.X * across.X + across.Y * across.Y + across.Z * across.Z);
    auto passAt = [&](double offsetDeg) {
        const double turn = offsetDeg * M_PI / 180;
        const double x = std::cos(turn) * below.X + std::sin(turn) * across.X / length;
        const double y = std::cos(turn) * below.Y + std::sin(turn) * across.Y / length;
        const double z = std::cos(turn) * below.Z + std::sin(turn) * across.Z / length;
        return FirstPass(component, std::asin(std::clamp(z, -1.0, 1.0)) * 180 / M_PI,
                         std::atan2(y, x) * 180 / M_PI, peak - 20 * 60 * OneSecond);
    };
    double nearDeg = 0, farDeg = 25;
    for (int i = 0; i < 40; ++i) {
        const double offsetDeg = (nearDeg + farDeg) / 2;
        const auto pass = passAt(offsetDeg);
        const bool longEnough =
            pass && std::abs(pass->Start - peak) < 10 * 60 * OneSecond && pass->LengthS >= 25;
        (longEnough ? nearDeg : farDeg) = offsetDeg;
    }
    return passAt(nearDeg);
}

// A short pass that rises about half a minute from now. Moving sideways shifts the peak a
// little along the track, so the aim is corrected by the difference until it is close enough.
TPlannedPass PlanPass(const std::string& dataFolder, TDateTime now) {
    TTleCatalog catalog;
    catalog.AddFolder(dataFolder);
    const TElementSet* set = catalog.Find(Satellite);
    if (!set)
        throw std::runtime_error("no " + Satellite + " in " + dataFolder);
    TSatellites component(new TQmrSatellites, nullptr);
    component.SetDataPath(dataFolder);
    const TDateTime wantedStart = now + 32 * OneSecond;
    TDateTime peak = wantedStart + 13 * OneSecond;
    for (int attempt = 0; attempt < 6; ++attempt) {
        const auto pass = ShortPassAround(component, *set, peak);
        if (!pass)
            break;
        const double errorS = (pass->Start - wantedStart) * SecondsPerDay;
        if (std::abs(errorS) < 8)
            return *pass;
        peak -= errorS * OneSecond;
    }
    throw std::runtime_error("no short pass found for the test");
}

// The settings the window program would have stored, written with the program's own classes.
void WriteSettings(const std::filesystem::path& configFolder, const TPlannedPass& pass,
                   const std::string& dataFolder, const std::string& spyLog) {
    TFileRegistry registry(configFolder / "Quillmere");
    const TSettingsContext context{registry, [] { return std::string("Kestrune"); }};
    const TLocaleInfo point;
    TRegistryString(context, "TleDataPath", dataFolder);
    TRegistryString(context, "ObsLatitude", FloatToStr(pass.LatitudeDeg, point));
    TRegistryString(context, "ObsLongitude", FloatToStr(pass.LongitudeDeg, point));
    TRegistryString(context, "ObsHeight", "0");
    TRegistryInteger(context, "PrePassGap", 2);
    TRegistryInteger(context, "PostPassGap", 2);
    TRegistryInteger(context, "MinElevation", static_cast<int>(MinElevationDeg));
    TRegistryInteger(context, "DaysLookAhead", 1);
    TRegistryString(context, "SatList", SatListFromRows({{Satellite, "B", "10"}}));
    TRegistryInteger(context, "RxType", RxRx2);
    TRegistryBoolean(context, "ScanWhenIdle", true);

    TSystemClock clock;
    TSerialDeviceFactory devices(clock);
    TQueuedGuiDispatcher dispatcher;
    TStderrDebugTrace trace;
    TComPort port("ComPortControl", {devices, dispatcher, trace, registry});
    port.SetPort("spy://loop://?file=" + spyLog);
    port.StoreSettings(TStorageKind::Registry, "HKEY_CURRENT_USER\\Software\\Quillmere\\Kestrune");
}

class TStationProcess {
public:
    TStationProcess(const std::filesystem::path& root, const std::string& outName,
                    const std::string& clockStart = "") {
        const std::string config = "XDG_CONFIG_HOME=" + (root / "config").string();
        const std::string runtime = "XDG_RUNTIME_DIR=" + (root / "run").string();
        const std::string state = "XDG_STATE_HOME=" + (root / "state").string();
        const std::string out = (root / (outName + ".out")).string();
        const std::string err = (root / (outName + ".err")).string();
        FPid = fork();
        if (FPid == 0) {
            dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
            dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
            const std::string option = "--clock-start=" + clockStart;
            char* const argv[] = {const_cast<char*>(STATION_EXE),
                                  clockStart.empty() ? nullptr : const_cast<char*>(option.c_str()),
                                  nullptr};
            char* const envp[] = {
                const_cast<char*>(config.c_str()), const_cast<char*>(runtime.c_str()),
                const_cast<char*>(state.c_str()), const_cast<char*>("LANG=C"), nullptr};
            execve(STATION_EXE, argv, envp);
            _exit(127);
        }
    }
    ~TStationProcess() {
        if (FPid > 0 && !FExited) {
            kill(FPid, SIGKILL);
            waitpid(FPid, nullptr, 0);
        }
    }
    // The exit status, waiting at most the given time; -1 when it is still running.
    int Wait(std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (waitpid(FPid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > end)
                return -1;
            std::this_thread::sleep_for(20ms);
        }
        FExited = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    void Signal(int signal) const { kill(FPid, signal); }

private:
    pid_t FPid = -1;
    bool FExited = false;
};

// A hot-linked tracking client that collects every line it receives.
class TTrackingClient {
public:
    explicit TTrackingClient(const std::filesystem::path& socketPath) {
        FFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
        for (int attempt = 0; attempt < 250; ++attempt) {
            if (connect(FFd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
                const std::string hello = "CONNECT Kestrune Tracking\nADVISE Data HOT\n";
                FConnected =
                    write(FFd, hello.data(), hello.size()) == static_cast<ssize_t>(hello.size());
                fcntl(FFd, F_SETFL, O_NONBLOCK);
                return;
            }
            std::this_thread::sleep_for(20ms);
        }
    }
    ~TTrackingClient() { close(FFd); }
    bool Connected() const { return FConnected; }
    void Drain() {
        char buffer[4096];
        for (ssize_t n; (n = read(FFd, buffer, sizeof buffer)) > 0;)
            FText.append(buffer, static_cast<std::size_t>(n));
    }
    const std::string& Text() const { return FText; }

private:
    int FFd = -1;
    bool FConnected = false;
    std::string FText;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// Milliseconds from the pass's start to a log line's leading ISO time.
long long OffsetMs(const std::string& line, TDateTime start) {
    int y, mo, d, h, mi, s, ms;
    std::sscanf(line.c_str(), "%d-%d-%dT%d:%d:%d.%dZ", &y, &mo, &d, &h, &mi, &s, &ms);
    return ToMilliseconds(EncodeDateTime(y, mo, d, h, mi, s, ms)) - ToMilliseconds(start);
}

std::vector<std::string> Matching(const std::vector<std::string>& lines, const std::string& part) {
    std::vector<std::string> found;
    for (const std::string& line : lines)
        if (line.find(part) != std::string::npos)
            found.push_back(line);
    return found;
}

TEST(StationEndToEnd, RunsARealPassAndStopsCleanly) {
    test::TTempDir root;
    std::filesystem::create_directories(root.Path() / "tle");
    std::filesystem::copy_file(SAMPLE_TLE_DIR "/weather.txt", root.Path() / "tle" / "weather.txt");
    std::filesystem::create_directory(root.Path() / "run");
    const std::string dataFolder = (root.Path() / "tle").string() + "/";
    const std::string spyLog = (root.Path() / "spy.log").string();

    const TPlannedPass pass = PlanPass(dataFolder, TSystemClock().UtcNow());
    const double secondsToStart = (pass.Start - TSystemClock().UtcNow()) * SecondsPerDay;
    ASSERT_GT(secondsToStart, 10) << pass.Line;
    ASSERT_LT(secondsToStart, 70) << pass.Line;
    ASSERT_GE(pass.LengthS, 20) << pass.Line;
    ASSERT_LE(pass.LengthS, 45) << pass.Line;
    WriteSettings(root.Path() / "config", pass, dataFolder, spyLog);
    const std::string settingsBefore =
        test::ReadFileBytes(root.Path() / "config" / "Quillmere" / "HKEY_CURRENT_USER.reg");

    TStationProcess station(root.Path(), "station");
    TTrackingClient client(root.Path() / "run" / "Kestrune" / "Tracking.sock");
    ASSERT_TRUE(client.Connected());

    // A second copy finds the lock taken, even with the socket folder deleted from under the
    // first.
    std::filesystem::remove_all(root.Path() / "run" / "Kestrune");
    TStationProcess second(root.Path(), "second");
    EXPECT_EQ(second.Wait(10s), 1);
    EXPECT_NE(test::ReadFileBytes(root.Path() / "second.err").find("another copy is running"),
              std::string::npos);

    // Through the pass and its post-pass pause, then stop.
    const TDateTime end = pass.Start + (pass.LengthS + 6) * OneSecond;
    while (TSystemClock().UtcNow() < end) {
        client.Drain();
        std::this_thread::sleep_for(100ms);
    }
    client.Drain();
    station.Signal(SIGTERM);
    EXPECT_EQ(station.Wait(10s), 0);

    const auto log = Lines(test::ReadFileBytes(root.Path() / "station.out"));
    const auto spy = Lines(test::ReadFileBytes(spyLog));
    const std::string passText = PassDisplayText(ParsePassLine(pass.Line), TLocaleInfo{});
    SCOPED_TRACE("pass " + pass.Line + "\nlog:\n" +
                 test::ReadFileBytes(root.Path() / "station.out") + "spy:\n" +
                 test::ReadFileBytes(spyLog));

    // The log: the build's pass list with the pass first, then the pass's steps as events.
    EXPECT_EQ(Matching(log, " pass list: ").size(), 1u); // one build
    EXPECT_EQ(Matching(log, ", the first " + passText).size(), 1u);
    EXPECT_EQ(Matching(log, " pass: NOAA 19 due, pausing 2 s with the receiver in standby").size(),
              1u);
    EXPECT_EQ(Matching(log, " receiver: channel 1, 137.10 MHz").size(), 1u);
    EXPECT_EQ(
        Matching(log, " pass: receiving NOAA 19 for " + std::to_string(pass.LengthS) + " s").size(),
        1u);
    EXPECT_EQ(Matching(log, " pass: NOAA 19 ended").size(), 1u);
    for (const char* window : {" caption: ", " LED: ", " title: ", " status: "})
        EXPECT_TRUE(Matching(log, window).empty()) << window;
    // The bundled sets are of 2025-05-28: the operator hears once that they are old.
    const auto errors = Lines(test::ReadFileBytes(root.Path() / "station.err"));
    EXPECT_EQ(Matching(errors, "the element set of NOAA 19 is ").size(), 1u);
    for (const std::string& line : log)
        EXPECT_EQ(line.find("error"), std::string::npos) << line;

    // The port: RTS low at start, standby twice two seconds before the pass, scan and channel 1
    // at its start, RTS high once a second while receiving, low after it and at the end.
    const auto rtsHigh = Matching(spy, " RTS 1");
    ASSERT_FALSE(rtsHigh.empty());
    EXPECT_NEAR(static_cast<double>(rtsHigh.size()), pass.LengthS, 1);
    EXPECT_NEAR(OffsetMs(rtsHigh.front(), pass.Start), 2000, 1100);
    for (std::size_t i = 1; i < rtsHigh.size(); ++i)
        EXPECT_NEAR(OffsetMs(rtsHigh[i], pass.Start) - OffsetMs(rtsHigh[i - 1], pass.Start), 1000,
                    150);
    const auto standby = Matching(spy, " WRITE \"F0\"");
    ASSERT_EQ(standby.size(), 4u); // at detection and at the end of reception, twice each
    EXPECT_NEAR(OffsetMs(standby[0], pass.Start), -2000, 1100);
    const auto channel = Matching(spy, " WRITE \"F1\"");
    ASSERT_EQ(channel.size(), 2u);
    EXPECT_NEAR(OffsetMs(channel[0], pass.Start), 1000, 1100);
    EXPECT_EQ(spy.front().substr(24), " RTS 0");
    EXPECT_EQ(spy.back().substr(24), " RTS 0");

    // The hot-linked client got the string every second, with the channel during the pass.
    const auto data = Matching(Lines(client.Text()), "DATA Data UP0 ");
    EXPECT_GT(data.size(), static_cast<std::size_t>(pass.LengthS));
    EXPECT_FALSE(
        Matching(data, "DATA Data UP0 DN137100000 UMFM-W DMFM-W AZ000 EL000 SNNOAA 19").empty());

    // The schedule is the user's state; the settings belong to the window program: nothing was
    // written there.
    EXPECT_NE(test::ReadFileBytes(root.Path() / "state" / "Quillmere" / "Kestrune" / "Schedule.txt")
                  .find(pass.Line.substr(0, 14)),
              std::string::npos);
    EXPECT_EQ(test::ReadFileBytes(root.Path() / "config" / "Quillmere" / "HKEY_CURRENT_USER.reg"),
              settingsBefore);
}

// The station's log once it has the given number of lines with `part`, or after ten seconds.
std::vector<std::string> LogOnce(const std::filesystem::path& file, const std::string& part,
                                 std::size_t count) {
    std::vector<std::string> log;
    for (int attempt = 0; attempt < 500; ++attempt) {
        if (std::filesystem::exists(file))
            log = Lines(test::ReadFileBytes(file));
        if (Matching(log, part).size() >= count)
            break;
        std::this_thread::sleep_for(20ms);
    }
    return log;
}

TEST(StationEndToEnd, SighupReadsTheSettingsAgain) {
    test::TTempDir root;
    const std::string dataFolder = std::string(SAMPLE_TLE_DIR) + "/";
    std::filesystem::create_directory(root.Path() / "run");
    TFileRegistry registry(root.Path() / "config" / "Quillmere");
    const TSettingsContext context{registry, [] { return std::string("Kestrune"); }};
    TRegistryString(context, "TleDataPath", dataFolder);
    TRegistryString(context, "ObsLatitude", "55.9");
    TRegistryInteger(context, "RxType", RxDde);
    TRegistryString(context, "SatList", SatListFromRows({{"NOAA 19", "B", "300"}}));

    TStationProcess station(root.Path(), "station");
    const std::filesystem::path out = root.Path() / "station.out";
    const auto before = LogOnce(out, " pass list: ", 1);
    ASSERT_EQ(Matching(before, " pass list: ").size(), 1u);
    EXPECT_TRUE(Matching(before, " NOAA 18").empty());

    TRegistryString(context, "SatList").Value =
        SatListFromRows({{"NOAA 19", "B", "300"}, {"NOAA 18", "B", "300"}});
    station.Signal(SIGHUP);
    const auto after = LogOnce(out, " pass list: ", 2);
    station.Signal(SIGTERM);
    EXPECT_EQ(station.Wait(10s), 0);
    SCOPED_TRACE(test::ReadFileBytes(out));
    EXPECT_EQ(Matching(after, " notice: SIGHUP: reading the settings again from ").size(), 1u);
    const std::vector<std::string> builds = Matching(after, " pass list: ");
    ASSERT_EQ(builds.size(), 2u);
    // The second build has NOAA 18's passes as well.
    const auto passCount = [](const std::string& line) {
        return std::stoi(line.substr(line.find(" pass list: ") + 12));
    };
    EXPECT_GT(passCount(builds[1]), passCount(builds[0]));
}

// A Meteor pass on its own frequency, mode and passband, predicted from an OMM file, through a
// rig-control server of the test's own: the commands it receives, the tracking string during
// the pass, and the schedule for other programs. The station's clock starts 16 s before the
// pass.
TEST(StationEndToEnd, AMeteorPassTunesTheRigToItsOwnFrequency) {
    test::TFakeRigctld rig(test::TFakeRigctld::TMode::Answer);
    test::TTempDir root;
    std::filesystem::create_directories(root.Path() / "omm");
    std::filesystem::copy_file(std::string(KESTRUNE_TEST_DATA) + "/omm/meteor-m2-3.json",
                               root.Path() / "omm" / "gp.php-GROUP-weather-FORMAT-json.txt");
    std::filesystem::create_directory(root.Path() / "run");
    TFileRegistry registry(root.Path() / "config" / "Quillmere");
    const TSettingsContext context{registry, [] { return std::string("Kestrune"); }};
    TRegistryString(context, "TleDataPath", (root.Path() / "omm").string() + "/");
    TRegistryString(context, "ObsLatitude", "55.9");
    TRegistryString(context, "ObsLongitude", "-3.2");
    TRegistryString(context, "ObsHeight", "180");
    TRegistryInteger(context, "PrePassGap", 2);
    TRegistryInteger(context, "DaysLookAhead", 1);
    TRegistryString(context, "SatList", "\"METEOR-M2_3,B,330\"");
    TRegistryString(context, "SatChannels", "\"METEOR-M2_3,137900000,FM,120000\"");
    TRegistryInteger(context, "RxType", RxRigctl);
    TRegistryString(context, "RigctlAddress", rig.Address());

    TStationProcess station(root.Path(), "station", "20250528083250");
    TTrackingClient client(root.Path() / "run" / "Kestrune" / "Tracking.sock");
    ASSERT_TRUE(client.Connected());
    const auto deadline = std::chrono::steady_clock::now() + 40s;
    while (rig.Received().empty() && std::chrono::steady_clock::now() < deadline) {
        client.Drain();
        std::this_thread::sleep_for(100ms);
    }
    std::this_thread::sleep_for(1500ms);
    client.Drain();
    station.Signal(SIGTERM);
    EXPECT_EQ(station.Wait(10s), 0);
    SCOPED_TRACE(test::ReadFileBytes(root.Path() / "station.out") +
                 test::ReadFileBytes(root.Path() / "station.err"));

    EXPECT_EQ(rig.Received(), "F 137900000\nM FM 120000\n");
    EXPECT_FALSE(Matching(Lines(client.Text()),
                          "DATA Data UP0 DN137900000 UMFM-W DMFM-W AZ000 EL000 SNMETEOR-M2 3")
                     .empty());
    const auto log = Lines(test::ReadFileBytes(root.Path() / "station.out"));
    EXPECT_EQ(Matching(log, " receiver: 137.900 MHz, the satellite's own frequency").size(), 1u);
    const std::filesystem::path state = root.Path() / "state" / "Quillmere" / "Kestrune";
    EXPECT_NE(test::ReadFileBytes(state / "Schedule.json")
                  .find("{\"satellite\": \"METEOR-M2 3\", \"aos\": \"2025-05-28T08:33:06Z\", "
                        "\"tca\": \"2025-05-28T08:39:15Z\", \"los\": \"2025-05-28T08:45:21Z\", "
                        "\"max_elevation_deg\": 19, \"aos_azimuth_deg\": 27, "
                        "\"los_azimuth_deg\": 147, \"direction\": \"southbound\", "
                        "\"length_s\": 735, \"frequency_hz\": 137900000}"),
              std::string::npos);
    EXPECT_NE(test::ReadFileBytes(state / "Schedule.ics").find("\r\nDTSTART:20250528T083306Z\r\n"),
              std::string::npos);
}

} // namespace
} // namespace kestrune
