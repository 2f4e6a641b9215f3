# About page tests: the page's logic is built in, so they do not wait on the rest of the window.
kqm_add_gtest(about_page_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/about_page_test.cpp ${CMAKE_SOURCE_DIR}/src/ui/main_window/about_page.cpp
          ${CMAKE_SOURCE_DIR}/src/ui/main_window/panel_colors.cpp
  LIBS kqm_fileinfo kqm_skin_button kqm_substitute)
if(TARGET about_page_tests)
  target_include_directories(about_page_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
endif()
if(KQM_WIN32 AND TARGET kqm_skin_button_win32)
  kqm_add_gtest(about_page_win32_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/about_page_win32_test.cpp ${CMAKE_SOURCE_DIR}/src/ui/main_window/about_page.cpp
            ${CMAKE_SOURCE_DIR}/src/ui/main_window/panel_colors.cpp
            ${CMAKE_SOURCE_DIR}/src/ui/main_window/win32/about_page_win32.cpp
    LIBS kqm_fileinfo kqm_skin_button_win32 kqm_substitute kqm_test_headless)
endif()
# The Readme.txt button opens the read-me beside the program: the build must have put it there.
if(NOT KQM_FUZZ)
  add_test(NAME AboutPageReadme.SitsBesideTheProgram
           COMMAND ${CMAKE_COMMAND} -E compare_files ${CMAKE_SOURCE_DIR}/res/readme.txt ${CMAKE_BINARY_DIR}/readme.txt)
endif()
