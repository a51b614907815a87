#include "tests/support/fake_front_end.h"

namespace testing_support {

ui::Part* FakeWindow::part(const std::string& name)
{
    if (ui::Part* found = picture(name))
        return found;
    if (ui::Part* found = label(name))
        return found;
    return lookup(m_parts, name);
}

void FakeWindow::tickAll()
{
    for (auto& [name, timer] : m_timers)
        timer->tick();
}

} // namespace testing_support
