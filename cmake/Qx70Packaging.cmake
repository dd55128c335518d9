# Desktop integration (menu entry, icons, software-centre metadata, manual
# page, device access rule) and the Debian package made by `cpack -G DEB`
# (scripts/package.sh).

set(QX70_DESKTOP_ID io.qx70.Qx70Config)

install(FILES packaging/${QX70_DESKTOP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/${QX70_DESKTOP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/icons/${QX70_DESKTOP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(DIRECTORY packaging/icons/hicolor/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES packaging/udev/70-qx70-config.rules DESTINATION lib/udev/rules.d)

# Manual pages and the changelog go in compressed, reproducibly (no name or
# time stamp in the gzip header).
find_program(QX70_GZIP gzip REQUIRED)
function(qx70_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND ${QX70_GZIP} -9nc ${source} > ${output}
        DEPENDS ${source} VERBATIM)
endfunction()
set(qx70_man ${PROJECT_BINARY_DIR}/packaging/qx70-config.1.gz)
set(qx70_changelog ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/packaging)
qx70_gzip(${PROJECT_SOURCE_DIR}/packaging/qx70-config.1 ${qx70_man})
qx70_gzip(${PROJECT_SOURCE_DIR}/packaging/debian/changelog ${qx70_changelog})
add_custom_target(qx70_packaging_files ALL DEPENDS ${qx70_man} ${qx70_changelog})
install(FILES ${qx70_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${qx70_changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME changelog.gz)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qx70-config)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The qx70-config developers")
set(CPACK_PACKAGE_CONTACT "The qx70-config developers <packages@qx70.io>")
# The program finds its folder from its own place, so any Release tree
# makes a package below /usr.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration utility for the Morvath QX70 keyboard")
# The extended description; CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Remaps keys, sets the lighting with a live preview, records and downloads
macros, changes device settings and keeps profiles for the Morvath QX70
wireless keyboard, the mouse behind its 2.4 GHz receiver, the mouse pad
and the USB headset. It runs without root (a udev rule gives the logged-in
user access to the devices), lives in the tray and ships a simulator of
every device (qx70-config --simulate).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://qx70.io/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Found at run time, not by the linker: the face for the Chinese texts;
# the X11 plugin comes with libqt6gui6, the native Wayland one separately.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "udev, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/debian/postinst ${PROJECT_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
