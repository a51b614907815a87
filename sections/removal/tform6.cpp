#include "sections/removal/tform6.h"

#include "sections/definitions.h"

TForm6::TForm6(chrome::Context& context)
    : chrome::SectionWindow(context, sections::removalDefinition())
{
}
