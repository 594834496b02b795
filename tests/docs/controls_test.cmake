# The controls as every reader meets them agree with packaging/controls.txt:
# README.md's table and the web page's hint, which are written by hand, and
# the Windows README and the manual page as the build makes them from their
# templates. Run as `cmake -DSOURCE=<checkout> -DWORK=<scratch dir> -P`.
include(${SOURCE}/cmake/VelmoraControls.cmake)
velmora_controls(${SOURCE}/packaging/controls.txt)
set(failed FALSE)

function(expect_within file what expected)
  file(READ ${file} content)
  string(FIND "${content}" "${expected}" at)
  if(at EQUAL -1)
    message(SEND_ERROR "${file}: ${what} does not match packaging/controls.txt; expected:\n${expected}")
    set(failed TRUE PARENT_SCOPE)
  endif()
endfunction()

expect_within(${SOURCE}/README.md "the controls table" "${VELMORA_CONTROLS_MARKDOWN}\n")

file(READ ${SOURCE}/web/index.html page)
if(NOT page MATCHES "id=\"hint\"[^>]*>([^<]*)<")
  message(SEND_ERROR "web/index.html: no element with id \"hint\"")
  set(failed TRUE)
elseif(NOT CMAKE_MATCH_1 STREQUAL VELMORA_CONTROLS_HINT)
  message(SEND_ERROR "web/index.html: the hint does not match packaging/controls.txt:\n"
                     "  found    ${CMAKE_MATCH_1}\n  expected ${VELMORA_CONTROLS_HINT}")
  set(failed TRUE)
endif()

# The templates as the build configures them (the Windows README with its
# own line ends, which changes nothing here).
set(PROJECT_VERSION 0.0.0)
configure_file(${SOURCE}/packaging/README.txt.in ${WORK}/README.txt @ONLY)
configure_file(${SOURCE}/packaging/velmora.6 ${WORK}/velmora.6 @ONLY)
expect_within(${WORK}/README.txt "the controls" "Controls\n--------\n${VELMORA_CONTROLS_TEXT}\n")
expect_within(${WORK}/velmora.6 "the controls" ".SH CONTROLS\n${VELMORA_CONTROLS_MAN}\n.SH")

if(failed)
  message(FATAL_ERROR "the controls are described differently in the places above")
endif()
