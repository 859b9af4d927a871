#include "sensors/line_assembler.h"

#include <algorithm>

#include "sensors/nmea.h"

namespace nivora {

std::string_view trimLine(std::string_view line) {
    while (!line.empty() && static_cast<unsigned char>(line.front()) <= 32)
        line.remove_prefix(1);
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= 32)
        line.remove_suffix(1);
    return line;
}

void LineAssembler::append(std::string_view chunk) {
    compact();
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
        cutting_ = false;
        line = trimLine(raw);
        // Binary bytes the trim took off the ends (NUL padding, frame tails) count too.
        const std::size_t head = static_cast<std::size_t>(line.data() - raw.data());
        const std::string_view ends[] = {raw.substr(0, head), raw.substr(head + line.size())};
        for (std::string_view end : ends)
            binarySkipped_ +=
                static_cast<std::uint64_t>(std::count_if(end.begin(), end.end(), isBinaryByte));
        line = withoutBinary(line);
        if (!line.empty()) return true;
    }
}

void LineAssembler::bound() {
    if (pending() > kMaxPending) {
        buffer_.erase(0, buffer_.size() - kKeptPending);
        start_ = 0;
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
