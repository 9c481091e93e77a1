// The receivers that push their keys: the sources' key state; the network receiver's line protocol,
// button map, back-off and the whole source against a server on the loopback address; the HID remote's
// usage table and report parser (golden reports) and its source against a fake input.
#include "receivers/SrcHidRemote.h"
#include "receivers/SrcIrServer.h"

#include "Golden.h"
#include "ReceiverTestSupport.h"
#include "base/Text.h"
#include "cmdset/RemoteKeys.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace lm {
namespace {

std::string Parsed(std::string_view text) {
    tagIRSERVERLINE line;
    if (!ParseIrServerLine(text, line))
        return "-";
    return std::to_string(line.code) + " " + std::to_string(line.repeat) + " " + line.button + " " +
           line.remote;
}

TEST(IrServerProtocol, KeyLinesAndWhatIsNoKeyLine) {
    EXPECT_EQ(Parsed("000000037ff07bee 00 KEY_VOLUMEUP mceusb"), "15031368686 0 KEY_VOLUMEUP mceusb");
    EXPECT_EQ(Parsed("000000000000000A 1f KEY_OK tv\r"), "10 31 KEY_OK tv");
    EXPECT_EQ(Parsed("ffffffffffffffff  02   B  R "), "18446744073709551615 2 B R");
    for (const char* bad : {"", "0000000000000001 00 KEY_OK", "0000000000000001 00 KEY_OK tv extra",
                            "000000000000001 00 KEY_OK tv", "00000000000000010 00 KEY_OK tv",
                            "000000000000000g 00 KEY_OK tv", "0000000000000001 0x KEY_OK tv",
                            "0000000000000001 123456789 KEY_OK tv", "0000000000000001 00 KEY\x01OK tv",
                            "0000000000000001 00 KEY_OK t\xC3\xA4", "0000000000000001\t00 KEY_OK tv"})
        EXPECT_EQ(Parsed(bad), "-") << bad;
    EXPECT_EQ(Parsed("0000000000000001 00 " + std::string(127, 'k') + " tv").size(), 4u + 127 + 3);
    EXPECT_EQ(Parsed("0000000000000001 00 " + std::string(128, 'k') + " tv"), "-");
}

TEST(IrServerProtocol, TheStreamSplitsLinesSkipsBlocksAndDropsOverlongLines) {
    CIrServerStream stream;
    std::vector<std::string> seen;
    auto feed = [&](const std::string& bytes) {
        stream.Feed(bytes.data(), bytes.size(), [&](IrLineKind kind, const tagIRSERVERLINE& line) {
            seen.push_back(kind == IrLineKind::Key     ? line.button
                           : kind == IrLineKind::Block ? "block"
                                                       : "bad");
        });
    };
    feed("0000000000000001 00 KEY_1 r\n00000000000000");
    feed("02 00 KEY_2 r\r\nBEGIN\nSEND_ONCE r KEY_1\nSUCCESS\nEND\n0000000000000003 00 KEY_3 r\n");
    EXPECT_EQ(seen,
              (std::vector<std::string>{"KEY_1", "KEY_2", "block", "block", "block", "block", "KEY_3"}));
    seen.clear();
    // A line of 513 bytes goes whole, however it arrives; the next line is read again. Binary bytes
    // and an empty line are no keys.
    feed(std::string(300, 'x'));
    feed(std::string(213, '\0') + "\n0000000000000004 00 KEY_4 r\n\xFF\xFE\x01\n\n");
    EXPECT_EQ(seen, (std::vector<std::string>{"bad", "KEY_4", "bad", "bad"}));
    // A half line and an open block are forgotten with the connection.
    feed("BEGIN\n00000000000000");
    stream.Reset();
    EXPECT_EQ(stream.PendingBytes(), 0u);
    seen.clear();
    feed("0000000000000005 00 KEY_5 r\n");
    EXPECT_EQ(seen, std::vector<std::string>{"KEY_5"});
}

TEST(IrServerProtocol, ButtonsMapByRemoteThenButtonThenTheBuiltInNames) {
    CIrButtonMap map;
    EXPECT_EQ(map.AddEntries({{L"tv/KEY_OK", L"185"},
                              {L" KEY_VOLUMEUP ", L" 240 "},
                              {L"Record", L"263"},
                              {L"KEY_X", L"139"},
                              {L"KEY_Y", L"325"},
                              {L"KEY_Z", L"12a"},
                              {L"", L"200"}}),
              4);
    EXPECT_EQ(map.KeyFor("TV", "KEY_OK"), RCKEY_BACK); // names in any letter case
    EXPECT_EQ(map.KeyFor("other", "KEY_OK"), RCKEY_OK);
    EXPECT_EQ(map.KeyFor("any", "key_volumeup"), RCKEY_VOL_DOWN);
    EXPECT_EQ(map.KeyFor("any", "record"), RCKEY_RECORD);
    EXPECT_EQ(map.KeyFor("any", "KEY_X"), RCKEY_NONE);
    EXPECT_EQ(map.KeyFor("any", "KEY_UNKNOWN"), RCKEY_NONE);
    // Every built-in name is unique and names a remote key.
    std::vector<std::string> names;
    for (const tagIRBUTTONNAME& entry : DefaultIrButtonNames()) {
        EXPECT_TRUE(entry.keyId >= RCKEY_POWER && entry.keyId < RCKEY_COUNT) << entry.name;
        EXPECT_EQ(std::count(names.begin(), names.end(), entry.name), 0) << entry.name;
        names.push_back(entry.name);
    }
    for (const char* name : {"KEY_0", "KEY_9", "KEY_UP", "KEY_OK", "KEY_VOLUMEUP", "KEY_MUTE", "KEY_POWER",
                             "KEY_PLAY", "KEY_STOP", "KEY_NEXT", "KEY_RED", "KEY_BLUE"})
        EXPECT_NE(CIrButtonMap().KeyFor("r", name), RCKEY_NONE) << name;
}

// A push source whose keys the test sets; its codes are the key IDs less 140.
class PushSource final : public CSrcPush {
public:
    PushSource(const tagSRCSERVICES& services, uint32_t releaseMs) : CSrcPush(services, L"Push", releaseMs) {}
    ~PushSource() override { StopPolling(); }
    using CSrcPoll::StopEvent;
};

TEST(SrcPush, PressesAreSeenOnceHeldKeysUntilTheirReleaseAndTheSameKeyAgainAfterARelease) {
    test::FakeClock clock;
    test::FakeThreads threads{&clock};
    PushSource source({clock, threads, nullptr}, 250);
    int32_t key = kNoKeyId;
    EXPECT_TRUE(source.MapCode(241 - 140, &key) && key == 241);
    EXPECT_FALSE(source.MapCode(185, &key) || source.KeyDown(139, true) || source.KeyDown(325, true));
    // A tap released before the poll is still seen once.
    source.KeyDown(241, true);
    source.KeyUp();
    EXPECT_EQ(source.GetCurrentKeyCode(), 101);
    EXPECT_EQ(source.GetCurrentKeyCode(), kNecNoKey);
    // Held by repeats: down until no repeat came for 250 ms. A repeat without its press is a press.
    source.KeyDown(200, false);
    EXPECT_EQ(source.GetCurrentKeyCode(), 60);
    clock.Advance(200);
    source.KeyDown(200, false);
    clock.Advance(249);
    EXPECT_EQ(source.GetCurrentKeyCode(), 60);
    clock.Advance(1);
    EXPECT_EQ(source.GetCurrentKeyCode(), kNecNoKey);
    // The same key pressed again while it still counts as held: one poll sees the release first.
    source.KeyDown(200, true);
    EXPECT_EQ(source.GetCurrentKeyCode(), 60);
    source.KeyDown(200, true);
    EXPECT_EQ(source.GetCurrentKeyCode(), kNecNoKey);
    EXPECT_EQ(source.GetCurrentKeyCode(), 60);
    // Without a release time only KeyUp releases.
    PushSource held({clock, threads, nullptr}, 0);
    held.KeyDown(260, true);
    clock.Advance(60000);
    EXPECT_EQ(held.GetCurrentKeyCode(), 120);
    EXPECT_EQ(held.GetCurrentKeyCode(), 120);
    held.KeyUp();
    EXPECT_EQ(held.GetCurrentKeyCode(), kNecNoKey);
}

// Sockets that never connect, noting when they were asked.
class RefusingSockets final : public ISockets {
public:
    explicit RefusingSockets(IClock& clock) : clock_(clock) {}
    std::unique_ptr<ISocket> NewSocket() override { return std::make_unique<Refusing>(*this); }
    std::vector<uint32_t> attempts;

private:
    class Refusing final : public ISocket {
    public:
        explicit Refusing(RefusingSockets& owner) : owner_(owner) {}
        bool Connect(const std::wstring&, uint16_t, uint32_t) override {
            owner_.attempts.push_back(owner_.clock_.TickCount());
            return false;
        }
        int Receive(char*, size_t, uint32_t) override { return kSocketClosed; }
        void Close() override {}

    private:
        RefusingSockets& owner_;
    };
    IClock& clock_;
};

TEST(SrcIrServer, AServerThatIsDownIsTriedAgainWithBackOffAndOneTraceLine) {
    test::FakeClock clock;
    test::FakeThreads threads{&clock};
    test::TraceCapture trace(clock, 7);
    RefusingSockets sockets(clock);
    test::EventLog log(clock);
    CSrcIrServer source({clock, threads, nullptr}, sockets, tagIRSERVERCONFIG{L"server", 1, {}});
    auto& stop = static_cast<test::FakeEvent&>(*threads.events.back()); // the connection thread's
    EXPECT_EQ(source.State(), IrServerState::Stopped);
    EXPECT_EQ(CSrcIrServer({clock, threads, nullptr}, sockets, tagIRSERVERCONFIG{L" ", 8765, {}})
                      .Init(&log, test::EventLog::Callback) +
                  CSrcIrServer({clock, threads, nullptr}, sockets, tagIRSERVERCONFIG{L"server", 0, {}})
                      .Init(&log, test::EventLog::Callback),
              0);
    ASSERT_EQ(source.Init(&log, test::EventLog::Callback), 1);
    EXPECT_EQ(source.State(), IrServerState::Connecting);
    EXPECT_EQ(IrServerStateText(source.State()), kStringIrServerConnecting);
    std::vector<uint32_t> waits;
    stop.onWait = [&](test::FakeEvent& e, uint32_t ms) {
        waits.push_back(ms);
        EXPECT_EQ(source.State(), IrServerState::Retrying);
        if (waits.size() == 8)
            e.Set();
    };
    threads.RunThread(threads.Last());
    EXPECT_EQ(waits, (std::vector<uint32_t>{1000, 2000, 4000, 8000, 16000, 30000, 30000, 30000}));
    EXPECT_EQ(sockets.attempts.size(), 8u);
    EXPECT_EQ(trace.Count(L"cannot connect to server:1"), 1u);
    EXPECT_EQ(IrServerStateText(IrServerState::Retrying), kStringIrServerRetrying);
    EXPECT_EQ(threads.names[threads.Last()], "LM: Network IR Server CSrcIrServer::RunLink()");
}

// A server on the loopback address: each connection it accepts plays the next of its scripts, a list
// of steps "send <bytes>" or "wait <ms>"; the connection closes at the script's end.
class LoopbackServer {
public:
    struct Step {
        uint32_t waitMs;
        std::string bytes;
    };
    explicit LoopbackServer(std::vector<std::vector<Step>> scripts) : scripts_(std::move(scripts)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof(address);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::listen(listener_, 4) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            ADD_FAILURE() << "no loopback listener";
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackServer() {
        ::shutdown(listener_, SHUT_RDWR);
        ::close(listener_);
        thread_.join();
    }
    uint16_t Port() const { return port_; }
    int Served() const { return served_.load(); }

private:
    void Serve() {
        for (const auto& script : scripts_) {
            int peer = ::accept(listener_, nullptr, nullptr);
            if (peer < 0)
                return;
            for (const Step& step : script) {
                std::this_thread::sleep_for(std::chrono::milliseconds(step.waitMs));
                if (!step.bytes.empty())
                    ::send(peer, step.bytes.data(), step.bytes.size(), MSG_NOSIGNAL);
            }
            ::close(peer);
            ++served_;
        }
    }
    std::vector<std::vector<Step>> scripts_;
    int listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<int> served_{0};
    std::thread thread_;
};

// The system's sockets: a read waits no longer than asked, a closed connection and a port nobody
// listens on are told apart from a time-out.
TEST(Sockets, ConnectReceiveWithATimeOutAndClose) {
    uint16_t closedPort = 0;
    {
        LoopbackServer server({{{150, "ab"}, {100, ""}}});
        closedPort = server.Port();
        std::unique_ptr<ISocket> socket = NativeSockets().NewSocket();
        char buffer[8];
        EXPECT_EQ(socket->Receive(buffer, sizeof buffer, 10), kSocketClosed) << "not connected";
        ASSERT_TRUE(socket->Connect(L"localhost", server.Port(), 1000));
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(socket->Receive(buffer, sizeof buffer, 50), kSocketTimeout);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(140));
        EXPECT_EQ(socket->Receive(buffer, sizeof buffer, 1000), 2);
        EXPECT_EQ(socket->Receive(buffer, sizeof buffer, 1000), kSocketClosed);
        socket->Close();
        socket->Close();
    }
    EXPECT_FALSE(NativeSockets().NewSocket()->Connect(L"127.0.0.1", closedPort, 1000));
    EXPECT_FALSE(NativeSockets().NewSocket()->Connect(L"no-such-host.invalid", 8765, 1000));
}

bool WaitUntil(const std::function<bool()>& done, int ms = 5000) {
    for (auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
         std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(std::chrono::milliseconds(5)))
        if (done())
            return true;
    return done();
}

std::string KeyLine(const char* button, int repeat, const char* remote = "mceusb") {
    char line[128];
    std::snprintf(line, sizeof line, "000000037ff07bee %02x %s %s\n", repeat, button, remote);
    return line;
}

TEST(SrcIrServer, KeysFromALoopbackServerTakeTheRoadOfAReceiverAcrossDropsAndGarbage) {
    // First connection: a tap, a key held for 1.2 s by repeats every 110 ms, an unmapped button, a
    // mapped one, garbage; then the server drops the connection in the middle of a line. Second: a key.
    std::vector<LoopbackServer::Step> first = {{0, KeyLine("KEY_1", 0)}, {300, ""}};
    for (int i = 0; i <= 11; ++i)
        first.push_back({i == 0 ? 0u : 110u, KeyLine("KEY_CHANNELUP", i)});
    first.push_back({400, KeyLine("KEY_WHATEVER", 0) + KeyLine("Ok", 0, "tv")});
    first.push_back({400, std::string(600, 'A') + "\n\x01\x02\xFF garbage\n" + "0000000000000001 00 KEY_"});
    LoopbackServer server({first, {{100, KeyLine("KEY_VOLUMEUP", 0)}, {1000, ""}}});

    tagPLATFORM& platform = NativePlatform();
    test::EventLog log(platform.clock);
    CSrcIrServer source({platform.clock, platform.threads, nullptr}, NativeSockets(),
                        tagIRSERVERCONFIG{L"127.0.0.1", server.Port(), {{L"tv/Ok", L"184"}}});
    const uint32_t start = platform.clock.TickCount();
    ASSERT_EQ(source.Init(&log, test::EventLog::Callback), 1);
    ASSERT_TRUE(
        WaitUntil([&] { return source.Connections() == 2 && log.Size() >= 1 && server.Served() == 1; }, 8000))
        << log.Trail(start);
    ASSERT_TRUE(WaitUntil([&] { return log.Events().back().keyId == RCKEY_VOL_UP; }));
    EXPECT_EQ(source.State(), IrServerState::Connected);
    EXPECT_EQ(source.RejectedLines(), 2u);
    EXPECT_EQ(source.KeyLines(), 1u + 12 + 2 + 1);
    // 201 once; 221 at once, then repeats from 1 s after the press at least 200 ms apart, none after the
    // release; the mapped "Ok" of remote "tv"; after the reconnection (1 s later) 241.
    std::vector<test::LoggedEvent> events = log.Events();
    std::vector<int32_t> keys;
    for (const auto& e : events)
        keys.push_back(e.keyId);
    ASSERT_GE(keys.size(), 5u) << log.Trail(start);
    EXPECT_EQ(keys[0], RCKEY_1);
    EXPECT_EQ(keys[1], RCKEY_PROG_UP);
    size_t repeats = 0;
    while (2 + repeats < keys.size() && keys[2 + repeats] == RCKEY_PROG_UP)
        ++repeats;
    EXPECT_GE(repeats, 1u);
    EXPECT_LE(repeats, 3u);
    EXPECT_GE(events[2].tick - events[1].tick, 1000u);
    for (size_t i = 3; i < 2 + repeats; ++i)
        EXPECT_GE(events[i].tick - events[i - 1].tick, 200u);
    EXPECT_EQ(std::vector<int32_t>(keys.begin() + 2 + static_cast<long>(repeats), keys.end()),
              (std::vector<int32_t>{RCKEY_OK, RCKEY_VOL_UP}))
        << log.Trail(start);
    for (const auto& e : events)
        EXPECT_EQ(e.singleShot, 0u);
}

// Reports of the golden file ("<page>: <bytes in hex>") with what the parser and the table make of them,
// then the whole usage table.
TEST(HidRemote, ReportsAndTheUsageTableMatchTheGoldenFile) {
    std::vector<std::wstring> lines;
    for (const std::wstring& line : test::GoldenCases("hid-remote")) {
        if (line.rfind(L"table ", 0) == 0)
            continue;
        const std::wstring input = line.substr(0, line.find(L" -> "));
        const auto page = static_cast<uint16_t>(std::wcstoul(input.c_str(), nullptr, 16));
        std::vector<uint8_t> bytes;
        for (size_t at = input.find(L':') + 1; at + 2 <= input.size(); at += 3)
            bytes.push_back(static_cast<uint8_t>(std::wcstoul(input.substr(at + 1, 2).c_str(), nullptr, 16)));
        int32_t usage = ParseHidRemoteReport(page, bytes.data(), bytes.size());
        int32_t key = usage > 0 ? HidUsageToKey(page, static_cast<uint16_t>(usage)) : kNoKeyId;
        lines.push_back(FormatBounded(200, L"%ls -> usage %d key %d", input.c_str(), usage, key));
    }
    for (const tagHIDUSAGEKEY& row : HidRemoteUsages())
        lines.push_back(
            FormatBounded(100, L"table 0x%04X 0x%04X -> %d", row.usagePage, row.usage, row.keyId));
    EXPECT_TRUE(test::MatchesGolden("hid-remote", lines));
    EXPECT_EQ(AppCommandToKey(10), RCKEY_VOL_UP);
    EXPECT_EQ(AppCommandToKey(14), RCKEY_PLAY);
    EXPECT_EQ(AppCommandToKey(2), RCKEY_NONE);
}

TEST(SrcHidRemote, ReportsAndApplicationCommandsBecomeKeysOnThePollingRoad) {
    test::FakeClock clock;
    test::FakeThreads threads{&clock};
    test::EventLog log(clock);
    auto owned = std::make_unique<test::FakeHidInput>();
    test::FakeHidInput& input = *owned;
    CSrcHidRemote source({clock, threads, nullptr}, std::move(owned));
    // Found only with a device of the two collections; an input that cannot start fails Init.
    input.present = false;
    EXPECT_EQ(source.Init(&log, test::EventLog::Callback), 0);
    EXPECT_EQ(input.asked, 2u);
    input.present = true, input.startWorks = false;
    EXPECT_EQ(source.Init(&log, test::EventLog::Callback), 0);
    EXPECT_FALSE(source.IsPolling() || source.IsInitialised());
    input.startWorks = true;
    ASSERT_EQ(source.Init(&log, test::EventLog::Callback), 1);
    EXPECT_TRUE(input.consuming && source.IsPolling());
    auto poll = [&](uint32_t ms) {
        clock.Advance(ms);
        source.PollOnce();
    };
    // Volume + pressed, held across polls, released; an application command right after the report is
    // the system's copy of it; later it is a tap of its own.
    const uint32_t start = clock.TickCount();
    input.Report(kHidPageConsumer, {0x01, 0xE9, 0x00});
    poll(80), poll(80);
    input.Report(kHidPageConsumer, {0x01, 0x00, 0x00});
    input.sink->OnAppCommand(10);
    poll(80);
    EXPECT_EQ(source.GetLastKeyId(), kNoKeyId);
    clock.Advance(500);
    input.sink->OnAppCommand(10);
    poll(80), poll(80);
    // The green button of the Media Center page, then a report with no layout and an unmapped usage.
    input.Report(kHidPageMediaCenter, {0x02, 0x0D});
    input.Report(kHidPageMediaCenter, {0x02, 0x00});
    poll(80);
    input.Report(kHidPageConsumer, {0x01, 0xB0, 0x00, 0x00});
    input.Report(kHidPageMediaCenter, {0x02, 0x26});
    poll(80);
    EXPECT_EQ(source.UnknownReports(), 1u);
    EXPECT_EQ(log.Trail(start), "241@80 241@820 160@980");
}

} // namespace
} // namespace lm
