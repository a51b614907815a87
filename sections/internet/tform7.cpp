#include "sections/internet/tform7.h"

#include "sections/definitions.h"

TForm7::TForm7(chrome::Context& context)
    : chrome::SectionWindow(context, sections::internetDefinition())
{
}
