#pragma once

#include "chrome/section_window.h"

// The Protection section window.
class TForm4 : public chrome::SectionWindow {
    Q_OBJECT
public:
    explicit TForm4(chrome::Context& context);
};
