#pragma once

#include "chrome/section_behaviour.h"

// The section windows that have no behaviour of their own: each is the shared section behaviour
// under its design name, which the window set and the tests find it by. A window that gets
// tools of its own (edit boxes, lists, timers with handlers) leaves this file for a class of its
// own in its folder (sections/file_compatibility/tform9.h is one).

class TForm5 : public chrome::SectionBehaviour { // Performance
public:
    using SectionBehaviour::SectionBehaviour;
};

class TForm13 : public chrome::SectionBehaviour { // Search
public:
    using SectionBehaviour::SectionBehaviour;
};

class TForm18 : public chrome::SectionBehaviour { // Folders
public:
    using SectionBehaviour::SectionBehaviour;
};

class TForm26 : public chrome::SectionBehaviour { // Start bar
public:
    using SectionBehaviour::SectionBehaviour;
};

class TForm64 : public chrome::SectionBehaviour { // Crash
public:
    using SectionBehaviour::SectionBehaviour;
};
