# What `cmake --install` lays out, and the Debian package CPack makes of it.
set(ZUMIKKO_DATA_DIR "${CMAKE_INSTALL_DATADIR}/zumikko")

install(TARGETS zumikko RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The compilers' version notes (.comment) are of no use in a package; strip does not drop them.
if(CMAKE_OBJCOPY)
    install(CODE "execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section .comment
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zumikko\" COMMAND_ERROR_IS_FATAL ANY)")
endif()
list(TRANSFORM ZUMIKKO_SOUND_FILES PREPEND assets/ OUTPUT_VARIABLE sound_file_paths)
install(FILES ${sound_file_paths} assets/score.dat DESTINATION ${ZUMIKKO_DATA_DIR})

set(ZUMIKKO_SCREENSHOT_URL "${ZUMIKKO_HOME_PAGE}/zumikko/main-window.png")
configure_file(dist/zumikko.desktop.in ${PROJECT_BINARY_DIR}/dist/${ZUMIKKO_APP_ID}.desktop @ONLY)
configure_file(dist/zumikko.metainfo.xml.in ${PROJECT_BINARY_DIR}/dist/${ZUMIKKO_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/dist/${ZUMIKKO_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_BINARY_DIR}/dist/${ZUMIKKO_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

foreach(pixels 16 32 48 64 128 256)
    if(pixels EQUAL 32)
        set(icon assets/icon.png)
    else()
        set(icon assets/icon_${pixels}.png)
    endif()
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${pixels}x${pixels}/apps
            RENAME ${ZUMIKKO_APP_ID}.png)
endforeach()

# Debian wants its own copyright file and a compressed manual page.
install(FILES dist/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zumikko)
set(manual_page ${PROJECT_BINARY_DIR}/dist/zumikko.6.gz)
add_custom_command(OUTPUT ${manual_page}
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/dist/zumikko.6 > ${manual_page}
    DEPENDS dist/zumikko.6 VERBATIM)
add_custom_target(zumikko_manual_page ALL DEPENDS ${manual_page})
install(FILES ${manual_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
set(debian_changelog ${PROJECT_BINARY_DIR}/dist/changelog.gz)
add_custom_command(OUTPUT ${debian_changelog}
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/dist/changelog > ${debian_changelog}
    DEPENDS dist/changelog VERBATIM)
add_custom_target(zumikko_changelog ALL DEPENDS ${debian_changelog})
install(FILES ${debian_changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zumikko)

set(CPACK_PACKAGE_NAME zumikko)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillon")
set(CPACK_PACKAGE_CONTACT "Quillon <zumikko@quillon.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "typing-reaction game with a Japanese interface")
set(CPACK_PACKAGE_DESCRIPTION "A strip of capital letters scrolls through a reel window; now and then it
slows down and stops with one letter under the marker, and the player presses
that letter's key as fast as possible. Ten stops make a game, and the lowest
total reaction time is kept as the best score.")
set(CPACK_PACKAGE_HOMEPAGE_URL "${ZUMIKKO_HOME_PAGE}/")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quillon <zumikko@quillon.example.com>")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Japanese fonts for every text of the windows, Qt's own Japanese for its dialogs and buttons, and
# a General MIDI soundfont for the music. The
# Wayland presenter reaches the surface through Qt's private native interface, whose ABI holds
# only for the Qt it was built against: Debian's libqt6core6 names that version.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-ipafont-gothic | fonts-noto-cjk | fonts-vlgothic | fonts-takao-gothic, fonts-ipafont-mincho | fonts-noto-cjk | fonts-takao-mincho, timgm6mb-soundfont | sf2-soundfont-gm, qt6-translations-l10n, qt6-base-abi (= ${Qt6_VERSION})")
# Qt's Wayland platform, so that the game runs natively on a Wayland desktop (XWayland otherwise).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
