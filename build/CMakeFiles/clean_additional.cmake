# Additional clean files
cmake_minimum_required(VERSION 3.16)

if("${CONFIG}" STREQUAL "" OR "${CONFIG}" STREQUAL "RelWithDebInfo")
  file(REMOVE_RECURSE
  "platform/CMakeFiles/platform_autogen.dir/AutogenUsed.txt"
  "platform/CMakeFiles/platform_autogen.dir/ParseCache.txt"
  "platform/platform_autogen"
  )
endif()
