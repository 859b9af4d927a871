#pragma once

// Cuts received bytes into trimmed text lines. The line feed is the only
// terminator; bytes up to 32 (blanks, CR, tabs, control bytes) are trimmed
// from both ends and empty lines vanish. Unterminated text longer than 4096
// bytes is cut to its last 2048 bytes, so a line that never ends cannot
// grow the buffer.

#include <string>
#include <string_view>

namespace nivora {

class LineAssembler {
  public:
    static constexpr std::size_t kMaxPending = 4096;
    static constexpr std::size_t kKeptPending = 2048;

    // Adds a chunk as the reader does: bytes after an embedded NUL are dropped.
    void append(std::string_view chunk);

    // The next complete, trimmed, non-empty line; false when none is left.
    // The view stays valid until the next call of append() or next().
    bool next(std::string_view& line);

    // Applies the bound on unterminated text; call after the lines are taken.
    void bound();

    void clear();
    std::size_t pending() const { return buffer_.size() - start_; }
    std::string_view pendingText() const { return std::string_view(buffer_).substr(start_); }

  private:
    void compact();

    std::string buffer_;
    std::size_t start_ = 0;
};

std::string_view trimLine(std::string_view line);

}  // namespace nivora
