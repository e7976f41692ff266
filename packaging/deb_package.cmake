# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package of everything `cmake --install` puts in place, under /usr, made by
# `cpack -G DEB` (scripts/package). Its dependencies are read off the binaries by dpkg-shlibdeps.
set(PLOVER_PACKAGE_MAINTAINER "plover30p maintainers <maintainers@plover30p.invalid>"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "${PLOVER_PACKAGE_MAINTAINER}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PLOVER_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The maintainer scripts make the i2c group with addgroup; plover's dialogs are laid out for a
# face with Arial's metrics.
set(CPACK_DEBIAN_PACKAGE_DEPENDS adduser)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation)
# The long description; the summary line above it is the project's description.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "30p (console: a menu and batch operations) and plover (windowed) write, read back and\n"
  "verify the 128-byte serial configuration EEPROM of the LX5030P Ethernet switch over its\n"
  "two-wire bus, driven from a parallel port, an I2C adapter, a CH341A or FTDI USB\n"
  "programmer, or a virtual board. The udev rules give the parallel ports to the lp group,\n"
  "the I2C adapters to the i2c group and the USB programmers to plugdev.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/postinst ${CMAKE_CURRENT_SOURCE_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
