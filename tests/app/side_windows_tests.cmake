# The real-time data window and the remote thrust panel on the offscreen
# platform, over a session in virtual time; the panel's commands go out
# through a real pseudo-terminal.
nivora_add_gtest(side_windows_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/realtime_window_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/joystick_window_test.cpp
  LIBS nivora_side_windows
  GUI)
if(UNIX AND NOT APPLE)
  target_link_libraries(side_windows_tests PRIVATE util)  # openpty
endif()
