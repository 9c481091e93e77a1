// Fuzzes the network receiver's reading of the server's byte stream. The input is cut into pieces at
// the bytes of value 0xF0 (as reads of the connection would cut it) and fed to one stream. Besides not
// crashing: every key line has printable names of bounded length, the half line kept never exceeds the
// line limit, and a key line the parser accepts prints back as a line it reads the same.
#include "receivers/IrServerProtocol.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Check(bool ok) {
    if (!ok)
        std::abort();
}

bool Printable(const std::string& name) {
    if (name.empty() || name.size() > lm::kMaxIrNameBytes)
        return false;
    for (char c : name)
        if (c <= ' ' || c > '~')
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lm::CIrServerStream stream;
    lm::CIrButtonMap buttons;
    auto onLine = [&](lm::IrLineKind kind, const lm::tagIRSERVERLINE& line) {
        if (kind != lm::IrLineKind::Key)
            return;
        Check(Printable(line.button) && Printable(line.remote));
        char text[64];
        std::snprintf(text, sizeof text, "%016llx %x ", static_cast<unsigned long long>(line.code),
                      line.repeat);
        lm::tagIRSERVERLINE again;
        Check(lm::ParseIrServerLine(std::string(text) + line.button + " " + line.remote, again));
        Check(again.code == line.code && again.repeat == line.repeat && again.button == line.button &&
              again.remote == line.remote);
        int32_t key = buttons.KeyFor(line.remote, line.button);
        Check(key == -1 || (key >= 140 && key <= 324));
    };
    const char* bytes = reinterpret_cast<const char*>(data);
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i == size || data[i] == 0xF0) {
            stream.Feed(bytes + start, i - start, onLine);
            Check(stream.PendingBytes() <= lm::CIrServerStream::kMaxLineBytes);
            start = i + 1;
        }
    }
    // Whatever came before, a reset stream reads a good line.
    stream.Reset();
    bool seen = false;
    const std::string good = "0000000000000001 00 KEY_OK remote\n";
    stream.Feed(good.data(), good.size(),
                [&](lm::IrLineKind kind, const lm::tagIRSERVERLINE&) { seen = kind == lm::IrLineKind::Key; });
    Check(seen);
    return 0;
}
