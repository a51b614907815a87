#pragma once

#include "chrome/section_window.h"

// The Removal section window.
class TForm6 : public chrome::SectionWindow {
    Q_OBJECT
public:
    explicit TForm6(chrome::Context& context);
};
