#include "sections/protection/tform4.h"

#include "sections/definitions.h"

TForm4::TForm4(chrome::Context& context)
    : chrome::SectionWindow(context, sections::protectionDefinition())
{
}
