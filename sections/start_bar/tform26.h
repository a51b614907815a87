#pragma once

#include "chrome/section_window.h"

// The Start bar section window.
class TForm26 : public chrome::SectionWindow {
    Q_OBJECT
public:
    explicit TForm26(chrome::Context& context);
};
