# Cross build for 64-bit ARM Linux with Debian's own packages: the cross compilers of
# crossbuild-essential-arm64 and the arm64 multiarch libraries (qt6-base-dev:arm64 and the
# others that `scripts/deps.sh arm64` installs). Qt's moc and rcc are the amd64 host tools.
# Programs the build runs itself (fontgen, beepgen) and the tests run under qemu-user, without
# binfmt: CMake puts the emulator in front of every target it runs.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(MIRADEX_CROSS_TRIPLET aarch64-linux-gnu)

set(CMAKE_C_COMPILER ${MIRADEX_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${MIRADEX_CROSS_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${MIRADEX_CROSS_TRIPLET})
set(MIRADEX_DEBIAN_ARCHITECTURE arm64)

# The multiarch libraries live in /usr/lib/aarch64-linux-gnu beside the host's; only that folder
# (and the architecture-free headers) may be found, never an amd64 library.
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu)
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/${MIRADEX_CROSS_TRIPLET}/pkgconfig:/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# Qt 6 cross builds take moc, rcc and uic from a host installation of the same version.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)

# The programs run with the multiarch C library (libc6:arm64, whose loader is
# /lib/ld-linux-aarch64.so.1) and not with `-L /usr/aarch64-linux-gnu`: that folder holds the
# cross toolchain's own copy of the C library, of another Debian revision than libc6:arm64, and a
# loader of the one with the libc.so.6 of the other hangs at the first thread start.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
