#pragma once

// Files are saved whole through a temporary beside them ("name.XXXXXX")
// that is renamed over the file when it is complete. A save cut off (the
// program killed, the power gone) leaves that temporary behind; the next
// save of the same file removes it, so that they never pile up.

#include <QString>

namespace nivora {

// Removes the temporaries of earlier saves of `path` that never finished.
void removeInterruptedSaves(const QString& path);
// The same for every file of `folder` whose name `nameFilter` matches
// ("*.nwl"): files saved once each under a new name.
void removeInterruptedSavesIn(const QString& folder, const QString& nameFilter);
// "name.XXXXXX": the temporary of an unfinished save of "name".
bool isInterruptedSave(const QString& fileName);

}  // namespace nivora
