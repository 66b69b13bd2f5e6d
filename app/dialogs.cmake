# Property sheets and dialogs of the viewer, as a library of their own so that their tests and
# the program below need nothing of the shell.
add_library(app_dialogs STATIC
    ${CMAKE_CURRENT_LIST_DIR}/progressdlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/authorizationdlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/manualcameratypedlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/aboutdlg.cpp)
target_include_directories(app_dialogs PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(app_dialogs PUBLIC collection_tree collection cameratype settings foundation platform_ui
    Qt6::Core Qt6::Gui Qt6::Widgets)
target_link_libraries(zelppc_app PUBLIC app_dialogs)
