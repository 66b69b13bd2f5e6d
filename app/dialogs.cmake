# Property sheets and dialogs of the viewer, as a library of their own so that their tests and
# the program below need nothing of the shell; and a program that shows any of them on a
# settings file, for looking at them before the main window exists.
add_library(app_dialogs STATIC
    ${CMAKE_CURRENT_LIST_DIR}/progressdlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/authorizationdlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/manualcameratypedlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/aboutdlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cameratypecheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cameratypepage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cameraitemsheet.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cameraconf.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cameraconfgeneral.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cameraconfimage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cameraconfsecurity.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cameraconffolder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/livesiteconf.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cameraconfgenerallivesite.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cameraswitchconf.cpp
    ${CMAKE_CURRENT_LIST_DIR}/folderconf.cpp)
target_include_directories(app_dialogs PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(app_dialogs PUBLIC collection_tree collection cameratype settings foundation platform_ui
    Qt6::Core Qt6::Gui Qt6::Widgets)
target_link_libraries(zelppc_app PUBLIC app_dialogs)

# The string table comes with the program: the library zelppc_app holds it for the viewer.
add_executable(zelppc_dialogs ${CMAKE_CURRENT_LIST_DIR}/dialogviewer.cpp ${CMAKE_CURRENT_LIST_DIR}/strings.cpp)
target_link_libraries(zelppc_dialogs PRIVATE app_dialogs)
