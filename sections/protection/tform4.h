#pragma once

#include "chrome/section_window.h"
#include "sections/protection/refused_programs.h"

class QLineEdit;

// The Protection section window: two registry options, the way to the File compatibility
// window, and the list of programs the shell refuses to start. Creating it switches the
// refusal policy on; each entry loads itself from the registry once, shortly after.
class TForm4 : public chrome::SectionWindow {
    Q_OBJECT
public:
    TForm4(chrome::Context& context, const chrome::WindowDefinition& definition);

private:
    QLineEdit* edit(const sections::refused_programs::Entry& entry) const;
    void FormCreate();
    void Image12Click();
    void block(const sections::refused_programs::Entry& entry);
    void unblock(const sections::refused_programs::Entry& entry);
    void load(const sections::refused_programs::Entry& entry);

    // Holds the name of the policy subkey that blocking writes below.
    QLineEdit* Edit1;
};
