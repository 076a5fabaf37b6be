# Fails when a release vantro.exe is larger than its budget.
#   cmake -DEXE=path/vantro.exe -DBUDGET=bytes -DCHECKED=1|0 -P check-size.cmake
# CHECKED is 0 for non-release configurations, which are not stripped.
file(SIZE "${EXE}" size)
if(NOT CHECKED)
  message(STATUS "vantro.exe: ${size} bytes (no budget outside release builds)")
elseif(size GREATER BUDGET)
  message(FATAL_ERROR "vantro.exe is ${size} bytes, over its budget of ${BUDGET} bytes")
else()
  message(STATUS "vantro.exe: ${size} bytes (budget ${BUDGET})")
endif()
