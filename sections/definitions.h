#pragma once

#include "chrome/definition.h"

// The definitions of the section windows, one per module.
namespace sections {

const chrome::WindowDefinition& systemDefinition();            // TForm2
const chrome::WindowDefinition& protectionDefinition();        // TForm4
const chrome::WindowDefinition& performanceDefinition();       // TForm5
const chrome::WindowDefinition& removalDefinition();           // TForm6
const chrome::WindowDefinition& internetDefinition();          // TForm7
const chrome::WindowDefinition& fileCompatibilityDefinition(); // TForm9
const chrome::WindowDefinition& searchDefinition();            // TForm13
const chrome::WindowDefinition& foldersDefinition();           // TForm18
const chrome::WindowDefinition& startBarDefinition();          // TForm26
const chrome::WindowDefinition& crashDefinition();             // TForm64

} // namespace sections
