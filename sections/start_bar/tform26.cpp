#include "sections/start_bar/tform26.h"

#include "sections/definitions.h"

TForm26::TForm26(chrome::Context& context)
    : chrome::SectionWindow(context, sections::startBarDefinition())
{
}
