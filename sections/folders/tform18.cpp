#include "sections/folders/tform18.h"

#include "sections/definitions.h"

TForm18::TForm18(chrome::Context& context)
    : chrome::SectionWindow(context, sections::foldersDefinition())
{
}
