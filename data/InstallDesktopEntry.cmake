# Writes one desktop entry at install time, so its program path follows the prefix the
# install is run with (cmake --install --prefix ...). Set before including:
# ENTRY_ID, ENTRY_NAME, ENTRY_COMMENT, ENTRY_PROGRAM (below the prefix), ENTRY_ARGS,
# ENTRY_ICON, ENTRY_MIME_TYPES, ENTRY_CATEGORIES, ENTRY_SIGNATURE, ENTRY_DATADIR,
# ENTRY_BUILD_DIR.
if(IS_ABSOLUTE "${ENTRY_PROGRAM}")
	set(program "${ENTRY_PROGRAM}")
else()
	set(program "${CMAKE_INSTALL_PREFIX}/${ENTRY_PROGRAM}")
endif()
# The program quoted as the Exec key wants it ("\", "\"", "`", "$" escaped inside the
# quotes, "%" doubled), then "\" doubled once more for the file's string escapes.
string(REPLACE "\\" "\\\\" quoted "${program}")
string(REPLACE "\"" "\\\"" quoted "${quoted}")
string(REPLACE "`" "\\`" quoted "${quoted}")
string(REPLACE "$" "\\$" quoted "${quoted}")
string(REPLACE "%" "%%" quoted "${quoted}")
string(REPLACE "\\" "\\\\" quoted "${quoted}")
set(exec "\"${quoted}\"")
if(ENTRY_ARGS)
	string(APPEND exec " ${ENTRY_ARGS}")
endif()

set(content "[Desktop Entry]\nType=Application\nName=${ENTRY_NAME}\nComment=${ENTRY_COMMENT}\n")
string(APPEND content "Exec=${exec}\nIcon=${ENTRY_ICON}\nTerminal=false\n")
if(ENTRY_MIME_TYPES)
	string(APPEND content "MimeType=${ENTRY_MIME_TYPES}\n")
endif()
string(APPEND content "Categories=${ENTRY_CATEGORIES}\nX-Be-Signature=${ENTRY_SIGNATURE}\n")
file(WRITE "${ENTRY_BUILD_DIR}/${ENTRY_ID}" "${content}")
file(INSTALL "${ENTRY_BUILD_DIR}/${ENTRY_ID}"
	DESTINATION "${CMAKE_INSTALL_PREFIX}/${ENTRY_DATADIR}/applications")
