#pragma once

#include "chrome/skinned_window.h"

namespace app {
class WindowSet;
}

// The main window: the section menu, the information bar and the user's name. Closing it
// writes its records to the settings file and ends the program.
class TForm1 : public chrome::SkinnedWindow {
    Q_OBJECT
public:
    TForm1(chrome::Context& context, app::WindowSet& windows);

    bool autoSize() const { return m_autoSize; }

signals:
    // The main window has closed: the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    // The close target asks whether to restart the computer instead of closing.
    void closeClicked() override;

private:
    void readAppearance();
    void FormCreate();
    void openSection(const std::string& windowClass);

    app::WindowSet& m_windows;
    bool m_autoSize = false;
};
