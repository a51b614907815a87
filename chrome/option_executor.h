#pragma once

#include "chrome/context.h"
#include "chrome/definition.h"

namespace chrome {

// Runs what one option click does: its command lines through the shell command, one after the
// other, or its steps on one short-lived registry object (created, root set, the key opened
// with or without creating it, the steps in order, freed on every path). The result of the
// open is not looked at: a key that did not open makes the first write fail with the
// registry's error, which leaves this function and skips the remaining steps; deletes of what
// is not there fail silently.
void runOption(const Action& action, Context& context);

} // namespace chrome
