#pragma once

#include "ui/parts.h"

#include <exception>
#include <string>

namespace chrome {

using ErrorReporter = ui::ErrorReporter;
using MessageBoxes = ui::MessageBoxes;

// The text of the error box: the message, with "." appended when it is not empty and does
// not end in "." already.
std::string errorBoxText(const std::string& message);

// core::Error shows its message; other kinds show an empty text.
void reportException(ErrorReporter& errors, const std::exception* e) noexcept;

// Runs one of our handlers. Nothing may unwind through the front end's frames, so whatever it
// throws is handed to the reporter here: core::Error with its message, anything else with an
// empty text.
template <class Handler>
void guarded(ErrorReporter& errors, Handler&& handler) noexcept
{
    try {
        handler();
    } catch (const std::exception& e) {
        reportException(errors, &e);
    } catch (...) {
        reportException(errors, nullptr);
    }
}

} // namespace chrome
