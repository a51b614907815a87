#pragma once

namespace chrome {

// Lets assistive technology see the skinned windows as windows and their click targets (see
// makeTarget()) as push buttons that it can press. Their names and descriptions are the
// widgets' accessible names and descriptions, which the windows take from their definitions.
// Installing it again does nothing.
void installAccessibility();

} // namespace chrome
