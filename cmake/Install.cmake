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
# The two programs go in as targets, so that `cmake --install --strip` (and the package) strips
# them; everything else in the bundle as it was built.
install(DIRECTORY "${MIRADEX_BUNDLE}" DESTINATION lib/miradex USE_SOURCE_PERMISSIONS
        REGEX "/Contents/(MacOS/miradex|Helpers/system_profiler)$" EXCLUDE)
install(TARGETS miradex DESTINATION lib/miradex/Miradex.app/Contents/MacOS)
install(TARGETS system_profiler DESTINATION lib/miradex/Miradex.app/Contents/Helpers)

# `miradex` and `system_profiler` on the PATH, as relative links into the bundle.
install(CODE [[
    set(miradex_bin "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
    file(MAKE_DIRECTORY "${miradex_bin}")
    foreach(miradex_command MacOS/miradex Helpers/system_profiler)
        get_filename_component(miradex_name "${miradex_command}" NAME)
        message(STATUS "Installing: ${miradex_bin}/${miradex_name}")
        file(CREATE_LINK "../lib/miradex/Miradex.app/Contents/${miradex_command}"
             "${miradex_bin}/${miradex_name}" SYMBOLIC)
        list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${miradex_bin}/${miradex_name}")
    endforeach()
]])

# The manual pages miradex(1) and system_profiler(1), written in scdoc's plain-text form in
# resources/man/ and turned into man format (and compressed, as Debian wants them) by the
# build. German: the program speaks nothing else, so they go to man1 itself, where `man` finds
# them in every locale.
find_program(MIRADEX_SCDOC scdoc)
find_program(MIRADEX_GZIP gzip)
if(MIRADEX_SCDOC AND MIRADEX_GZIP)
    set(miradex_manpages)
    foreach(page miradex system_profiler)
        set(source "${CMAKE_BINARY_DIR}/man/${page}.1.scd")
        set(page_file "${CMAKE_BINARY_DIR}/man/${page}.1")
        configure_file("${CMAKE_SOURCE_DIR}/resources/man/${page}.1.scd" "${source}" @ONLY)
        add_custom_command(
            OUTPUT "${page_file}.gz"
            COMMAND sh -c "\"$1\" < \"$2\" > \"$3\"" sh "${MIRADEX_SCDOC}" "${source}" "${page_file}"
            COMMAND "${MIRADEX_GZIP}" -9nf "${page_file}"
            DEPENDS "${source}"
            COMMENT "Generating manual page ${page}(1)"
            VERBATIM)
        list(APPEND miradex_manpages "${page_file}.gz")
    endforeach()
    add_custom_target(miradex_manpages ALL DEPENDS ${miradex_manpages})
    install(FILES ${miradex_manpages} DESTINATION share/man/man1)
else()
    message(WARNING "scdoc or gzip missing: the manual pages are not built (scripts/deps.sh "
                    "installs scdoc)")
endif()

# The local-facts script for fleets: linked into /etc/ansible/facts.d/ it hands the profiler's
# facts to every fact gathering of that machine.
install(PROGRAMS "${CMAKE_SOURCE_DIR}/resources/ansible/miradex.fact" DESTINATION share/miradex/ansible)

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

include(cmake/Package.cmake)
