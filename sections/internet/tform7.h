#pragma once

#include "chrome/section_window.h"

#include <QSet>
#include <QString>

class QLineEdit;

namespace chrome {
class FileListBox;
} // namespace chrome

// The Internet section window: the browser's options as rows, the plug-in remover, and the start
// page and download folder in two edit boxes that store what is typed at every key release.
class TForm7 : public chrome::SectionWindow {
    Q_OBJECT
public:
    TForm7(chrome::Context& context, const chrome::WindowDefinition& definition);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Image13Click();
    void Timer1Timer();
    void Timer2Timer();
    void Timer5Timer();
    void Edit1KeyUp();
    void Edit2KeyUp();
    // A loader's one tick: the string `value` of HKCU `key` into `edit`, empty when missing.
    void load(chrome::DesignTimer& loader, QLineEdit& edit, const char* key, const char* value);
    void stopRemover();

    QLineEdit* Edit1;
    QLineEdit* Edit2;
    // The remover's working list of the plug-in folder; never shown.
    chrome::FileListBox* FileListBox1;
    chrome::DesignTimer* Timer1;
    chrome::DesignTimer* Timer2;
    chrome::DesignTimer* Timer5;
    // The plug-ins this run of the remover could not delete: each is reported once, then passed
    // over, so that the remover finishes the others and stops.
    QSet<QString> m_undeletable;
};
