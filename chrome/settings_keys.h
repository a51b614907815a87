#pragma once

// Keys of the settings file that the windows read and write.
namespace chrome::keys {

inline constexpr const char* transparency = "Przezroczystość (0 lub 1)";
inline constexpr const char* alphaValue = "Wartość przezroczystości (0 [niewidoczne] do 255 [widoczne])";
inline constexpr const char* comments = "Komentarze";
inline constexpr const char* autoSizeRead = "Autorozmiar";
inline constexpr const char* autoSizeWrite = "Autorozmiar (0 lub 1)";
// In the main window's section "Okno": option targets mark the choice the machine is set to.
inline constexpr const char* showOptionState = "Pokazuj stan opcji (0 lub 1)";

} // namespace chrome::keys
