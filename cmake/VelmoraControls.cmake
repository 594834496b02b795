# The controls table (packaging/controls.txt) in each form the project shows
# it: the Windows README's text columns, the manual page's tagged
# paragraphs, README.md's Markdown table and the web page's one-line hint.
# Used by cmake/VelmoraPackage.cmake at configure time and by the check in
# tests/docs, so both read the rows the same way.

# velmora_controls(<table file>) sets, in the caller's scope:
#   VELMORA_CONTROLS_TEXT      indented columns, effects wrapped at 76
#   VELMORA_CONTROLS_MAN       .TP/.B paragraphs for troff
#   VELMORA_CONTROLS_MARKDOWN  a Markdown table with its header
#   VELMORA_CONTROLS_HINT      the hints joined by " · "
# Every form ends without a newline, so a template decides the spacing.
function(velmora_controls table)
  file(STRINGS ${table} lines ENCODING UTF-8)
  set(text "")
  set(man "")
  set(markdown "| Input | Effect |\n|---|---|")
  set(hint "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^#" OR line STREQUAL "")
      continue()
    endif()
    if(NOT line MATCHES "^([^|]*[^| ]) +\\| +([^|]*[^| ]) +\\| +([^|]*[^| ])$")
      message(FATAL_ERROR "${table}: a row needs three fields separated by \" | \": ${line}")
    endif()
    set(input "${CMAKE_MATCH_1}")
    set(effect "${CMAKE_MATCH_2}")
    set(words "${CMAKE_MATCH_3}")

    # Columns: the input padded to 14 characters, the effect wrapped under
    # its own column.
    string(LENGTH "${input}" length)
    math(EXPR pad "14 - ${length}")
    string(REPEAT " " ${pad} padding)
    string(REPLACE " " ";" effect_words "${effect}")
    set(row "  ${input}${padding}")
    set(column 16)
    set(first TRUE)
    foreach(word IN LISTS effect_words)
      string(LENGTH "${word}" word_length)
      math(EXPR end "${column} + 1 + ${word_length}")
      if(first)
        string(APPEND row "${word}")
        math(EXPR column "${column} + ${word_length}")
        set(first FALSE)
      elseif(end GREATER 76)
        string(APPEND row "\n                ${word}")
        math(EXPR column "16 + ${word_length}")
      else()
        string(APPEND row " ${word}")
        set(column ${end})
      endif()
    endforeach()
    if(text STREQUAL "")
      set(text "${row}")
    else()
      string(APPEND text "\n${row}")
    endif()

    if(man STREQUAL "")
      set(man ".TP\n.B ${input}\n${effect}")
    else()
      string(APPEND man "\n.TP\n.B ${input}\n${effect}")
    endif()
    string(APPEND markdown "\n| ${input} | ${effect} |")
    if(hint STREQUAL "")
      set(hint "${words}")
    else()
      string(APPEND hint " · ${words}")
    endif()
  endforeach()
  set(VELMORA_CONTROLS_TEXT "${text}" PARENT_SCOPE)
  set(VELMORA_CONTROLS_MAN "${man}" PARENT_SCOPE)
  set(VELMORA_CONTROLS_MARKDOWN "${markdown}" PARENT_SCOPE)
  set(VELMORA_CONTROLS_HINT "${hint}" PARENT_SCOPE)
endfunction()
