# Installing: one program folder (PREFIX/lib/wavora) holding the executables, the stand-in
# libraries, Plugins/ and the manual side by side, as in the build; the commands are symbolic
# links in PREFIX/bin (the programs find their folder through /proc/self/exe, which resolves
# them). The desktop entry, icons and AppStream data go to the usual places under share/.
# Included after every target exists.

include(GNUInstallDirs)

set(WAVORA_INSTALL_PROGRAM_DIR lib/wavora)

# The commands in PREFIX/bin; a program added later needs only its name here.
set(WAVORA_INSTALL_PROGRAMS wavora wavora-convert wavora-tags wavora-play wavora-vis)
# Libraries the programs load or link from their own folder.
set(WAVORA_INSTALL_LIBRARIES bass bassenc basswma basscd wmvcore)

set(WAVORA_APP_ID org.wavora.Wavora)

foreach(program ${WAVORA_INSTALL_PROGRAMS})
    if(NOT TARGET ${program})
        continue()
    endif()
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN")
    install(TARGETS ${program} RUNTIME DESTINATION ${WAVORA_INSTALL_PROGRAM_DIR})
    install(CODE "
        set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        file(MAKE_DIRECTORY \"\${bin}\")
        file(CREATE_LINK \"../${WAVORA_INSTALL_PROGRAM_DIR}/${program}\" \"\${bin}/${program}\"
             SYMBOLIC)
        message(STATUS \"Installing: \${bin}/${program} -> ../${WAVORA_INSTALL_PROGRAM_DIR}/${program}\")")
endforeach()

foreach(library ${WAVORA_INSTALL_LIBRARIES})
    if(TARGET ${library})
        install(TARGETS ${library} LIBRARY DESTINATION ${WAVORA_INSTALL_PROGRAM_DIR}
                NAMELINK_SKIP)
    endif()
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/docs/wavora.html DESTINATION ${WAVORA_INSTALL_PROGRAM_DIR})
install(DIRECTORY DESTINATION ${WAVORA_INSTALL_PROGRAM_DIR}/Plugins)
# Tells the programs that this folder is not the user's: settings, the default output folder
# and extra plug-ins then live in the user's XDG folders (root can write here, too).
file(WRITE ${CMAKE_BINARY_DIR}/installed-copy
     "This program folder is installed; settings are kept in each user's XDG folders.\n")
install(FILES ${CMAKE_BINARY_DIR}/installed-copy DESTINATION ${WAVORA_INSTALL_PROGRAM_DIR})

# Desktop integration.
install(FILES ${CMAKE_SOURCE_DIR}/data/${WAVORA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/${WAVORA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/docs/screenshot.png DESTINATION ${CMAKE_INSTALL_DATADIR}/wavora)
set(icon_svg ${CMAKE_SOURCE_DIR}/data/icons/${WAVORA_APP_ID}.svg)
install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

find_program(RSVG_CONVERT rsvg-convert)
if(RSVG_CONVERT)
    set(icon_pngs)
    foreach(size 16 24 32 48 64 128 256 512)
        set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/${WAVORA_APP_ID}.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
            COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${icon_svg}
            DEPENDS ${icon_svg}
            VERBATIM)
        list(APPEND icon_pngs ${png})
        install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    add_custom_target(wavora_icons ALL DEPENDS ${icon_pngs})
else()
    message(WARNING "rsvg-convert not found (librsvg2-bin): only the SVG icon is installed")
endif()

# The Debian package: `cpack -G DEB` in the build folder.
set(CPACK_PACKAGE_NAME wavora)
set(CPACK_PACKAGE_VENDOR "Wavora")
set(CPACK_PACKAGE_CONTACT "Wavora developers <dev@wavora.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch audio converter with a small player")
set(CPACK_PACKAGE_DESCRIPTION
    "Wavora converts lists of audio files to Ogg Vorbis, MP3, WAV or WMA, carrying their tags\nover; wavora-convert does the same from the command line.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Run as programs, so no library dependency shows them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "lame, vorbis-tools")
set(CPACK_STRIP_FILES ON)
include(CPack)
