#pragma once

#include "chrome/section_window.h"

// The Search section window.
class TForm13 : public chrome::SectionWindow {
    Q_OBJECT
public:
    explicit TForm13(chrome::Context& context);
};
