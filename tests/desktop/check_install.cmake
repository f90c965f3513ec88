# Installs the build into a scratch prefix (twice, as a reinstall over an old one does) and checks
# the result: the bundle as built with its permissions, the command link, the desktop files, and
# the refreshed MIME cache.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${PREFIX}")
foreach(round first second)
    execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${round} install failed: ${out}${err}")
    endif()
endforeach()

set(app "${PREFIX}/lib/miradex/Miradex.app")

function(expect_same built installed)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${built}" "${installed}"
                    RESULT_VARIABLE different)
    if(different)
        message(SEND_ERROR "${installed} is missing or differs from ${built}")
    endif()
endfunction()

# Every file of the bundle, byte for byte, and the same ones executable.
file(GLOB_RECURSE bundled RELATIVE "${BUNDLE}" "${BUNDLE}/*")
foreach(name "Contents/MacOS/miradex" "Contents/Resources/sysbeep.aif")
    if(NOT name IN_LIST bundled)
        message(SEND_ERROR "the built bundle lacks ${name}")
    endif()
endforeach()
foreach(name ${bundled})
    expect_same("${BUNDLE}/${name}" "${app}/${name}")
endforeach()
function(executables dir out)
    execute_process(COMMAND find . -type f -perm -u+x WORKING_DIRECTORY "${dir}"
                    OUTPUT_VARIABLE found)
    string(STRIP "${found}" found)
    string(REPLACE "\n" ";" found "${found}")
    list(SORT found)
    set(${out} "${found}" PARENT_SCOPE)
endfunction()
executables("${BUNDLE}" built_executables)
executables("${app}" installed_executables)
if(NOT built_executables STREQUAL installed_executables)
    message(SEND_ERROR "executables differ: built ${built_executables}, "
                       "installed ${installed_executables}")
endif()

# The commands are relative links, so the tree can move as a whole (DESTDIR, packaging).
foreach(link MacOS/miradex Helpers/system_profiler)
    get_filename_component(name "${link}" NAME)
    set(command "${PREFIX}/bin/${name}")
    if(NOT IS_SYMLINK "${command}")
        message(FATAL_ERROR "${command} is not a symbolic link")
    endif()
    file(READ_SYMLINK "${command}" target)
    if(NOT target STREQUAL "../lib/miradex/Miradex.app/Contents/${link}")
        message(SEND_ERROR "${command} points to ${target}")
    endif()
    if(MANPAGES AND NOT EXISTS "${PREFIX}/share/man/man1/${name}.1.gz")
        message(SEND_ERROR "the manual page ${name}(1) is not installed")
    endif()
endforeach()
set(command "${PREFIX}/bin/miradex")
separate_arguments(emulator UNIX_COMMAND "${EMULATOR}") # a cross build's emulator, else nothing
execute_process(COMMAND ${emulator} "${command}" --version RESULT_VARIABLE result OUTPUT_VARIABLE version
                ERROR_VARIABLE err)
if(NOT result EQUAL 0 OR NOT version MATCHES "^Miradex ")
    message(SEND_ERROR "${command} --version gave ${result}: ${version}${err}")
endif()

set(id "io.miradex.miradex")
expect_same("${SOURCE}/${id}.desktop" "${PREFIX}/share/applications/${id}.desktop")
expect_same("${SOURCE}/${id}.svg" "${PREFIX}/share/icons/hicolor/scalable/apps/${id}.svg")
expect_same("${SOURCE}/${id}.metainfo.xml" "${PREFIX}/share/metainfo/${id}.metainfo.xml")
expect_same("${SOURCE}/${id}.xml" "${PREFIX}/share/mime/packages/${id}.xml")

# Without DESTDIR the install refreshes the prefix's MIME cache where the tool exists.
find_program(update_mime update-mime-database)
if(update_mime)
    file(STRINGS "${PREFIX}/share/mime/globs2" globs REGEX "mirdx")
    if(NOT globs STREQUAL "50:application/x-miradex-report:*.mirdx")
        message(SEND_ERROR "the MIME cache of the prefix does not know *.mirdx: ${globs}")
    endif()
endif()

# The installed tree as a software centre sees it: metainfo, its launchable desktop entry, icon.
if(APPSTREAMCLI)
    execute_process(COMMAND "${APPSTREAMCLI}" validate-tree --no-net "${PREFIX}"
                    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT result EQUAL 0)
        message(SEND_ERROR "appstreamcli validate-tree: ${out}${err}")
    endif()
endif()
