# Run by cpack once the package's files are staged: writes Debian's changelog, whose entry is
# signed by the package's maintainer, and refuses a maintainer without an e-mail address, which
# Debian does not accept.
if(NOT CPACK_DEBIAN_PACKAGE_MAINTAINER MATCHES "^[^<>]+ <[^<>@ ]+@[^<>@ ]+>$")
    message(FATAL_ERROR "The Debian package needs its maintainer's name and e-mail address, not "
                        "\"${CPACK_DEBIAN_PACKAGE_MAINTAINER}\": configure with -DDOSTROJNIK_EMAIL=<address>.")
endif()
file(GLOB_RECURSE copyright "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/doc/${CPACK_PACKAGE_NAME}/copyright")
if(NOT copyright)
    message(FATAL_ERROR "No staged copyright file of ${CPACK_PACKAGE_NAME} under ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
list(GET copyright 0 copyright)
get_filename_component(documents "${copyright}" DIRECTORY)
set(DEB_PACKAGE ${CPACK_PACKAGE_NAME})
set(PROJECT_VERSION ${CPACK_PACKAGE_VERSION})
set(DEB_MAINTAINER ${CPACK_DEBIAN_PACKAGE_MAINTAINER})
configure_file(${CPACK_DOSTROJNIK_CHANGELOG} "${documents}/changelog" @ONLY)
# Debian keeps it compressed, without a time stamp.
execute_process(COMMAND gzip -9 -n -f "${documents}/changelog" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip of ${documents}/changelog failed")
endif()
