#pragma once

#include "chrome/section_window.h"

// The Internet section window.
class TForm7 : public chrome::SectionWindow {
    Q_OBJECT
public:
    explicit TForm7(chrome::Context& context);
};
