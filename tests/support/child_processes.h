#pragma once

#include <functional>

namespace testing_support {

// Runs `work(index)` for every index below `count`, each in a child process of its own and all
// at the same time, and waits for them. True when the work of every child returned; work that
// throws fails its child.
bool runInChildren(int count, const std::function<void(int index)>& work);

} // namespace testing_support
