# Runs tools/check_layers.cmake on trees of one file each: every include upward and every Widgets
# include outside ui/ and app/ must be refused, includes downward and within a layer allowed.
#   cmake -DCHECKER=<check_layers.cmake> -DWORK_DIR=<scratch folder> -P layering_test.cmake
cmake_policy(VERSION 3.25)

# file | its include | refused or allowed
set(cases
  "core/a.h|#include \"faults/fd_classes.h\"|refused"
  "faults/a.cpp|#include \"stress/st_classes.h\"|refused"
  "stress/a.cpp|#include \"plot/st_plot.h\"|refused"
  "plot/a.cpp|#include \"output/data_files.h\"|refused"
  "output/a.cpp|#include \"session/settings.h\"|refused"
  "session/a.cpp|#include \"batch/batch_run.h\"|refused"
  "session/a.h|#include \"ui/about.h\"|refused"
  "batch/a.cpp|#include \"ui/about.h\"|refused"
  "ui/a.cpp|#include \"batch/batch_run.h\"|refused"
  "session/a.cpp|#include <QWidget>|refused"
  "fuzz/a.cpp|#include <QtWidgets/QLabel>|refused"
  "core/a.cpp|// #include \"ui/about.h\" is not a directive|allowed"
  "output/a.cpp|#include \"plot/st_plot.h\"|allowed"
  "ui/a.cpp|#include \"session/settings.h\"|allowed"
  "batch/a.cpp|#include \"session/settings.h\"|allowed"
  "ui/a.cpp|#include <QWidget>|allowed"
  "app/a.cpp|#include \"batch/batch_run.h\"|allowed"
)

set(failures "")
set(n 0)
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 file)
  list(GET fields 1 line)
  list(GET fields 2 expected)
  math(EXPR n "${n} + 1")
  # Only this one folder exists: the check must skip the missing ones.
  set(tree "${WORK_DIR}/case_${n}")
  file(REMOVE_RECURSE "${tree}")
  file(WRITE "${tree}/${file}" "${line}\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${tree} -P ${CHECKER}
    RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(expected STREQUAL "refused" AND (status EQUAL 0 OR NOT errors MATCHES "${file}: "))
    list(APPEND failures "not refused: ${file}: ${line}")
  elseif(expected STREQUAL "allowed" AND NOT status EQUAL 0)
    list(APPEND failures "refused: ${file}: ${line}\n${errors}")
  endif()
endforeach()

if(failures)
  list(JOIN failures "\n  " failures)
  message(FATAL_ERROR "The layering check is wrong:\n  ${failures}")
endif()
