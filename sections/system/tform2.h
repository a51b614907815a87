#pragma once

#include "chrome/section_window.h"

// The System section window.
class TForm2 : public chrome::SectionWindow {
    Q_OBJECT
public:
    explicit TForm2(chrome::Context& context);
};
