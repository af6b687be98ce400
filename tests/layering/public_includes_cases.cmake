# The include check on a made-up tree of two targets, a and b (b builds on a):
# b reaching a's public header passes; reaching a's src/ through an include
# folder or by a relative path fails, and so does a table naming no target.
# Run as cmake -DCHECK=<public_includes.cmake> -DWORK=<folder> -P public_includes_cases.cmake.
file(REMOVE_RECURSE "${WORK}")
file(WRITE "${WORK}/a/include/a/Pub.h" "#pragma once\n")
file(WRITE "${WORK}/a/src/Priv.h" "#pragma once\n")
file(WRITE "${WORK}/a/src/a.cpp" "#include \"Priv.h\"\n#include \"a/Pub.h\"\n")
set(table "${WORK}/a|${WORK}/a/src,${WORK}/a/include|${WORK}/a/include\n")
set(cases
  "public|#include \"a/Pub.h\"|${WORK}/a/include|0"
  "private through an include folder|#include \"Priv.h\"|${WORK}/a/include,${WORK}/a/src|1"
  "private by a relative path|#include \"../../a/src/Priv.h\"|${WORK}/a/include|1"
  "public folder's header reached through src|#include \"../include/a/Pub.h\"|${WORK}/a/src|1")
foreach(row IN LISTS cases)
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 name)
  list(GET row 1 line)
  list(GET row 2 dirs)
  list(GET row 3 fails)
  file(REMOVE_RECURSE "${WORK}/b")
  file(WRITE "${WORK}/b/src/b.cpp" "${line}\n")
  file(WRITE "${WORK}/table.txt" "${table}${WORK}/b|${dirs}|${WORK}/b/include\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DTARGETS=${WORK}/table.txt -P ${CHECK} RESULT_VARIABLE code
                  OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if((fails AND code EQUAL 0) OR (NOT fails AND NOT code EQUAL 0))
    message(FATAL_ERROR "case \"${name}\": the check answered ${code}:\n${out}")
  endif()
endforeach()
file(WRITE "${WORK}/table.txt" "")
execute_process(COMMAND ${CMAKE_COMMAND} -DTARGETS=${WORK}/table.txt -P ${CHECK} RESULT_VARIABLE code
                OUTPUT_QUIET ERROR_QUIET)
if(code EQUAL 0)
  message(FATAL_ERROR "case \"no target\": the check passed")
endif()
file(REMOVE_RECURSE "${WORK}")
