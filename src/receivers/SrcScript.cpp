#include "receivers/SrcScript.h"

#include "support/LMDebug.h"
#include "base/Text.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace lm {

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// A decimal or 0x-hexadecimal number, whole word, within [low, high].
bool ParseNumber(const std::string& word, uint64_t low, uint64_t high, uint64_t& value) {
    if (word.empty() || word[0] == '-' || word[0] == '+')
        return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long v =
        std::strtoull(word.c_str(), &end,
                      word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X') ? 16 : 10);
    if (errno != 0 || !end || *end != '\0' || v < low || v > high)
        return false;
    value = v;
    return true;
}

struct PendingKey {
    size_t step;
    int32_t keyId;
    int line;
};

} // namespace

uint64_t ReceiverScript::TotalMs() const {
    uint64_t total = 0;
    for (const auto& s : steps)
        total += s.durationMs;
    return total;
}

bool ParseReceiverScript(const std::string& text, ReceiverScript& script, std::wstring& error) {
    ReceiverScript result;
    std::vector<PendingKey> keys;
    std::istringstream in(text);
    std::string raw;
    int line = 0;
    auto fail = [&](const wchar_t* what) {
        error = FormatBounded(256, L"line %d: %ls", line, what);
        return false;
    };
    while (std::getline(in, raw)) {
        ++line;
        if (line == 1 && raw.size() >= 3 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0)
            raw.erase(0, 3);
        size_t comment = raw.find_first_of("#;");
        if (comment != std::string::npos)
            raw.erase(comment);
        std::istringstream words(raw);
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (w.empty())
            continue;
        std::string keyword = Lower(w[0]);
        uint64_t a = 0, b = 0;
        if (keyword == "model") {
            if (w.size() != 2 || !ParseNumber(w[1], 1, 0xFFFFFFFFu, a) ||
                !HasNecCodeTable(static_cast<uint32_t>(a)))
                return fail(
                    L"model needs a remote-model mask with a code table (1, 2, 8, 16, 64, 128, 1024, 2048)");
            result.remoteModel = static_cast<uint32_t>(a);
        } else if (keyword == "loop") {
            if (w.size() != 1)
                return fail(L"loop takes no value");
            result.loop = true;
        } else if (keyword == "code" || keyword == "key") {
            bool isKey = keyword == "key";
            bool sizeOk = w.size() == 3 || (w.size() == 4 && Lower(w[3]) == "fe");
            if (!sizeOk)
                return fail(isKey ? L"key needs a key ID, a duration in ms and optionally fe"
                                  : L"code needs a receiver code, a duration in ms and optionally fe");
            if (!ParseNumber(w[1], 0, isKey ? 324 : 255, a))
                return fail(isKey ? L"key ID out of range (0..324)" : L"receiver code out of range (0..255)");
            if (!ParseNumber(w[2], 1, CSrcScript::kMaxStepMs, b))
                return fail(L"duration out of range (1..3600000 ms)");
            if (isKey)
                keys.push_back(PendingKey{result.steps.size(), static_cast<int32_t>(a), line});
            result.steps.push_back(
                tagSCRIPTSTEP{static_cast<uint8_t>(a), static_cast<uint32_t>(b), w.size() == 4});
        } else if (keyword == "pause") {
            if (w.size() != 2 || !ParseNumber(w[1], 1, CSrcScript::kMaxStepMs, b))
                return fail(L"pause needs a duration (1..3600000 ms)");
            result.steps.push_back(tagSCRIPTSTEP{kNecNoKey, static_cast<uint32_t>(b), false});
        } else {
            return fail(L"unknown word (model, loop, code, key, pause)");
        }
        if (result.steps.size() > CSrcScript::kMaxSteps)
            return fail(L"too many steps (at most 10000)");
    }
    // Key IDs are resolved with the model the whole script names, wherever its line stands.
    for (const PendingKey& k : keys) {
        uint8_t code = 0;
        if (!FindNecCodeForKeyId(result.remoteModel, k.keyId, &code)) {
            line = k.line;
            return fail(L"no code of the remote model maps to this key ID");
        }
        result.steps[k.step].code = code;
    }
    if (result.steps.empty()) {
        line = 0;
        error = L"the script has no steps";
        return false;
    }
    script = std::move(result);
    error.clear();
    return true;
}

CSrcScript::CSrcScript(const tagSRCSERVICES& services, IFileSystem& files, std::wstring path)
    : CSrcPoll(services, kName, kRemoteModel64), files_(&files), path_(std::move(path)) {
    SetDescription(path_);
}

CSrcScript::CSrcScript(const tagSRCSERVICES& services, ReceiverScript script)
    : CSrcPoll(services, kName, script.remoteModel), script_(std::move(script)) {}

CSrcScript::~CSrcScript() {
    StopPolling();
}

int CSrcScript::Init(void* ownerContext, IrEventCallback callback) {
    CLMTraceScope scope(kTraceIO, kTraceAllContexts, L"CSrcScript::Init", L"%ls", path_.c_str());
    if (!StopPolling())
        return 0;
    initialised_.store(0, std::memory_order_release);
    if (files_) {
        std::string bytes;
        if (!files_->ReadAll(path_, bytes)) {
            LM_TRACE(kTraceErr, L"%ls() - cannot read the script '%ls'\n", L"CSrcScript::Init",
                     path_.c_str());
            return 0;
        }
        std::wstring error;
        ReceiverScript parsed;
        if (!ParseReceiverScript(bytes, parsed, error)) {
            LM_TRACE(kTraceErr, L"%ls() - '%ls' %ls\n", L"CSrcScript::Init", path_.c_str(), error.c_str());
            return 0;
        }
        script_ = std::move(parsed);
    }
    if (script_.steps.empty())
        return 0;
    SetRemoteModel(script_.remoteModel);
    lastOccurrence_ = UINT64_MAX;
    start_.store(Clock().TickCount(), std::memory_order_relaxed);
    return CSrcPoll::Init(ownerContext, callback);
}

uint8_t CSrcScript::GetCurrentKeyCode() {
    uint64_t total = script_.TotalMs();
    if (total == 0)
        return kNecNoKey;
    uint64_t elapsed = static_cast<uint32_t>(Clock().TickCount() - start_.load(std::memory_order_relaxed));
    uint64_t cycle = 0;
    if (elapsed >= total) {
        if (!script_.loop)
            return kNecNoKey;
        cycle = elapsed / total;
        elapsed %= total;
    }
    for (size_t i = 0; i < script_.steps.size(); ++i) {
        const tagSCRIPTSTEP& step = script_.steps[i];
        if (elapsed < step.durationMs) {
            uint64_t occurrence = cycle * script_.steps.size() + i;
            bool seenBefore = occurrence == lastOccurrence_;
            lastOccurrence_ = occurrence;
            if (step.code != kNecNoKey && step.markHeld && seenBefore)
                return kNecSameKey;
            return step.code;
        }
        elapsed -= step.durationMs;
    }
    return kNecNoKey;
}

} // namespace lm
