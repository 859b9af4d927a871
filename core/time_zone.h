#pragma once

namespace nivora {

// With no TZ set, the C library looks at /etc/localtime again on every
// local-time conversion; a survey converts times for every sensor line.
// Naming the zone file once keeps the zone and drops those lookups. Call at
// the start of main(), before any thread starts.
void cacheLocalTimeZone();

}  // namespace nivora
