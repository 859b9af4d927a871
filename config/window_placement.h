#pragma once

// Window placement: each window keeps its state, left, top, width and
// height in an INI section named after the window. The arithmetic lives
// here; config/ui applies it to a widget.

#include <QRect>
#include <QString>
#include <optional>
#include <vector>

#include "config/ini_table.h"

namespace nivora {

class IniStore;

struct WindowPlacement {
    static constexpr int kNormal = 0;
    static constexpr int kMinimized = 1;
    static constexpr int kMaximized = 2;

    int WindowState = kNormal;
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int Visible = 0;  // open when stored

    static const std::vector<IniKey<WindowPlacement>>& keys();
};

// Reads the section; a missing Left or Top gives 0, a missing Width or
// Height the current size.
WindowPlacement readWindowPlacement(const IniStore& ini, const QString& section, int currentWidth,
                                    int currentHeight);
void writeWindowPlacement(IniStore& ini, const QString& section, const WindowPlacement& placement);

// Where a restored window goes.
struct RestoredPlacement {
    bool maximize = false;
    int left = 0;
    int top = 0;
    std::optional<int> width;  // only when sizing
    std::optional<int> height;
};

// A Left or Top outside the screen (before its start, or at or beyond its
// end) is replaced by the screen's start, so a window saved on a monitor
// that is gone comes back into view. Sizes that are not positive are not
// applied.
RestoredPlacement restorePlacement(const WindowPlacement& stored, bool sizing, const QRect& screen);

}  // namespace nivora
