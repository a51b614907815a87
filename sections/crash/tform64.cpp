#include "sections/crash/tform64.h"

#include "sections/definitions.h"

TForm64::TForm64(chrome::Context& context)
    : chrome::SectionWindow(context, sections::crashDefinition())
{
}
