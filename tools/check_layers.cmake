# Refuses every include that goes upward between the layers, and Qt Widgets outside ui/ and app/.
#   cmake -DSOURCE_DIR=<tree> -P tools/check_layers.cmake
# Run by the `layering` test and at configure time. The layers, from the bottom: core, faults,
# stress, plot, output, session; then batch and ui side by side, neither including the other;
# then app. A folder that does not exist is skipped, so the check runs on part of a tree too.
cmake_policy(VERSION 3.25)
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "check_layers.cmake: no SOURCE_DIR given")
endif()

# The folders each layer may not include.
set(above_core faults stress plot output session batch ui app)
set(above_faults stress plot output session batch ui app)
set(above_stress plot output session batch ui app)
set(above_plot output session batch ui app)
set(above_output session batch ui app)
set(above_session batch ui app)
set(above_batch ui app)
set(above_ui batch app)
# The libFuzzer targets link no widgets either.
set(no_widgets core faults stress plot output session batch fuzz)
set(widget_include
  "#[ \t]*include[ \t]*[<\"](QtWidgets/|Q(Widget|MainWindow|Dialog|MessageBox|FileDialog|ListView|ListWidget|Label|PushButton|Application|StatusBar|ProgressBar|DockWidget|TabWidget|ScrollArea|Action)[>\"])")

set(bad "")
foreach(dir core faults stress plot output session batch ui fuzz)
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${dir}/*.h" "${SOURCE_DIR}/${dir}/*.cpp")
  foreach(f IN LISTS sources)
    file(RELATIVE_PATH name "${SOURCE_DIR}" "${f}")
    # Only directives at the start of a line: an include in a comment does not count.
    file(STRINGS "${f}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS includes)
      string(STRIP "${line}" line)
      if(DEFINED above_${dir} AND line MATCHES "include[ \t]*\"([a-z_]+)/")
        if(CMAKE_MATCH_1 IN_LIST above_${dir})
          list(APPEND bad "${name}: ${line}  (${dir}/ may not include ${CMAKE_MATCH_1}/)")
        endif()
      endif()
      if(dir IN_LIST no_widgets AND line MATCHES "${widget_include}")
        list(APPEND bad "${name}: ${line}  (Widgets only in ui/ and app/)")
      endif()
    endforeach()
  endforeach()
endforeach()

if(bad)
  # Indented lines are printed as they are, not wrapped.
  list(JOIN bad "\n  " bad)
  message(FATAL_ERROR "Includes against the layering:\n  ${bad}")
endif()
