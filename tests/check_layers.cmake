# Checks the layering of the reader's sources from their #include lines:
#   core/                                   includes only core/
#   deck/, geometry/, variables/, motion/   include core/, each other and the host's
#                                           declarations (userd_api.h), never interface/
#   interface/                              the host's entry points: may include anything
#   capi/                                   the case library's C interface: the layers below
#                                           and its own header, never the host's entry points
#   check/                                  the set-up check: its own files and the two C headers
# Usage: cmake -DSRC=<the src folder> -P check_layers.cmake
set(allowed_core "core/")
set(allowed_subsystem "core/|deck/|geometry/|variables/|motion/|userd_api\\.h$")
set(allowed_capi "${allowed_subsystem}|capi/|vortimar_case\\.h$")
set(allowed_check "check/|vortimar_case\\.h$|vortimar_check\\.h$")
set(failures "")
foreach(layer core deck geometry variables motion capi check)
  if(layer STREQUAL "core")
    set(allowed "${allowed_core}")
  elseif(layer STREQUAL "check")
    set(allowed "${allowed_check}")
  elseif(layer STREQUAL "capi")
    set(allowed "${allowed_capi}")
  else()
    set(allowed "${allowed_subsystem}")
  endif()
  file(GLOB sources ${SRC}/${layer}/*.h ${SRC}/${layer}/*.cpp)
  foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
      if(NOT header MATCHES "^(${allowed})")
        file(RELATIVE_PATH name ${SRC} ${source})
        string(APPEND failures "  ${name} includes \"${header}\"\n")
      endif()
    endforeach()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "includes that cross the layers:\n${failures}")
endif()
message(STATUS "layers: every include stays in its layer or below")
