# Compiles de_DE.UTF-8, whose decimal point is a comma, into OUT from the
# locale sources of Debian's "locales" package; the test programs find it
# through LOCPATH. Without localedef or the sources nothing is made and the
# locale tests report the missing tool.
find_program(localedef localedef)
if(NOT localedef OR NOT EXISTS /usr/share/i18n/locales/de_DE)
  message(STATUS "localedef or /usr/share/i18n/locales/de_DE missing: no decimal-comma locale")
  return()
endif()
if(EXISTS ${OUT}/de_DE.UTF-8/LC_NUMERIC)
  return()
endif()
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${localedef} -i de_DE -f UTF-8 ${OUT}/de_DE.UTF-8
  RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT EXISTS ${OUT}/de_DE.UTF-8/LC_NUMERIC)
  message(FATAL_ERROR "localedef failed (${status}): ${errors}")
endif()
