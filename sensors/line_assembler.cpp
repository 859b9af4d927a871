#include "sensors/line_assembler.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

#include "sensors/nmea.h"

namespace nivora {

std::string_view trimLine(std::string_view line) {
    while (!line.empty() && static_cast<unsigned char>(line.front()) <= 32)
        line.remove_prefix(1);
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= 32)
        line.remove_suffix(1);
    return line;
}

void LineAssembler::append(std::string_view chunk, std::int64_t arrivedMs) {
    compact();
    // What is pending holds no line end: a line after it starts in this chunk.
    if (buffer_.empty()) pendingArrivedMs_ = arrivedMs;
    appendArrivedMs_ = arrivedMs;
    buffer_.append(chunk);
}

namespace {

// "$" and an address of three or more capitals or digits: the start of a
// sentence, not a "$" byte inside a binary frame.
bool sentenceStart(std::string_view text) {
    std::size_t n = 1;
    while (n < text.size() &&
           ((text[n] >= 'A' && text[n] <= 'Z') || (text[n] >= '0' && text[n] <= '9')))
        ++n;
    return n >= 4;
}

// Whether any byte is below 32 or above 127, sixteen or eight at a time:
// text lines, nearly all of them, pass without a byte-by-byte look. Tabs
// pass here too; the exact test follows only for the lines this flags.
bool mayHoldBinary(std::string_view text) {
    std::size_t i = 0;
#if defined(__SSE2__) || defined(_M_X64)
    // As signed bytes, those above 127 are negative: one compare finds both.
    const __m128i limit = _mm_set1_epi8(32);
    for (; i + 16 <= text.size(); i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
        if (_mm_movemask_epi8(_mm_cmplt_epi8(v, limit)) != 0) return true;
    }
#endif
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, text.data() + i, 8);
        if (((w - kOnes * 32) | w) & kHigh) return true;
    }
    for (; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 32 || b >= 128) return true;
    }
    return false;
}

}  // namespace

std::string_view LineAssembler::withoutBinary(std::string_view line) {
    const auto lastBinary = std::find_if(line.rbegin(), line.rend(), isBinaryByte);
    const bool binary = lastBinary != line.rend();
    // A frame with a line feed in it leaves its rest at the front of the next line.
    const bool frameBefore = binary || afterFrame_;
    afterFrame_ = false;
    if (!frameBefore) return line;
    const std::size_t from = binary ? static_cast<std::size_t>(line.rend() - lastBinary) : 0;
    // The sentence after the frame: the first whose checksum holds, else the
    // first "$" and address (a line may carry two sentences, "$NIVXDHI,…,$NIVXDLO,…").
    std::size_t first = std::string_view::npos, chosen = std::string_view::npos;
    for (std::size_t at = line.find('$', from); at != std::string_view::npos;
         at = line.find('$', at + 1)) {
        if (!sentenceStart(line.substr(at))) continue;
        if (first == std::string_view::npos) first = at;
        if (nmeaChecksum(line.substr(at)) == Checksum::Valid) {
            chosen = at;
            break;
        }
    }
    if (chosen == std::string_view::npos) chosen = first;
    if (chosen == std::string_view::npos) {
        binarySkipped_ += line.size();
        // Only a line with binary bytes may go on into the next; one of
        // text after it is the frame's last piece.
        afterFrame_ = binary;
        return {};
    }
    binarySkipped_ += chosen;
    return line.substr(chosen);
}

bool LineAssembler::next(std::string_view& line) {
    while (true) {
        const std::size_t lf = buffer_.find('\n', start_);
        if (lf == std::string::npos) return false;
        const std::string_view raw(buffer_.data() + start_, lf + 1 - start_);
        start_ = lf + 1;
        lineArrivedMs_ = pendingArrivedMs_;
        pendingArrivedMs_ = appendArrivedMs_;
        cutting_ = false;
        line = trimLine(raw);
        // Binary bytes the trim took off the ends (NUL padding, frame tails)
        // count too; a plain "\r\n" needs no look.
        const std::size_t head = static_cast<std::size_t>(line.data() - raw.data());
        if (head > 0 || raw.size() - line.size() > 2) {
            const std::string_view ends[] = {raw.substr(0, head), raw.substr(head + line.size())};
            for (std::string_view end : ends)
                binarySkipped_ +=
                    static_cast<std::uint64_t>(std::count_if(end.begin(), end.end(), isBinaryByte));
        }
        if (afterFrame_ || mayHoldBinary(line)) line = withoutBinary(line);
        if (!line.empty()) return true;
    }
}

void LineAssembler::bound() {
    if (pending() > kMaxPending) {
        buffer_.erase(0, buffer_.size() - kKeptPending);
        start_ = 0;
        pendingArrivedMs_ = appendArrivedMs_;
        if (!cutting_) ++linesCut_;
        cutting_ = true;
    }
}

void LineAssembler::clear() {
    buffer_.clear();
    start_ = 0;
    cutting_ = false;
    afterFrame_ = false;
}

void LineAssembler::compact() {
    if (start_ == 0) return;
    buffer_.erase(0, start_);
    start_ = 0;
}

}  // namespace nivora
