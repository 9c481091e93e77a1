// The scripted receiver: its file format and its playing through the source's ordinary road.
#include "receivers/SrcScript.h"

#include "Golden.h"
#include "ReceiverTestSupport.h"
#include "base/Text.h"
#include "fakes/FakeFileSystem.h"

#include <gtest/gtest.h>

namespace lm {
namespace {

TEST(ReceiverScriptFormat, StepsCommentsNumbersAndKeys) {
    ReceiverScript s;
    std::wstring error;
    ASSERT_TRUE(ParseReceiverScript("\xEF\xBB\xBF# demo\n"
                                    "MODEL 2   ; the remote of the sound cards\n"
                                    "\n"
                                    "code 0x0C 200\n"
                                    "  pause 100  \r\n"
                                    "key 268 900 fe # double-function key, held\n"
                                    "code 12 50 FE\n"
                                    "loop\n",
                                    s, error))
        << ToUtf8(error);
    EXPECT_EQ(s.remoteModel, 2u);
    EXPECT_TRUE(s.loop);
    ASSERT_EQ(s.steps.size(), 4u);
    EXPECT_EQ(s.steps[0].code, 0x0C);
    EXPECT_EQ(s.steps[0].durationMs, 200u);
    EXPECT_FALSE(s.steps[0].markHeld);
    EXPECT_EQ(s.steps[1].code, kNecNoKey);
    EXPECT_EQ(s.steps[2].code, 0x2C); // the lowest code of key 268 under model 2
    EXPECT_TRUE(s.steps[2].markHeld);
    EXPECT_EQ(s.steps[3].code, 12);
    EXPECT_EQ(s.TotalMs(), 1250u);
    // Keys take the model of the whole script, wherever the model line stands; 64 by default.
    ASSERT_TRUE(ParseReceiverScript("key 200 10\nmodel 2048\n", s, error));
    EXPECT_EQ(s.steps[0].code, 0x0D);
    ASSERT_TRUE(ParseReceiverScript("key 200 10\n", s, error));
    EXPECT_EQ(s.steps[0].code, 0x0C);
}

// Scripts of the golden file ("\\n" between lines) with what the parser says of them; a failed parse
// leaves the script alone.
TEST(ReceiverScriptFormat, MistakesMatchTheGoldenFile) {
    std::vector<std::wstring> lines;
    std::string tooMany;
    for (int i = 0; i < 10001; ++i)
        tooMany += "pause 1\n";
    for (const std::wstring& line : test::GoldenCases("script-errors")) {
        const std::wstring text = line.substr(0, line.find(L" -> "));
        std::string script = text == L"pause 1 (10001 times)" ? tooMany : ToUtf8(text);
        for (size_t at; (at = script.find("\\n")) != std::string::npos;)
            script.replace(at, 2, "\n");
        ReceiverScript parsed;
        parsed.loop = true;
        std::wstring error;
        if (ParseReceiverScript(script, parsed, error))
            error = L"(accepted)";
        EXPECT_TRUE(parsed.steps.empty() && parsed.loop) << ToUtf8(text);
        lines.push_back(text + L" -> " + error);
    }
    EXPECT_TRUE(test::MatchesGolden("script-errors", lines));
}

class SrcScriptTest : public ::testing::Test {
protected:
    // Plays the script from `startTick` for `ms` of fake time.
    void Play(const std::string& text, uint32_t ms, uint32_t startTick = 0) {
        fs.files[L"keys.rcs"].bytes = text;
        CSrcScript src(services, fs, L"keys.rcs");
        IEvent& stop = *threads.events.back();
        clock.Set(startTick);
        ASSERT_EQ(src.Init(&log, test::EventLog::Callback), 1);
        test::RunFor(threads, clock, stop, ms);
    }

    test::FakeClock clock;
    test::FakeThreads threads{&clock};
    tagSRCSERVICES services{clock, threads, nullptr};
    test::FakeFileSystem fs;
    test::EventLog log{clock};
};

TEST_F(SrcScriptTest, AHeldKeyAReleaseAndAPressAgainBehaveAsOnAReceiver) {
    // Key 0 of model 64 held 1.5 s, released for 100 ms, pressed again briefly. Polls every 80 ms:
    // pressed at 80, repeated at 1120 and 1360, new press at 1680.
    Play("pause 40\ncode 0x0C 1500\npause 100\ncode 0x0C 100\n", 3000);
    EXPECT_EQ(log.Trail(), "200@80 200@1120 200@1360 200@1680");
}

TEST_F(SrcScriptTest, DoubleFunctionKeysTappedAndHeld) {
    // 268 tapped (seen at 80, tested until 780): short press 266. 269 held from 1340 to 2340 (seen by
    // the poll at 1340, tested until 2040, reported as 0xFE): long press 265.
    Play("model 2\npause 40\nkey 268 300\npause 1000\nkey 269 1000 fe\n", 4000);
    EXPECT_EQ(log.Trail(), "266@780! 265@2040!");
}

TEST_F(SrcScriptTest, ALoopingScriptStartsOverAndSurvivesTheTimerWrap) {
    // One press of key 1 every 500 ms, starting 1 s before the millisecond counter wraps; a press in
    // [500n, 500n + 100) is seen by the poll at a multiple of 80 within it.
    Play("code 0x02 100\npause 400\nloop\n", 3000, 0xFFFFFFFFu - 999);
    EXPECT_EQ(log.Trail(0xFFFFFFFFu - 999), "201@80 201@560 201@1040 201@1520 201@2000 201@2560 201@3040");
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
