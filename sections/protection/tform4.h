#pragma once

#include "chrome/section_behaviour.h"
#include "sections/protection/refused_programs.h"

// The Protection section window: two registry options, the way to the File compatibility
// window, and the list of programs the shell refuses to start. Creating it switches the
// refusal policy on; each entry loads itself from the registry once, shortly after.
class TForm4 : public chrome::SectionBehaviour {
public:
    TForm4(ui::Window& window, const chrome::WindowDefinition& definition, const chrome::SectionServices& services);

private:
    ui::EditBox& edit(const sections::refused_programs::Entry& entry) const;
    void FormCreate();
    void Image12Click();
    void block(const sections::refused_programs::Entry& entry);
    void unblock(const sections::refused_programs::Entry& entry);
    void load(const sections::refused_programs::Entry& entry);

    chrome::SectionServices m_services;
    // Holds the name of the policy subkey that blocking writes below.
    ui::EditBox* Edit1;
};
