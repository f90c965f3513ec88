# The Debian package: `cmake --build build --target package` runs CPack's DEB generator over
# what `cmake --install` lays out under /usr, stripped, and leaves miradex_<version>_<arch>.deb
# in the build folder. Its library dependencies are computed by dpkg-shlibdeps from the two
# programs; what the programs load or run by name is added here: Qt's platform plugins (the
# windows, and the offscreen platform of --batch), and as recommendations curl (the two network
# lookups) and pci.ids (the names of PCI devices). The MIME and desktop caches are refreshed by
# the triggers of shared-mime-info and desktop-file-utils, so the package has no scripts.

# Release entries kept by hand must name the version being packed.
file(STRINGS "${CMAKE_SOURCE_DIR}/resources/debian/changelog" miradex_changelog_top LIMIT_COUNT 1)
file(READ "${MIRADEX_DESKTOP_FILES}/${MIRADEX_DESKTOP_ID}.metainfo.xml" miradex_metainfo)
if(NOT miradex_changelog_top MATCHES "^miradex \\(${PROJECT_VERSION}\\) " OR
   NOT miradex_metainfo MATCHES "<release version=\"${PROJECT_VERSION}\"")
    message(FATAL_ERROR "resources/debian/changelog and the AppStream <releases> need an entry "
                        "for version ${PROJECT_VERSION}")
endif()

# The package's documents: the copyright file and the changelog, compressed as Debian wants it.
set(miradex_changelog "${CMAKE_BINARY_DIR}/debian/changelog.gz")
add_custom_command(
    OUTPUT "${miradex_changelog}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/debian"
    COMMAND sh -c "gzip -9nc < \"$1\" > \"$2\"" sh
            "${CMAKE_SOURCE_DIR}/resources/debian/changelog" "${miradex_changelog}"
    DEPENDS "${CMAKE_SOURCE_DIR}/resources/debian/changelog"
    COMMENT "Compressing the Debian changelog"
    VERBATIM)
add_custom_target(miradex_changelog ALL DEPENDS "${miradex_changelog}")
install(FILES "${CMAKE_SOURCE_DIR}/resources/debian/copyright" "${miradex_changelog}"
        DESTINATION share/doc/miradex)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME miradex)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "Miradex-Entwickler <entwickler@miradex.io>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "hardware report on a retro character screen")
set(CPACK_PACKAGE_DESCRIPTION
    "Miradex examines the computer it runs on and shows a German report on its\n"
    "hardware: model, processor, cores, caches, memory, firmware, interfaces,\n"
    "graphics, display, network and system version, together with a single-core\n"
    "and multi-core floating-point benchmark, on a character screen in the\n"
    "manner of early home computers. Reports can be saved and opened again.\n"
    "\n"
    "The package also holds the system_profiler command, which prints the\n"
    "hardware facts that Linux tells without root as text or JSON.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# CPack names the machine's own architecture; a cross build's toolchain file names its own.
if(CMAKE_CROSSCOMPILING AND MIRADEX_DEBIAN_ARCHITECTURE)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE "${MIRADEX_DEBIAN_ARCHITECTURE}")
endif()
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "curl, pci.ids")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
