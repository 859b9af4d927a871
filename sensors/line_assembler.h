#pragma once

// Cuts received bytes into trimmed text lines. The line feed is the only
// terminator; bytes up to 32 (blanks, CR, tabs, control bytes) are trimmed
// from both ends and empty lines vanish. Unterminated text longer than 4096
// bytes is cut to its last 2048 bytes, so a line that never ends cannot
// grow the buffer.
//
// Receivers send binary frames (UBX, RTCM, vendor records) between their
// sentences. A NUL, a control byte or a byte above ASCII ends nothing: a line
// that holds them starts at the sentence after them (a "$" and an address, the first
// whose checksum holds if any does), and is dropped when none follows. A
// frame with a line feed inside leaves its rest on the next line, which is
// cut the same way even when that rest looks like text. What is thrown away
// is counted.

#include <cstdint>
#include <string>
#include <string_view>

namespace nivora {

class LineAssembler {
  public:
    static constexpr std::size_t kMaxPending = 4096;
    static constexpr std::size_t kKeptPending = 2048;
    // Bytes are cut into lines in pieces of this size, so that a long line
    // is bounded the same way however much arrives at once.
    static constexpr std::size_t kPieceBytes = 1023;

    // `arrivedMs`: when the chunk's bytes arrived (ms since 1970 UTC), so
    // that each line carries the arrival of its first byte.
    void append(std::string_view chunk, std::int64_t arrivedMs = 0);

    // The next complete, trimmed, non-empty line; false when none is left.
    // The view stays valid until the next call of append() or next().
    bool next(std::string_view& line);
    // When the first byte of the line next() gave last arrived.
    std::int64_t lineArrivedMs() const { return lineArrivedMs_; }

    // Applies the bound on unterminated text; call after the lines are taken.
    void bound();

    // Appends `bytes` piece by piece, hands every line to `onLine` and
    // bounds the buffer after each piece. `onLine` returns false to stop
    // (the rest of the bytes is dropped, as when a port closes).
    template <class OnLine>
    void feed(std::string_view bytes, OnLine&& onLine, std::int64_t arrivedMs = 0) {
        for (std::size_t at = 0; at < bytes.size(); at += kPieceBytes) {
            append(bytes.substr(at, kPieceBytes), arrivedMs);
            std::string_view line;
            while (next(line)) {
                if (!onLine(line)) return;
            }
            bound();
        }
    }

    void clear();
    std::size_t pending() const { return buffer_.size() - start_; }
    std::string_view pendingText() const { return std::string_view(buffer_).substr(start_); }

    // Binary bytes skipped, and unterminated lines cut by the bound, since construction.
    std::uint64_t binaryBytesSkipped() const { return binarySkipped_; }
    std::uint64_t overlongLinesCut() const { return linesCut_; }

  private:
    void compact();
    // The text of a trimmed line, its binary bytes skipped; empty when no
    // sentence follows them.
    std::string_view withoutBinary(std::string_view line);

    std::string buffer_;
    std::size_t start_ = 0;
    std::uint64_t binarySkipped_ = 0;
    std::uint64_t linesCut_ = 0;
    bool cutting_ = false;     // the pending text is the rest of a cut line
    bool afterFrame_ = false;  // the last line was part of a binary frame
    // The arrival of the byte at start_, of the last append, and of the
    // first byte of the line given last.
    std::int64_t pendingArrivedMs_ = 0;
    std::int64_t appendArrivedMs_ = 0;
    std::int64_t lineArrivedMs_ = 0;
};

std::string_view trimLine(std::string_view line);

// A byte no sentence holds: a control byte other than tab and CR, or one
// above ASCII (sentences are ASCII; frames are full of both).
inline bool isBinaryByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b < 32 && b != '\t' && b != '\r' && b != '\n') || b >= 128;
}

}  // namespace nivora
