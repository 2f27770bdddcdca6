# Installing and the Debian package (`make package`, CPack).
#
# Installed, the programs sit in <prefix>/bin and the files they look for beside themselves (brand
# file, LED font, manuals) in <prefix>/share/zex-toolkit: the layout ResourceFolder knows
# (src/store/ResourceFolder.h, InstalledRelativePath), so keep the two in step.
set(ZEX_INSTALL_BIN bin)
set(ZEX_INSTALL_RESOURCES share/zex-toolkit)
set(ZEX_INSTALL_DOC share/doc/zex-toolkit)

install(TARGETS zex-toolkit zexctl zex-sim RUNTIME DESTINATION ${ZEX_INSTALL_BIN})
install(FILES ${ZEX_BIN_DIR}/default.qkb ${ZEX_MANUAL_PDFS} DESTINATION ${ZEX_INSTALL_RESOURCES})
if(EXISTS ${ZEX_LED_FONT_SOURCE})
    install(FILES ${ZEX_BIN_DIR}/QK-LED.TTF DESTINATION ${ZEX_INSTALL_RESOURCES})
    if(EXISTS /usr/share/doc/fonts-dseg/copyright)
        install(FILES /usr/share/doc/fonts-dseg/copyright DESTINATION ${ZEX_INSTALL_DOC}
                RENAME QK-LED.TTF.copyright)
    endif()
endif()
install(FILES resources/desktop/zex-toolkit.desktop DESTINATION share/applications)
install(FILES resources/icons/zex-toolkit.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES resources/copyright DESTINATION ${ZEX_INSTALL_DOC})
install(FILES src/controls/glyphs/LICENSE DESTINATION ${ZEX_INSTALL_DOC}
        RENAME bootstrap-icons.LICENSE)

# Manual pages, compressed as Debian keeps them (-n: no time stamp, so a rebuild is identical).
find_program(ZEX_GZIP gzip REQUIRED)
set(zex_man_pages)
foreach(page zexctl.1 zex-sim.1)
    set(source ${CMAKE_SOURCE_DIR}/resources/man/${page})
    set(compressed ${CMAKE_BINARY_DIR}/man/${page}.gz)
    add_custom_command(
        OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${ZEX_GZIP} -9 -n -c ${source} > ${compressed}
        DEPENDS ${source}
        COMMENT "Compressing the manual page ${page}")
    list(APPEND zex_man_pages ${compressed})
endforeach()
add_custom_target(manpages ALL DEPENDS ${zex_man_pages})
install(FILES ${zex_man_pages} DESTINATION share/man/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zex-toolkit)
set(CPACK_PACKAGE_VENDOR "ZEX Toolkit")
set(CPACK_PACKAGE_CONTACT "ZEX Toolkit maintainers <zex-toolkit@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure, check and calibrate ZEX load-cell display modules")
set(CPACK_PACKAGE_DESCRIPTION
    "ZEX Toolkit is the desktop tool with which a technician configures, checks and
calibrates one ZEX load-cell display module at a time, over a serial bus
(Zarnbus 2, RS-485 or RS-232) or through an R58 USB radio base station.

The package holds the program (zex-toolkit), the command-line tool zexctl and
the module simulator zex-sim, with their manuals.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# The Qt libraries the programs link, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The face the program's texts are designed in; without it a plain sans stands in.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-paratype")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
