#pragma once

#include "chrome/section_window.h"

// The section windows that have no behaviour of their own: each is the shared section window
// under its design name, which the window set and the tests find it by. A window that gets
// tools of its own (edit boxes, lists, timers with handlers) leaves this file for a class of its
// own in its folder (sections/file_compatibility/tform9.h is one).

class TForm5 : public chrome::SectionWindow { // Performance
    Q_OBJECT
public:
    using SectionWindow::SectionWindow;
};

class TForm13 : public chrome::SectionWindow { // Search
    Q_OBJECT
public:
    using SectionWindow::SectionWindow;
};

class TForm18 : public chrome::SectionWindow { // Folders
    Q_OBJECT
public:
    using SectionWindow::SectionWindow;
};

class TForm26 : public chrome::SectionWindow { // Start bar
    Q_OBJECT
public:
    using SectionWindow::SectionWindow;
};

class TForm64 : public chrome::SectionWindow { // Crash
    Q_OBJECT
public:
    using SectionWindow::SectionWindow;
};
