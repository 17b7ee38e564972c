# Writes the rule tables of docs/setup-check.md as C++ initialisers, so that
# the checker's SARIF rules carry the help the documentation gives and the
# two never drift apart.
#
#   cmake -DDOC=docs/setup-check.md -DOUT=RuleDocs.inc -P RuleDocs.cmake
#
# A table row reads "| SC104 | rule | example that trips it |". The text is
# walked with string(FIND) rather than turned into a list: the cells hold
# ";" and "[", which CMake's lists take apart.
cmake_minimum_required(VERSION 3.25)
file(READ "${DOC}" text)
string(REPLACE "\r" "" text "${text}")
set(out "// Made from docs/setup-check.md by RuleDocs.cmake: do not edit.\n")
set(rest "${text}")
while(TRUE)
  string(FIND "${rest}" "\n| SC" at)
  if(at EQUAL -1)
    break()
  endif()
  math(EXPR at "${at} + 1")
  string(SUBSTRING "${rest}" ${at} -1 rest)
  string(FIND "${rest}" "\n" end)
  if(end EQUAL -1)
    set(row "${rest}")
    set(rest "")
  else()
    string(SUBSTRING "${rest}" 0 ${end} row)
    string(SUBSTRING "${rest}" ${end} -1 rest)
  endif()
  if(NOT row MATCHES "^\\| (SC[0-9][0-9][0-9]) \\| (.*) \\| (.*) \\|$")
    message(FATAL_ERROR "${DOC}: a rule row that is not | code | rule | example |: ${row}")
  endif()
  set(code "${CMAKE_MATCH_1}")
  set(rule "${CMAKE_MATCH_2}")
  set(example "${CMAKE_MATCH_3}")
  foreach(cell rule example)
    string(FIND "${${cell}}" ")md\"" clash)
    if(NOT clash EQUAL -1)
      message(FATAL_ERROR "${DOC}: ${code} holds )md\", which ends the raw string")
    endif()
  endforeach()
  string(APPEND out "{\"${code}\", R\"md(${rule})md\", R\"md(${example})md\"},\n")
endwhile()
# Written only when it changes, so that an edit elsewhere in
# docs/setup-check.md rebuilds nothing.
file(WRITE "${OUT}.new" "${out}")
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")
