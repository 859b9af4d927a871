# The survey's side windows: the real-time data window and the remote thrust
# panel. Their toolbar draws with the program's icon set.
add_library(nivora_side_windows STATIC
  ${CMAKE_CURRENT_LIST_DIR}/realtime_window.cpp ${CMAKE_CURRENT_LIST_DIR}/realtime_window.h
  ${CMAKE_CURRENT_LIST_DIR}/joystick_window.cpp ${CMAKE_CURRENT_LIST_DIR}/joystick_window.h
)
if(TARGET nivora_app_icons)
  target_link_libraries(nivora_side_windows PUBLIC nivora_app_icons)
else()
  # Icons not yet a library of their own: compile them here, once.
  target_sources(nivora_side_windows PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/toolbar_icons.cpp ${CMAKE_CURRENT_LIST_DIR}/toolbar_icons.h)
endif()
target_link_libraries(nivora_side_windows PUBLIC nivora_survey nivora_config_ui Qt6::Widgets)
nivora_target_defaults(nivora_side_windows)
