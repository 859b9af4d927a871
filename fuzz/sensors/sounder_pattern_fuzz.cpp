// Echosounder lines of any family with a pattern the user typed: byte 0
// picks the family (or a name no family has), byte 1 the switches, the first
// line is the pattern and every further line is what the sounder sent.

#include <QStringList>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sensors/echosounder.h"
#include "sensors/line_assembler.h"
#include "survey/sounder_handler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nivora;
    if (size < 2) return 0;
    static const QStringList columns[] = {
        {},
        {QStringLiteral("1490"), QStringLiteral("1491.5"), QStringLiteral("1493")},
        {QStringLiteral("1500"), QStringLiteral("x"), QStringLiteral(""), QStringLiteral("1e308")},
    };
    const auto& families = echosounderFamilies();
    const std::uint8_t pick = data[0] % (families.size() + 1);
    const std::uint8_t flags = data[1];
    std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::size_t nl = rest.find('\n');
    const std::string_view pattern = rest.substr(0, nl);
    rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);

    SounderLineInputs in;
    in.family = pick < families.size() ? QString::fromLatin1(families[pick].name)
                                       : QStringLiteral(" no such sounder ");
    in.pattern = QString::fromLatin1(pattern);
    in.alertDepthText = (flags & 1) ? QStringLiteral("2,5") : QStringLiteral("2");
    in.offsetAText = (flags & 2) ? QStringLiteral("") : QStringLiteral("0.5");
    in.useProfile = (flags & 4) != 0;
    in.velocityColumn = &columns[(flags >> 3) % 3];
    in.offsets.soundVelocity = (flags & 0x20) != 0 ? 1480 : 0;

    SounderLineHandler handler;
    LineAssembler lines;
    lines.append(rest);
    std::string_view line;
    while (lines.next(line)) {
        const SounderLineResult r = handler.handle(line, in);
        if (r.sounding && !r.familyApplied) std::abort();  // a line of another family is not read
    }
    return 0;
}
