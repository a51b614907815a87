#pragma once

#include "chrome/section_window.h"

// The Folders section window.
class TForm18 : public chrome::SectionWindow {
    Q_OBJECT
public:
    explicit TForm18(chrome::Context& context);
};
