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
