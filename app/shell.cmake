# The application shell: application object and its command line, main frame, command bar, the
# three views (collection, camera, grid) with the per-camera connection they share, the help
# window and its document; and the program zelppc.
target_sources(zelppc_app PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/zelppcapp.cpp
    ${CMAKE_CURRENT_LIST_DIR}/startoptions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mainframe.cpp
    ${CMAKE_CURRENT_LIST_DIR}/commandbar.cpp
    ${CMAKE_CURRENT_LIST_DIR}/containerview.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cameraview.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cameraconnection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/statusoverlay.cpp
    ${CMAKE_CURRENT_LIST_DIR}/picturefile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gridview.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gridtile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/griditems.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cameraeventsink.cpp
    ${CMAKE_CURRENT_LIST_DIR}/helpwindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/viewer.qrc)

add_executable(ZelPPC ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(ZelPPC PRIVATE zelppc_app)
# Beside the stream control's module, which it creates by class identifier.
set_target_properties(ZelPPC PROPERTIES OUTPUT_NAME zelppc RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
add_dependencies(ZelPPC CamImgCE)

install(TARGETS ZelPPC RUNTIME DESTINATION bin)
