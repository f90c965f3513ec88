# Installing Miradex: the bundle goes to lib/miradex/Miradex.app as it was built, a `miradex`
# command in bin/ links to the bundle's program (which finds its bundle from its own real path,
# so the link works), and the desktop entry, icon, AppStream metadata and MIME type go where
# desktops look for them.
set(MIRADEX_DESKTOP_FILES "${CMAKE_SOURCE_DIR}/resources/linux")
set(MIRADEX_DESKTOP_ID "io.miradex.miradex")

# Installing before the program is built would leave a command that points nowhere.
string(CONFIGURE [[
    if(NOT EXISTS "@MIRADEX_BUNDLE_MACOS@/miradex")
        message(FATAL_ERROR "Miradex is not built yet: @MIRADEX_BUNDLE_MACOS@/miradex is missing")
    endif()
]] miradex_check_built @ONLY)
install(CODE "${miradex_check_built}")
install(DIRECTORY "${MIRADEX_BUNDLE}" DESTINATION lib/miradex USE_SOURCE_PERMISSIONS)

install(CODE [[
    set(miradex_bin "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
    file(MAKE_DIRECTORY "${miradex_bin}")
    message(STATUS "Installing: ${miradex_bin}/miradex")
    file(CREATE_LINK "../lib/miradex/Miradex.app/Contents/MacOS/miradex" "${miradex_bin}/miradex"
         SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${miradex_bin}/miradex")
]])

install(FILES "${MIRADEX_DESKTOP_FILES}/${MIRADEX_DESKTOP_ID}.desktop"
        DESTINATION share/applications)
install(FILES "${MIRADEX_DESKTOP_FILES}/${MIRADEX_DESKTOP_ID}.svg"
        DESTINATION share/icons/hicolor/scalable/apps)
install(FILES "${MIRADEX_DESKTOP_FILES}/${MIRADEX_DESKTOP_ID}.metainfo.xml"
        DESTINATION share/metainfo)
install(FILES "${MIRADEX_DESKTOP_FILES}/${MIRADEX_DESKTOP_ID}.xml" DESTINATION share/mime/packages)

# A direct install (no DESTDIR, as packaging uses) refreshes the MIME and desktop caches of the
# prefix, so that .mirdx files open with Miradex at once. Missing tools are no error.
install(CODE [[
    if("$ENV{DESTDIR}" STREQUAL "")
        find_program(MIRADEX_UPDATE_MIME update-mime-database)
        find_program(MIRADEX_UPDATE_DESKTOP update-desktop-database)
        if(MIRADEX_UPDATE_MIME)
            execute_process(COMMAND "${MIRADEX_UPDATE_MIME}" "${CMAKE_INSTALL_PREFIX}/share/mime"
                            OUTPUT_QUIET ERROR_QUIET)
        endif()
        if(MIRADEX_UPDATE_DESKTOP)
            execute_process(COMMAND "${MIRADEX_UPDATE_DESKTOP}" -q
                                    "${CMAKE_INSTALL_PREFIX}/share/applications"
                            OUTPUT_QUIET ERROR_QUIET)
        endif()
    endif()
]])
