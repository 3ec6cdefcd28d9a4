# Starts the game offscreen for 300 frames and checks what a player's console
# and the error log show.
file(REMOVE ${RUN_TREE}/Errors.txt)
set(ENV{SDL_VIDEODRIVER} offscreen)
set(ENV{SDL_AUDIODRIVER} dummy)
set(ENV{ALSOFT_DRIVERS} null)
execute_process(
  COMMAND ${GAME} -windowed -width:320 -height:240 -quitafterframe:300 -constantframetime:0.016
  WORKING_DIRECTORY ${RUN_TREE}/bin
  RESULT_VARIABLE result
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  TIMEOUT 240)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the game exited with ${result}\nstdout:\n${out}\nstderr:\n${err}")
endif()
if(NOT out MATCHES "Last Compiled: ")
  message(FATAL_ERROR "no 'Last Compiled: ' line on standard output:\n${out}")
endif()
if(NOT EXISTS ${RUN_TREE}/Errors.txt)
  message(FATAL_ERROR "../Errors.txt was not created")
endif()
