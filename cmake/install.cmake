# Installing Tessel the way a Debian program is installed:
#   cmake --install build [--prefix /usr/local]
# puts tessel and ensaio in bin/, the recorded voice in share/tessel/voice/,
# the manual page in share/man/man1/, and a commented MIRANE.INI in
# /etc/mirane/ unless one is there already. CPack makes the .deb:
#   cpack --config build/CPackConfig.cmake -G DEB -B build/package
include(GNUInstallDirs)

install(TARGETS tessel ensaio RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_BINARY_DIR}/voice/letras ${CMAKE_BINARY_DIR}/voice/difones
        DESTINATION ${CMAKE_INSTALL_DATADIR}/tessel/voice)
install(FILES ${PROJECT_SOURCE_DIR}/docs/tessel.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The settings file: never over one the user has. In the .deb (made in
# CPack's staging folder) it is always packed, as a configuration file,
# which dpkg keeps as the user left it.
set(TESSEL_DEFAULT_INI ${PROJECT_SOURCE_DIR}/data/install/MIRANE.INI)
install(CODE "
  if(\"\${CMAKE_INSTALL_PREFIX}\" MATCHES \"_CPack_Packages\")
    file(INSTALL \"${TESSEL_DEFAULT_INI}\" DESTINATION \"\${CMAKE_INSTALL_PREFIX}/../etc/mirane\")
  elseif(EXISTS \"\$ENV{DESTDIR}/etc/mirane/MIRANE.INI\")
    message(STATUS \"Kept: \$ENV{DESTDIR}/etc/mirane/MIRANE.INI\")
  else()
    file(INSTALL \"${TESSEL_DEFAULT_INI}\" DESTINATION /etc/mirane)
  endif()")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessel)
set(CPACK_PACKAGE_VENDOR "MIRANE")
set(CPACK_PACKAGE_CONTACT "Tessel <tessel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "script interpreter of MIRANE, a talking working environment for blind users")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beside the libraries found by dpkg-shlibdeps: libsndfile, which the sound
# files layer loads at run time, and a monospace font for the window.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsndfile1, fonts-dejavu-core")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/data/install/conffiles)
include(CPack)
