# With no way to make a window or device the game must fail visibly: a
# non-zero exit and the report in the error log.
file(REMOVE ${RUN_TREE}/Errors.txt)
set(ENV{SDL_VIDEODRIVER} dummy)
set(ENV{SDL_AUDIODRIVER} dummy)
set(ENV{ALSOFT_DRIVERS} null)
execute_process(
  COMMAND ${GAME} -windowed -quitafterframe:10
  WORKING_DIRECTORY ${RUN_TREE}/bin
  RESULT_VARIABLE result
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  TIMEOUT 100)
if(result EQUAL 0)
  message(FATAL_ERROR "the game reported success without a device\nstdout:\n${out}")
endif()
file(READ ${RUN_TREE}/Errors.txt log)
if(NOT log MATCHES "D3D Could not be initialized\nFailed in file: [^\n]+\nOn line: [0-9]+")
  message(FATAL_ERROR "the error log lacks the device report:\n${log}")
endif()
