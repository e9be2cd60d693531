# The portable part of app/: decisions without windows, built into the core
# on every platform so the native unit tests can check them.
target_sources(velnor_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/autorun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tray_menu_state.cpp
)
