# One INTERFACE target carries the language standard and the warnings for every target of the project.
add_library(project_options INTERFACE)
target_compile_features(project_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(project_options INTERFACE
    $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
        -Wnon-virtual-dtor -Woverloaded-virtual>
    $<$<AND:$<CXX_COMPILER_ID:GNU,Clang>,$<BOOL:${DOSTROJNIK_WERROR}>>:-Werror>)
# Qt strings are built from explicit encodings only; core never includes Qt, so this is harmless there.
target_compile_definitions(project_options INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)
target_include_directories(project_options INTERFACE ${PROJECT_SOURCE_DIR})
