# One INTERFACE target carries the language standard and the warnings for every target of the project.
add_library(project_options INTERFACE)
target_compile_features(project_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(project_options INTERFACE
    $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
        -Wnon-virtual-dtor -Woverloaded-virtual>
    $<$<AND:$<CXX_COMPILER_ID:GNU,Clang>,$<BOOL:${DOSTROJNIK_WERROR}>>:-Werror>)
# A sanitized build stops at the first error of either sanitizer; frame pointers keep its stacks whole.
if(DOSTROJNIK_SANITIZE)
    set(sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_compile_options(project_options INTERFACE $<$<CXX_COMPILER_ID:GNU,Clang>:${sanitize_flags}>)
    target_link_options(project_options INTERFACE $<$<CXX_COMPILER_ID:GNU,Clang>:${sanitize_flags}>)
    # GCC's instrumentation makes -Wmaybe-uninitialized fire on library code (std::regex's
    # std::function members); the build without sanitizers keeps that warning.
    target_compile_options(project_options INTERFACE $<$<CXX_COMPILER_ID:GNU>:-Wno-maybe-uninitialized>)
endif()
# Qt strings are built from explicit encodings only; core never includes Qt, so this is harmless there.
target_compile_definitions(project_options INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)
target_include_directories(project_options INTERFACE ${PROJECT_SOURCE_DIR})
# Optimised builds carry Debian's hardening (stack protector, _FORTIFY_SOURCE, format checks,
# RELRO with immediate binding, position-independent executables), as dpkg-buildflags gives it
# where the machine has it. The sanitizer and fuzzing builds instrument the code their own way,
# and the Windows build is made for another linker.
set(optimised_build $<CONFIG:Release,RelWithDebInfo,MinSizeRel>)
if(NOT DOSTROJNIK_SANITIZE AND NOT DOSTROJNIK_FUZZ AND NOT WIN32)
    find_program(DPKG_BUILDFLAGS dpkg-buildflags)
    set(hardening_compile -fstack-protector-strong -Wformat -Werror=format-security -D_FORTIFY_SOURCE=2)
    set(hardening_link -Wl,-z,relro -Wl,-z,now)
    if(DPKG_BUILDFLAGS)
        set(hardening_compile)
        set(hardening_link)
        foreach(kind CXXFLAGS CPPFLAGS LDFLAGS)
            execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                                    ${DPKG_BUILDFLAGS} --get ${kind}
                            OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
            separate_arguments(flags UNIX_COMMAND "${flags}")
            # Only the hardening: the build type chooses optimisation and debug information, and
            # a path of the build folder would keep the compiler cache from sharing entries.
            list(FILTER flags EXCLUDE REGEX "^-g|^-O|-prefix-map=")
            if(kind STREQUAL LDFLAGS)
                list(APPEND hardening_link ${flags})
            else()
                list(APPEND hardening_compile ${flags})
            endif()
        endforeach()
    endif()
    target_compile_options(project_options INTERFACE "$<${optimised_build}:${hardening_compile}>")
    target_link_options(project_options INTERFACE "$<${optimised_build}:${hardening_link}>")
    set_target_properties(project_options PROPERTIES INTERFACE_POSITION_INDEPENDENT_CODE ON)
    include(CheckPIESupported)
    check_pie_supported()
endif()
