#pragma once

// The English caption table: (window, control, text) in the order applied.
// "English" rewrites every visible caption of every window from it; the
// texts are plain captions, so applying it twice gives what once gives.

#include <QString>
#include <vector>

class QObject;
class QWidget;

namespace nivora {

struct CaptionEntry {
    const char* window;   // the window's name (its placement section)
    const char* control;  // the control's name; null for the window's own caption
    const char* text;
};

const std::vector<CaptionEntry>& captionTable();

// Applies the table to the program's windows as they exist now; entries of
// windows that are not there are passed over. Returns the entries applied.
int applyCaptionTable();
// The control an entry names in `window`, or null.
QObject* captionTarget(QWidget& window, const CaptionEntry& entry);
// The caption a control shows now (what an entry would set).
QString captionOf(const QObject& control);

}  // namespace nivora
