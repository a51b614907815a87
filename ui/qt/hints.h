#pragma once

class QApplication;

namespace chrome {

// The application-wide hint settings: white hints, shown 1 ms after the cursor comes to rest
// on a control whose hint is on, hidden again after 10000 ms. Installing twice changes nothing.
void installHintSettings(QApplication& application);

inline constexpr int kHintShowDelay = 1;
inline constexpr int kHintHideAfter = 10000;

} // namespace chrome
