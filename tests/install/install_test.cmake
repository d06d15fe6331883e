# Installs the build into a fresh prefix and runs the installed programs from there: the files a
# desktop needs are in place and agree with each other, nothing of the build's own tools slips
# in, and both programs start without the build tree.
# cmake -DBUILD_DIR=... -DPREFIX=... -P install_test.cmake

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
  RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE error)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${error}")
endif()

set(share "${PREFIX}/share")
foreach(file
    bin/quomtel
    bin/quomtel-batch
    share/applications/quomtel.desktop
    share/icons/hicolor/scalable/apps/quomtel.svg
    share/mime/packages/quomtel.xml
    share/metainfo/org.quomtel.Quomtel.metainfo.xml
    share/man/man1/quomtel-batch.1
    share/doc/quomtel/README.md
    share/doc/quomtel/docs/user-guide.md
    share/doc/quomtel/examples/README.md
    share/doc/quomtel/examples/ridge_site.tlv
    share/doc/quomtel/examples/ridge_site.cgp
    share/doc/quomtel/examples/quarry_site.efd)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

# Only the two programs: not the tests, benchmarks or the example generator.
file(GLOB programs RELATIVE "${PREFIX}/bin" "${PREFIX}/bin/*")
list(SORT programs)
if(NOT programs STREQUAL "quomtel;quomtel-batch")
  message(FATAL_ERROR "bin holds: ${programs}")
endif()

# The desktop entry starts the installed program with its icon, for the types the MIME file
# defines, and every type it names is defined there.
file(READ "${share}/applications/quomtel.desktop" entry)
foreach(line "Exec=quomtel %F" "Icon=quomtel" "Terminal=false")
  string(FIND "${entry}" "\n${line}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "quomtel.desktop lacks ${line}")
  endif()
endforeach()
string(REGEX MATCH "\nMimeType=([^\n]*)" _ "${entry}")
string(REGEX REPLACE ";$" "" listed "${CMAKE_MATCH_1}")
file(READ "${share}/mime/packages/quomtel.xml" mime)
string(REGEX MATCHALL "<mime-type type=\"[^\"]+\"" defined "${mime}")
string(REGEX REPLACE "<mime-type type=\"([^\"]+)\"" "\\1" defined "${defined}")
if(NOT listed STREQUAL defined)
  message(FATAL_ERROR "MimeType= lists '${listed}', quomtel.xml defines '${defined}'")
endif()
foreach(extension efd fdt tlv bk4)
  string(FIND "${mime}" "<glob pattern=\"*.${extension}\"/>" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "quomtel.xml has no glob for .${extension}")
  endif()
endforeach()

# The manual page names every option the help lists; the software centre's file validates.
execute_process(COMMAND "${PREFIX}/bin/quomtel-batch" --help OUTPUT_VARIABLE help)
file(READ "${share}/man/man1/quomtel-batch.1" man)
string(REGEX MATCHALL "\n  --[a-z-]+" options "${help}")
foreach(option ${options})
  string(STRIP "${option}" option)
  string(REPLACE "-" "\\-" roff_option "${option}")
  string(FIND "${man}" "${roff_option}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "quomtel-batch.1 lacks ${option}")
  endif()
endforeach()
find_program(appstreamcli appstreamcli)
if(appstreamcli)
  execute_process(COMMAND "${appstreamcli}" validate --no-net
      "${share}/metainfo/org.quomtel.Quomtel.metainfo.xml"
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "appstreamcli validate: ${out} ${err}")
  endif()
endif()

# The installed batch tool runs and reads an installed example without a message.
set(examples "${share}/doc/quomtel/examples")
execute_process(COMMAND "${PREFIX}/bin/quomtel-batch" --version
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT out MATCHES "^quomtel-batch [0-9]")
  message(FATAL_ERROR "quomtel-batch --version: ${status} '${out}' '${err}'")
endif()
execute_process(COMMAND "${PREFIX}/bin/quomtel-batch" --inversion-result "${examples}/ridge_site.tlv"
    --stress best --statistics
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT err STREQUAL "" OR NOT out MATCHES "mean stress")
  message(FATAL_ERROR "quomtel-batch on the example: ${status} '${out}' '${err}'")
endif()

# The window has no way to quit by itself: it must still be running with the result opened
# after a few seconds, having said nothing, and its log, in the user's data folder and not
# among the programs, must hold the start line only (an orientation out of range would add a
# line). A runtime folder of its own keeps Qt quiet.
set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{XDG_DATA_HOME} "${PREFIX}/data")
set(ENV{XDG_CONFIG_HOME} "${PREFIX}/config")
set(runtime "${PREFIX}/runtime")
file(MAKE_DIRECTORY "${runtime}")
file(CHMOD "${runtime}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
set(ENV{XDG_RUNTIME_DIR} "${runtime}")
execute_process(COMMAND "${PREFIX}/bin/quomtel" "${examples}/ridge_site.tlv"
  TIMEOUT 5 RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status MATCHES "timeout")
  message(FATAL_ERROR "quomtel ended before the timeout: ${status} '${out}' '${err}'")
endif()
# The offscreen platform notes what a window system would do; nothing else may appear.
string(REGEX REPLACE "This plugin does not support [A-Za-z]+\\(\\)\n" "" err "${err}")
string(STRIP "${out}${err}" said)
if(NOT said STREQUAL "")
  message(FATAL_ERROR "quomtel said: '${said}'")
endif()
if(EXISTS "${PREFIX}/bin/QMT.log")
  message(FATAL_ERROR "the installed program wrote its log among the programs")
endif()
file(STRINGS "${PREFIX}/data/Quomtel/QMT.log" log)
if(NOT log MATCHES "^[^;]* QMT start\\.$")
  message(FATAL_ERROR "QMT.log holds: ${log}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
