# Writes the AppStream metainfo of the desktop program into METAINFO_OUTPUT_DIR and sets
# METAINFO_FILE to it. Its identifier is the web page's host name reversed with the page's path
# (https://codeberg.org/kwintor/dostrojnik gives org.codeberg.kwintor.dostrojnik), and the
# screenshot is the repository's docs/main-window.png under the web page.
# Input: METAINFO_HOMEPAGE, METAINFO_AUTHOR, METAINFO_EMAIL (may be empty), METAINFO_VERSION,
# METAINFO_OUTPUT_DIR. Included by packaging/CMakeLists.txt, or run with cmake -D... -P.
string(REGEX REPLACE "^https?://([^/]+)(/.*)?$" "\\1" host "${METAINFO_HOMEPAGE}")
string(REGEX REPLACE "^https?://[^/]+/*" "" path "${METAINFO_HOMEPAGE}")
string(REPLACE "." ";" labels "${host}")
list(REVERSE labels)
string(REPLACE "/" ";" parts "${path}")
list(APPEND labels ${parts})
list(FILTER labels EXCLUDE REGEX "^$")
list(JOIN labels "." METAINFO_ID)
string(TOLOWER "${METAINFO_ID}" METAINFO_ID)
string(REGEX REPLACE "[^a-z0-9_.]" "_" METAINFO_ID "${METAINFO_ID}")
string(REGEX REPLACE "/+$" "" METAINFO_SCREENSHOT "${METAINFO_HOMEPAGE}")
string(APPEND METAINFO_SCREENSHOT "/docs/main-window.png")
set(METAINFO_CONTACT "")
if(METAINFO_EMAIL)
    set(METAINFO_CONTACT "\n  <update_contact>${METAINFO_EMAIL}</update_contact>")
endif()
set(METAINFO_FILE ${METAINFO_OUTPUT_DIR}/${METAINFO_ID}.metainfo.xml)
configure_file(${CMAKE_CURRENT_LIST_DIR}/metainfo.xml.in ${METAINFO_FILE} @ONLY)
