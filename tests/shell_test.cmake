# The desktop program's tests: Qt Test programs on the offscreen platform, one
# per file in tests/shell named *_test.cpp, and checks of the real window
# under a virtual X server (skipped when Xvfb or xdotool is missing).
if(TARGET zorva_shell)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  file(GLOB shell_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/shell/*_test.cpp)
  foreach(source ${shell_test_sources})
    get_filename_component(name ${source} NAME_WE)
    add_executable(shell_${name} ${source})
    set_target_properties(shell_${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(shell_${name} PRIVATE zorva_shell Qt6::Test)
    add_test(NAME shell_${name} COMMAND shell_${name})
    set_tests_properties(shell_${name} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS shell TIMEOUT 120)
  endforeach()

  # A window manager's close request, for the real-window check; it needs the
  # xcb headers, which the X11 libraries bring.
  find_package(X11)
  if(TARGET X11::xcb)
    add_executable(shell_fake_wm shell/fake_wm.cpp)
    target_link_libraries(shell_fake_wm PRIVATE X11::xcb)
    set(fake_wm $<TARGET_FILE:shell_fake_wm>)
  endif()
  add_test(NAME shell_xvfb_check
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/shell/xvfb_check.sh $<TARGET_FILE:zorva> ${fake_wm})
  set_tests_properties(shell_xvfb_check PROPERTIES SKIP_RETURN_CODE 77 LABELS shell TIMEOUT 120)
  # Whole device pixels on desktops scaled by fractions, read from the X server.
  add_test(NAME shell_xvfb_scale_check
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/shell/xvfb_scale_check.sh $<TARGET_FILE:zorva>)
  set_tests_properties(shell_xvfb_scale_check PROPERTIES
    SKIP_RETURN_CODE 77 LABELS shell TIMEOUT 120)
endif()
