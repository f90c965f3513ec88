# A cross build runs its own programs through CMAKE_CROSSCOMPILING_EMULATOR. CMake does that by
# itself for targets used as commands; programs started another way (by a test program, a shell
# script, or the program under test starting its bundled profiler) need the emulator named:
#   MIRADEX_EMULATOR_WORDS     the emulator and its options as one line ("" natively)
#   MIRADEX_EMULATED_HELPERS   a folder with a `system_profiler` that runs the bundle's own under
#                              the emulator ("" natively), for MIRADEX_COMMAND_PATH
set(MIRADEX_EMULATOR_WORDS "")
set(MIRADEX_EMULATED_HELPERS "")
if(CMAKE_CROSSCOMPILING AND CMAKE_CROSSCOMPILING_EMULATOR)
    list(JOIN CMAKE_CROSSCOMPILING_EMULATOR " " MIRADEX_EMULATOR_WORDS)
    set(MIRADEX_EMULATED_HELPERS "${CMAKE_BINARY_DIR}/emulated-helpers")
    file(CONFIGURE OUTPUT "${MIRADEX_EMULATED_HELPERS}/system_profiler" CONTENT [[
#!/bin/sh
exec @MIRADEX_EMULATOR_WORDS@ "@MIRADEX_BUNDLE_HELPERS@/system_profiler" "$@"
]] @ONLY)
    file(CHMOD "${MIRADEX_EMULATED_HELPERS}/system_profiler"
         PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                     WORLD_READ WORLD_EXECUTE)
endif()
