#include "sections/performance/tform5.h"

#include "sections/definitions.h"

TForm5::TForm5(chrome::Context& context)
    : chrome::SectionWindow(context, sections::performanceDefinition())
{
}
