# Turns NEWS into the Debian changelog that a native package carries:
# each "Quillmere VERSION (YYYY-MM-DD)" section becomes one entry.
#   cmake -DNEWS=... -DOUT=... -DMAINTAINER=... -P news2changelog.cmake
file(STRINGS ${NEWS} lines)
set(out "")
set(trailer "")
foreach(line IN LISTS lines)
  if(line MATCHES "^Quillmere ([^ ]+) \\(([0-9-]+)\\)$")
    string(APPEND out "${trailer}")
    set(version ${CMAKE_MATCH_1})
    # Noon UTC of the release day keeps the file the same on every build.
    execute_process(COMMAND date -u -R -d "${CMAKE_MATCH_2} 12:00"
                    OUTPUT_VARIABLE when OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    string(APPEND out "quillmere (${version}) unstable; urgency=medium\n\n")
    set(trailer "\n -- ${MAINTAINER}  ${when}\n\n")
  elseif(line MATCHES "^=+$" OR line STREQUAL "")
  elseif(trailer STREQUAL "")
    message(FATAL_ERROR "NEWS: text before the first release heading: ${line}")
  else()
    string(APPEND out "  ${line}\n")
  endif()
endforeach()
if(trailer STREQUAL "")
  message(FATAL_ERROR "NEWS: no release heading")
endif()
string(APPEND out "${trailer}")
string(REGEX REPLACE "\n\n$" "\n" out "${out}")
file(WRITE ${OUT} "${out}")
