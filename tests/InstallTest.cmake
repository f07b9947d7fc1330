# Installs the build under a fresh prefix holding a blank, a quote and a "$", then
# checks that the desktop finds what it needs there: the programs, the dictionaries,
# the icons, the event type and the desktop entries, and that the desktop's own tools
# accept them. Run with -DBUILD_DIR=... -DWORK_DIR=...
file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/pre fix 'o' $x")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}"
	RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
	message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

foreach(file bin/Kalimo share/locale/de/LC_MESSAGES/Kalimo.mo share/mime/packages/kalimo.xml
		share/icons/hicolor/scalable/apps/Kalimo.svg share/icons/hicolor/scalable/apps/Pendulo.svg
		share/icons/hicolor/scalable/mimetypes/text-x-Kalimo.svg share/applications/Kalimo.desktop
		bin/Pendulo bin/Pendulo.so bin/be-deskbar share/applications/Pendulo.desktop
		bin/kalimo-cli share/man/man1/kalimo-cli.1)
	if(NOT EXISTS "${prefix}/${file}")
		message(FATAL_ERROR "not installed: ${file}")
	endif()
endforeach()

file(READ "${prefix}/share/applications/Kalimo.desktop" entry)
if(NOT entry MATCHES "\nExec=\"")
	message(FATAL_ERROR "no quoted program in the entry:\n${entry}")
endif()
foreach(line "MimeType=text/x-Kalimo;" "X-Be-Signature=application/x-Event" "Icon=Kalimo")
	string(FIND "${entry}" "\n${line}\n" at)
	if(at LESS 0)
		message(FATAL_ERROR "missing \"${line}\" in the entry:\n${entry}")
	endif()
endforeach()

find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
	execute_process(COMMAND ${VALIDATE} "${prefix}/share/applications/Kalimo.desktop"
		RESULT_VARIABLE result OUTPUT_VARIABLE complaints ERROR_VARIABLE complaints)
	if(NOT result EQUAL 0)
		message(FATAL_ERROR "desktop-file-validate: ${complaints}")
	endif()
endif()

# The desktop of a user who has never run Kalimo knows the type and the program.
# xdg-mime takes a data folder with a blank apart, so this install's prefix is plain.
set(plain "${WORK_DIR}/plain")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${plain}"
	RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
if(NOT result EQUAL 0)
	message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
find_program(XDG_MIME xdg-mime)
find_program(UPDATE_MIME update-mime-database)
find_program(UPDATE_DESKTOP update-desktop-database)
set(home "${WORK_DIR}/home")
file(MAKE_DIRECTORY "${home}/.config" "${home}/.local/share")
set(environment HOME=${home} XDG_CONFIG_HOME=${home}/.config XDG_DATA_HOME=${home}/.local/share
	XDG_DATA_DIRS=${plain}/share XDG_CONFIG_DIRS=${home}/no-config --unset=XDG_CURRENT_DESKTOP
	--unset=DISPLAY --unset=DESKTOP_SESSION)
if(UPDATE_MIME AND NOT EXISTS "${plain}/share/mime/text/x-kalimo.xml")
	message(FATAL_ERROR "the installed MIME database does not hold text/x-Kalimo")
endif()
if(XDG_MIME AND UPDATE_DESKTOP)
	execute_process(COMMAND ${CMAKE_COMMAND} -E env ${environment}
		${XDG_MIME} query default text/x-Kalimo OUTPUT_VARIABLE answer OUTPUT_STRIP_TRAILING_WHITESPACE)
	if(NOT answer STREQUAL "Kalimo.desktop")
		message(FATAL_ERROR "xdg-mime names \"${answer}\" for text/x-Kalimo")
	endif()
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
