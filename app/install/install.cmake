# What the viewer installs beside the program: the desktop entry, its icon (the PNG sizes are
# drawn from the SVG at build time), the AppStream metainfo, the help document and the manual
# page.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(icon ${CMAKE_CURRENT_LIST_DIR}/${LUMENFOLD_APP_ID}.svg)
set(pngs)
foreach(size 48 256)
    set(folder ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size})
    add_custom_command(OUTPUT ${folder}/${LUMENFOLD_APP_ID}.png
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${folder}/${LUMENFOLD_APP_ID}.png ${icon}
        DEPENDS ${icon}
        VERBATIM)
    install(FILES ${folder}/${LUMENFOLD_APP_ID}.png DESTINATION share/icons/hicolor/${size}x${size}/apps)
    list(APPEND pngs ${folder}/${LUMENFOLD_APP_ID}.png)
endforeach()
add_custom_target(viewer_icons ALL DEPENDS ${pngs})
install(FILES ${icon} DESTINATION share/icons/hicolor/scalable/apps)

install(FILES ${CMAKE_CURRENT_LIST_DIR}/${LUMENFOLD_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/${LUMENFOLD_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/help/zelppc.htm DESTINATION share/doc/lumenfold)
lumenfold_add_manpage(install/zelppc.1)
