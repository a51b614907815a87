#include "sections/system/tform2.h"

#include "sections/definitions.h"

TForm2::TForm2(chrome::Context& context)
    : chrome::SectionWindow(context, sections::systemDefinition())
{
}
