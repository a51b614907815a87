#include "tests/support/fake_front_end.h"

#include <gtest/gtest.h>

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

bool ScriptedMessageBoxes::askYesNo(const std::string& title, const std::string& text)
{
    questions.push_back({title, text});
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return false;
    }
    const bool answer = answers.front();
    answers.erase(answers.begin());
    return answer;
}

} // namespace testing_support
