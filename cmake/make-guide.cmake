# Makes the users' guide page from README.ja.md: Python-Markdown (with its
# tables extension) turns the Markdown into HTML, and this script puts it in a
# whole page in UTF-8 whose title is the guide's first heading.
#
#   cmake -DPYTHON=python3 -DSOURCE=README.ja.md -DOUTPUT=README.ja.html -P make-guide.cmake
foreach(var PYTHON SOURCE OUTPUT)
  if(NOT ${var})
    message(FATAL_ERROR "make-guide: ${var} is not set")
  endif()
endforeach()

set(body "${OUTPUT}.body")
execute_process(
  COMMAND "${PYTHON}" -m markdown -x tables -e utf-8 -f "${body}" "${SOURCE}"
  RESULT_VARIABLE result
  ERROR_VARIABLE error)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "make-guide: Python-Markdown failed on ${SOURCE}: ${error}")
endif()
file(READ "${body}" html)
file(REMOVE "${body}")

file(STRINGS "${SOURCE}" headings REGEX "^# " ENCODING UTF-8)
list(GET headings 0 title)
string(REGEX REPLACE "^# +" "" title "${title}")

file(WRITE "${OUTPUT}" "<!DOCTYPE html>
<html lang=\"ja\">
<head>
<meta charset=\"utf-8\">
<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">
<title>${title}</title>
<style>
body { max-width: 52em; margin: 1em auto; padding: 0 1em; line-height: 1.7;
       font-family: \"Yu Gothic UI\", \"Meiryo UI\", \"Meiryo\", sans-serif; }
img { max-width: 100%; border: 1px solid #ccc; }
table { border-collapse: collapse; }
th, td { border: 1px solid #999; padding: 0.2em 0.5em; vertical-align: top; }
code, pre { background: #f4f4f4; }
pre { padding: 0.5em; overflow-x: auto; }
</style>
</head>
<body>
${html}
</body>
</html>
")
