#include "sensors/line_assembler.h"

namespace nivora {

std::string_view trimLine(std::string_view line) {
    while (!line.empty() && static_cast<unsigned char>(line.front()) <= 32)
        line.remove_prefix(1);
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= 32)
        line.remove_suffix(1);
    return line;
}

void LineAssembler::append(std::string_view chunk) {
    const std::size_t nul = chunk.find('\0');
    if (nul != std::string_view::npos) chunk = chunk.substr(0, nul);
    compact();
    buffer_.append(chunk);
}

bool LineAssembler::next(std::string_view& line) {
    while (true) {
        const std::size_t lf = buffer_.find('\n', start_);
        if (lf == std::string::npos) return false;
        const std::string_view raw(buffer_.data() + start_, lf + 1 - start_);
        start_ = lf + 1;
        line = trimLine(raw);
        if (!line.empty()) return true;
    }
}

void LineAssembler::bound() {
    if (pending() > kMaxPending) {
        buffer_.erase(0, buffer_.size() - kKeptPending);
        start_ = 0;
    }
}

void LineAssembler::clear() {
    buffer_.clear();
    start_ = 0;
}

void LineAssembler::compact() {
    if (start_ == 0) return;
    buffer_.erase(0, start_);
    start_ = 0;
}

}  // namespace nivora
