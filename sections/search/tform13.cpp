#include "sections/search/tform13.h"

#include "sections/definitions.h"

TForm13::TForm13(chrome::Context& context)
    : chrome::SectionWindow(context, sections::searchDefinition())
{
}
