# The Debian package: `cpack -G DEB` in the build folder, or the `package` target. It holds
# exactly what the install rules lay out, under /usr; its dependencies come from
# dpkg-shlibdeps (package dpkg-dev): Qt 6, ICU, PCRE2's 16-bit library (libpcre2-16-0)
# and the C++ runtime.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brindle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "Brindle developers <brindle@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch file renamer with an undo log")
set(CPACK_PACKAGE_DESCRIPTION
    "Brindle renames whole folders of files in one go: pick a folder or drop
files on its window, and every item gets a new name from a fixed chain of
stages (doubled extensions, transliteration and symbol tables, seven case
conversions, find and replace, name patterns with counters, folder names
and MP3 tags, a length limit). Nothing is ever overwritten; every rename is
logged first, so Undo puts everything back.
.
brindle-cli runs the same engine from a terminal or a script.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.example.org/kelvane/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
