#include "core/time_zone.h"

#include <QByteArray>
#include <QtGlobal>

namespace nivora {

void cacheLocalTimeZone() {
#if defined(Q_OS_LINUX)
    if (!qEnvironmentVariableIsSet("TZ")) qputenv("TZ", QByteArrayLiteral(":/etc/localtime"));
#endif
}

}  // namespace nivora
