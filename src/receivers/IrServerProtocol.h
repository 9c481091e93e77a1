// The text protocol of infrared servers on the network: the server sends one line per received code,
// "<code, 16 hex digits> <repeat count, hex> <button name> <remote name>\n"; a repeat count of 0 is a new
// press, above 0 the same key still held. Replies to commands come as blocks from a line "BEGIN" to a
// line "END" and are no keys. This file splits the byte stream into lines, parses them and maps button
// names to key IDs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cmdset/PrgInfo.h"

namespace lm {

struct tagIRSERVERLINE {
    uint64_t code = 0;
    uint32_t repeat = 0;
    std::string button;
    std::string remote;
};

enum class IrLineKind {
    Key,      // a received code
    Block,    // part of a reply block
    Rejected, // not a line of the protocol (garbage, too long, wrong fields)
};

// Parses one key line (without its line feed; a carriage return before it is allowed). Names are printable
// ASCII without blanks, at most kMaxIrNameBytes bytes each.
constexpr size_t kMaxIrNameBytes = 127;
bool ParseIrServerLine(std::string_view line, tagIRSERVERLINE& out);

// Splits the server's byte stream into lines and sorts them. A line longer than kMaxLineBytes is dropped
// whole, up to its line feed; a half line is kept for the next Feed until Reset.
class CIrServerStream {
public:
    static constexpr size_t kMaxLineBytes = 512;

    // Calls onLine(kind, line) for every complete line in `data`; `line` is valid during the call.
    template <typename OnLine>
    void Feed(const char* data, size_t size, OnLine&& onLine) {
        for (size_t i = 0; i < size; ++i) {
            if (data[i] != '\n') {
                if (partial_.size() < kMaxLineBytes)
                    partial_.push_back(data[i]);
                else
                    overlong_ = true;
                continue;
            }
            tagIRSERVERLINE line;
            IrLineKind kind = Sort(line);
            onLine(kind, line);
            partial_.clear();
            overlong_ = false;
        }
    }
    // Forgets a half line and an open reply block (the connection ended).
    void Reset();
    size_t PendingBytes() const { return partial_.size(); }

private:
    IrLineKind Sort(tagIRSERVERLINE& line);

    std::string partial_;
    bool overlong_ = false;
    bool inBlock_ = false;
};

// Button names to key IDs: the user's entries first, by remote and button and then by button alone,
// then the built-in table of the standard button names.
class CIrButtonMap {
public:
    // The section of the user's command-set file that holds the entries.
    static constexpr const wchar_t* kSection = kRemoteButtonsSection;

    // Takes the lines "<button>=<key ID>" (any remote) and "<remote>/<button>=<key ID>". Returns the
    // number of lines rejected (no name, or not a key ID of a remote key, 140..324).
    int AddEntries(const std::vector<std::pair<std::wstring, std::wstring>>& lines);
    // The key ID of a button, -1 when it has none.
    int32_t KeyFor(const std::string& remote, const std::string& button) const;

private:
    std::vector<std::pair<std::string, int32_t>> entries_; // "remote/button" or "button", lower case
};

// The built-in table: standard button name and key ID, in table order.
struct tagIRBUTTONNAME {
    const char* name;
    int32_t keyId;
};
const std::vector<tagIRBUTTONNAME>& DefaultIrButtonNames();

} // namespace lm
