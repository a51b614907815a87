#pragma once

#include "chrome/section_window.h"

// The Performance section window.
class TForm5 : public chrome::SectionWindow {
    Q_OBJECT
public:
    explicit TForm5(chrome::Context& context);
};
