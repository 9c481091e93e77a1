// The scripted receiver: its file format and its playing through the source's ordinary road.
#include "receivers/SrcScript.h"

#include "ReceiverTestSupport.h"
#include "fakes/FakeFileSystem.h"
#include "base/Text.h"

#include <gtest/gtest.h>

namespace lm {
namespace {

ReceiverScript Parse(const std::string& text) {
    ReceiverScript script;
    std::wstring error;
    EXPECT_TRUE(ParseReceiverScript(text, script, error)) << ToUtf8(error);
    return script;
}

std::wstring ParseError(const std::string& text) {
    ReceiverScript script;
    script.loop = true;
    std::wstring error;
    EXPECT_FALSE(ParseReceiverScript(text, script, error)) << text;
    EXPECT_TRUE(script.steps.empty()); // a failed parse leaves the script alone
    return error;
}

TEST(ReceiverScriptFormat, StepsCommentsNumbersAndKeys) {
    auto s = Parse("\xEF\xBB\xBF# demo\n"
                   "MODEL 2   ; the remote of the sound cards\n"
                   "\n"
                   "code 0x0C 200\n"
                   "  pause 100  \r\n"
                   "key 268 900 fe # double-function key, held\n"
                   "code 12 50 FE\n"
                   "loop\n");
    EXPECT_EQ(s.remoteModel, 2u);
    EXPECT_TRUE(s.loop);
    ASSERT_EQ(s.steps.size(), 4u);
    EXPECT_EQ(s.steps[0].code, 0x0C);
    EXPECT_EQ(s.steps[0].durationMs, 200u);
    EXPECT_FALSE(s.steps[0].markHeld);
    EXPECT_EQ(s.steps[1].code, kNecNoKey);
    EXPECT_EQ(s.steps[1].durationMs, 100u);
    EXPECT_EQ(s.steps[2].code, 0x2C); // the lowest code of key 268 under model 2
    EXPECT_TRUE(s.steps[2].markHeld);
    EXPECT_EQ(s.steps[3].code, 12);
    EXPECT_EQ(s.TotalMs(), 1250u);
    // Keys take the model of the whole script, wherever the model line stands.
    EXPECT_EQ(Parse("key 200 10\nmodel 2048\n").steps[0].code, 0x0D);
    EXPECT_EQ(Parse("key 200 10\n").steps[0].code, 0x0C); // model 64 by default
}

TEST(ReceiverScriptFormat, MistakesNameTheirLine) {
    EXPECT_EQ(ParseError("code 0x0C 100\nhold 5 100\n"),
              L"line 2: unknown word (model, loop, code, key, pause)");
    EXPECT_EQ(ParseError("code 0x100 100\n"), L"line 1: receiver code out of range (0..255)");
    EXPECT_EQ(ParseError("code -1 100\n"), L"line 1: receiver code out of range (0..255)");
    EXPECT_EQ(ParseError("code 0x0C\n"),
              L"line 1: code needs a receiver code, a duration in ms and optionally fe");
    EXPECT_EQ(ParseError("code 0x0C 100 held\n"),
              L"line 1: code needs a receiver code, a duration in ms and optionally fe");
    EXPECT_EQ(ParseError("code 0x0C 0\n"), L"line 1: duration out of range (1..3600000 ms)");
    EXPECT_EQ(ParseError("code 0x0C 3600001\n"), L"line 1: duration out of range (1..3600000 ms)");
    EXPECT_EQ(ParseError("code 0x0C 99999999999999999999999\n"),
              L"line 1: duration out of range (1..3600000 ms)");
    EXPECT_EQ(ParseError("code 0x0C 1x\n"), L"line 1: duration out of range (1..3600000 ms)");
    EXPECT_EQ(ParseError("pause\n"), L"line 1: pause needs a duration (1..3600000 ms)");
    EXPECT_EQ(
        ParseError("model 4\ncode 1 1\n"),
        L"line 1: model needs a remote-model mask with a code table (1, 2, 8, 16, 64, 128, 1024, 2048)");
    EXPECT_EQ(ParseError("loop 2\n"), L"line 1: loop takes no value");
    EXPECT_EQ(ParseError("pause 10\nkey 268 100\n"),
              L"line 2: no code of the remote model maps to this key ID");
    EXPECT_EQ(ParseError("key 325 100\n"), L"line 1: key ID out of range (0..324)");
    EXPECT_EQ(ParseError("# nothing\nloop\n"), L"the script has no steps");
    std::string tooMany;
    for (int i = 0; i < 10001; ++i)
        tooMany += "pause 1\n";
    EXPECT_EQ(ParseError(tooMany), L"line 10001: too many steps (at most 10000)");
}

class SrcScriptTest : public ::testing::Test {
protected:
    std::unique_ptr<CSrcScript> Start(const std::string& text, uint32_t startTick = 0) {
        fs.files[L"keys.rcs"].bytes = text;
        auto src = std::make_unique<CSrcScript>(services, fs, L"keys.rcs");
        stop = threads.events.back();
        clock.Set(startTick);
        EXPECT_EQ(src->Init(&log, test::EventLog::Callback), 1);
        return src;
    }
    void RunFor(uint32_t ms) {
        uint32_t start = clock.TickCount();
        stop->onWait = [this, start, ms](test::FakeEvent& e, uint32_t) {
            if (clock.TickCount() - start >= ms)
                e.Set();
        };
        threads.RunPending();
    }
    std::vector<std::pair<int32_t, uint32_t>> KeysAndTicks(uint32_t base = 0) {
        std::vector<std::pair<int32_t, uint32_t>> out;
        for (auto& e : log.Events())
            out.emplace_back(e.keyId, e.tick - base);
        return out;
    }

    test::FakeClock clock;
    test::FakeThreads threads{&clock};
    SrcServices services{clock, threads, nullptr};
    test::FakeFileSystem fs;
    test::EventLog log{clock};
    test::FakeEvent* stop = nullptr;
};

TEST_F(SrcScriptTest, AHeldKeyAReleaseAndAPressAgainBehaveAsOnAReceiver) {
    // Key 0 held 1.5 s, released for 100 ms, pressed again briefly.
    auto src = Start("pause 40\ncode 0x0C 1500\npause 100\ncode 0x0C 100\n");
    EXPECT_EQ(src->GetRemoteModel(), 64u);
    RunFor(3000);
    using P = std::vector<std::pair<int32_t, uint32_t>>;
    // Polls every 80 ms: pressed at 80, repeated at 1120 and 1360, new press at 1680.
    EXPECT_EQ(KeysAndTicks(), (P{{200, 80}, {200, 1120}, {200, 1360}, {200, 1680}}));
    for (auto& e : log.Events())
        EXPECT_EQ(e.singleShot, 0u);
}

TEST_F(SrcScriptTest, DoubleFunctionKeysTappedAndHeld) {
    auto src = Start("model 2\npause 40\nkey 268 300\npause 1000\nkey 269 1000 fe\n");
    RunFor(4000);
    using P = std::vector<std::pair<int32_t, uint32_t>>;
    // 268 tapped (seen at 80, tested until 780): short press 266.
    // 269 held from 1340 to 2340 (seen by the poll at 1340, tested until 2040, reported as 0xFE): long
    // press 265.
    EXPECT_EQ(KeysAndTicks(), (P{{266, 780}, {265, 2040}}));
    for (auto& e : log.Events())
        EXPECT_EQ(e.singleShot, 1u);
}

TEST_F(SrcScriptTest, UnmappedCodesAreLoggedAndTheEndOfTheScriptIsSilence) {
    test::TraceCapture trace(clock, 3);
    auto src = Start("code 0x00 100\n");
    RunFor(5000);
    EXPECT_EQ(log.Size(), 0u);
    EXPECT_EQ(trace.Count(L"Could not map NEC key code!!!"), 1u);
}

TEST_F(SrcScriptTest, ALoopingScriptStartsOverAndSurvivesTheTimerWrap) {
    // One press of key 1 every 500 ms, starting 1 s before the millisecond counter wraps.
    auto src = Start("code 0x02 100\npause 400\nloop\n", 0xFFFFFFFFu - 999);
    RunFor(3000);
    // Presses in [500n, 500n + 100) are seen by the polls at multiples of 80 within them.
    std::vector<uint32_t> ticks;
    for (auto& e : log.Events()) {
        EXPECT_EQ(e.keyId, 201);
        ticks.push_back(e.tick - (0xFFFFFFFFu - 999));
    }
    EXPECT_EQ(ticks, (std::vector<uint32_t>{80, 560, 1040, 1520, 2000, 2560, 3040}));
}

TEST_F(SrcScriptTest, ABadOrMissingScriptFailsInitWithATrace) {
    test::TraceCapture trace(clock, 3);
    fs.files[L"bad.rcs"].bytes = "code 0x0C\n";
    CSrcScript bad(services, fs, L"bad.rcs");
    EXPECT_EQ(bad.Init(&log, test::EventLog::Callback), 0);
    EXPECT_TRUE(trace.Has(L"ERR CSrcScript::Init() - 'bad.rcs' line 1: code needs a receiver code"));
    CSrcScript missing(services, fs, L"none.rcs");
    EXPECT_EQ(missing.Init(&log, test::EventLog::Callback), 0);
    EXPECT_TRUE(trace.Has(L"ERR CSrcScript::Init() - cannot read the script 'none.rcs'\n"));
    EXPECT_TRUE(threads.threads.empty());
}

} // namespace
} // namespace lm
