# One INTERFACE target carries the language standard and the warnings for every target of the project.
add_library(project_options INTERFACE)
target_compile_features(project_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(project_options INTERFACE
    $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic>
    $<$<AND:$<CXX_COMPILER_ID:GNU,Clang>,$<BOOL:${DOSTROJNIK_WERROR}>>:-Werror>)
target_include_directories(project_options INTERFACE ${PROJECT_SOURCE_DIR})
