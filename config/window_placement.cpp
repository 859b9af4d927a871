#include "config/window_placement.h"

#include "core/ini_store.h"

namespace nivora {

const std::vector<IniKey<WindowPlacement>>& WindowPlacement::keys() {
    using W = WindowPlacement;
    static const std::vector<IniKey<W>> keys = {
        {nullptr, "WindowState", IniKind::Integer, &W::WindowState, "0"},
        {nullptr, "Left", IniKind::Integer, &W::Left, "0"},
        {nullptr, "Top", IniKind::Integer, &W::Top, "0"},
        {nullptr, "Width", IniKind::Integer, &W::Width, nullptr},
        {nullptr, "Height", IniKind::Integer, &W::Height, nullptr},
        {nullptr, "Visible", IniKind::Integer, &W::Visible, "0"},
    };
    return keys;
}

WindowPlacement readWindowPlacement(const IniStore& ini, const QString& section, int currentWidth,
                                    int currentHeight) {
    WindowPlacement p;
    p.Width = currentWidth;
    p.Height = currentHeight;
    loadIniKeys(ini, WindowPlacement::keys(), p, section);
    return p;
}

void writeWindowPlacement(IniStore& ini, const QString& section, const WindowPlacement& placement) {
    saveIniKeys(ini, WindowPlacement::keys(), placement, section);
}

RestoredPlacement restorePlacement(const WindowPlacement& stored, bool sizing,
                                   const QRect& screen) {
    RestoredPlacement r;
    if (stored.WindowState == WindowPlacement::kMaximized) {
        r.maximize = true;
        return r;
    }
    // Compared in 64 bits: a stored coordinate near the integer limit must not wrap.
    const auto inside = [](int v, int start, int length) {
        return static_cast<qint64>(v) >= start &&
               static_cast<qint64>(v) < static_cast<qint64>(start) + length;
    };
    r.left = inside(stored.Left, screen.x(), screen.width()) ? stored.Left : screen.x();
    r.top = inside(stored.Top, screen.y(), screen.height()) ? stored.Top : screen.y();
    if (sizing) {
        if (stored.Width > 0) r.width = stored.Width;
        if (stored.Height > 0) r.height = stored.Height;
    }
    return r;
}

}  // namespace nivora
