#pragma once

#include "ui/qt/skinned_window.h"

#include <vector>

class NameEntry;
class QPushButton;

namespace app {
class WindowSet;
}

// The main window: the section menu, the information bar, the user's name and the first-run
// panel. Closing it writes its records to the settings file and ends the program.
class TForm1 : public chrome::SkinnedWindow {
    Q_OBJECT
public:
    TForm1(chrome::Context& context, const chrome::WindowDefinition& definition, app::WindowSet& windows);

    bool autoSize() const { return m_autoSize; }

    // The information refresh, every 100 ms: date and time, free space on C:, resolution.
    void Timer37Timer();

signals:
    // The main window has closed: the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    // The close target asks whether to restart the computer instead of closing.
    void closeClicked() override;

private:
    void readAppearance();
    void buildFirstRunControls();
    void FormCreate();
    void openSection(const std::string& windowClass);
    void Button2Click();
    void Button3Click();
    void showFirstRunPanel(bool shown);

    app::WindowSet& m_windows;
    bool m_autoSize = false;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    NameEntry* Memo1 = nullptr;
    // The labels that the refresh writes ten times a second, found once.
    chrome::SkinLabel* m_date = nullptr;
    chrome::SkinLabel* m_freeSpace = nullptr;
    chrome::SkinLabel* m_resolution = nullptr;
    chrome::SkinLabel* m_height = nullptr;
    chrome::SkinLabel* m_width = nullptr;
};
