# The baseline of a new machine (registry hives and sample wallpapers) is compiled into core,
# so the program needs no data files beside it.
set(BASELINE_SOURCE_DIR ${PROJECT_SOURCE_DIR}/resources/baseline)
file(GLOB BASELINE_FILES CONFIGURE_DEPENDS ${BASELINE_SOURCE_DIR}/*.reg ${BASELINE_SOURCE_DIR}/wallpapers/*.jpg)
set(BASELINE_GENERATED ${CMAKE_CURRENT_BINARY_DIR}/baseline_files.cpp)
add_custom_command(
    OUTPUT ${BASELINE_GENERATED}
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${BASELINE_SOURCE_DIR} -DOUTPUT=${BASELINE_GENERATED}
            -P ${CMAKE_CURRENT_LIST_DIR}/embed_resources.cmake
    DEPENDS ${BASELINE_FILES} ${CMAKE_CURRENT_LIST_DIR}/embed_resources.cmake
    COMMENT "Embedding the baseline of a new machine"
    VERBATIM)
target_sources(core PRIVATE ${BASELINE_GENERATED})
