#pragma once

#include "chrome/section_window.h"

// The Crash section window.
class TForm64 : public chrome::SectionWindow {
    Q_OBJECT
public:
    explicit TForm64(chrome::Context& context);
};
