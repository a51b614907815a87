# The Windows build of core: the Win32 implementations instead of the POSIX ones, without the
# emulated machine and its Wine hives (on Windows the machine and its registry are the real ones).
list(FILTER CORE_SOURCES EXCLUDE REGEX "/posix_[^/]*$|/core/machine/|/core/restore/|/wine_registry\\.cpp$|/wine_server\\.cpp$|/live_prefix_registry\\.cpp$")
list(FILTER CORE_HEADERS EXCLUDE REGEX "/core/machine/|/core/restore/|/wine_registry\\.h$|/wine_server\\.h$|/live_prefix_registry\\.h$")
# The POSIX names that core's shared file code uses, given Windows meanings.
target_include_directories(project_options SYSTEM BEFORE INTERFACE ${CMAKE_CURRENT_SOURCE_DIR}/platform/win32/compat)
# Files larger than 2 GB have their size in struct stat; Unicode is the only character set.
target_compile_definitions(project_options INTERFACE _FILE_OFFSET_BITS=64 UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
