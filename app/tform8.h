#pragma once

#include "ui/qt/skinned_window.h"

namespace app {
class WindowSet;
}

// The About window: product title, version, last update, the user's name and the author.
class TForm8 : public chrome::SkinnedWindow {
    Q_OBJECT
public:
    TForm8(chrome::Context& context, const chrome::WindowDefinition& definition, app::WindowSet& windows);

private:
    void Timer1Timer();

    app::WindowSet& m_windows;
};
