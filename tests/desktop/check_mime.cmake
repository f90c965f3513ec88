# Builds a MIME database from the package alone and checks what it says about report files:
# update-mime-database must accept the package without a word, map *.mirdx to the type, know it
# as a kind of plain text, and carry the German description.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/packages")
file(COPY "${PACKAGE}" DESTINATION "${WORK}/packages")
# The tool adds a note when the database lies outside the search path; make it part of the path.
get_filename_component(data_dir "${WORK}" DIRECTORY)
set(ENV{XDG_DATA_DIRS} "${data_dir}")
execute_process(COMMAND "${TOOL}" "${WORK}" RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0 OR NOT errors STREQUAL "")
    message(FATAL_ERROR "update-mime-database refused the package (${result}): ${errors}")
endif()

function(expect_line file line)
    file(STRINGS "${WORK}/${file}" lines)
    if(NOT line IN_LIST lines)
        message(SEND_ERROR "${file} lacks \"${line}\"; it holds: ${lines}")
    endif()
endfunction()

expect_line(globs2 "50:application/x-miradex-report:*.mirdx")
expect_line(subclasses "application/x-miradex-report text/plain")
file(READ "${WORK}/application/x-miradex-report.xml" type)
if(NOT type MATCHES "<comment xml:lang=\"de\">Miradex-Hardware-Bericht</comment>")
    message(SEND_ERROR "no German description in: ${type}")
endif()
