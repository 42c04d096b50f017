# Preprocesses a small file with the include directories a layer's own files
# get, and checks what they can reach:
#   cmake -DCOMPILER=c++ -DINCLUDES="dir|dir" -DALLOWED=core/colour.h
#         -DFORBIDDEN=app/main_frame.h -DWORK=folder -P check_layer.cmake
# A header of the layer itself must be found (so a broken include list never
# passes for a wall) and the forbidden one must not be.
foreach(variable COMPILER INCLUDES ALLOWED FORBIDDEN WORK)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "check_layer.cmake needs -D${variable}=...")
  endif()
endforeach()

string(REPLACE "|" ";" include_dirs "${INCLUDES}")
set(flags -std=c++20 -E)
foreach(dir IN LISTS include_dirs)
  list(APPEND flags -I${dir})
endforeach()

# Toolkit headers are spelled as system headers, ours as project headers.
function(spelling header out)
  if(header MATCHES "^wx/")
    set(${out} "<${header}>" PARENT_SCOPE)
  else()
    set(${out} "\"${header}\"" PARENT_SCOPE)
  endif()
endfunction()
spelling("${ALLOWED}" allowed)
spelling("${FORBIDDEN}" forbidden)

file(MAKE_DIRECTORY ${WORK})
set(source ${WORK}/probe.cpp)
file(WRITE ${source}
     "#if !__has_include(${allowed})\n#error ${ALLOWED} is out of reach of its own layer\n#endif\n"
     "#if __has_include(${forbidden})\n#error ${FORBIDDEN} is reachable from this layer\n#endif\n")
execute_process(COMMAND ${COMPILER} ${flags} ${source}
                RESULT_VARIABLE code OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "${errors}")
endif()
message(STATUS "${FORBIDDEN} is out of reach, ${ALLOWED} is not")
