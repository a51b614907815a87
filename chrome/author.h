#pragma once

// Who made the program, as the windows show it.
namespace chrome::author {

inline constexpr const char* name = "Seed 341c61ba maintainers";
inline constexpr const char* web = "c-seed-341c61ba.example";
inline constexpr const char* email = "maintainers@c-seed-341c61ba.example";
// The link label in the title strip of the section windows.
inline constexpr const char* link = "c-seed-341c61ba.example | maintainers@c-seed-341c61ba.example";

} // namespace chrome::author
