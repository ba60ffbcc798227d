# Runs the command-line example on the virtual instrument for three frames
# and checks its exit code and the printed frame record; then an unknown
# argument, which must give exit code 2 and the usage line.
execute_process(COMMAND ${CLI} --demo --frames 3
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "exit code ${rc}\n${out}\n${err}")
endif()
# The frame record, then the measurements (a number, or "..." for none).
set(num "(-?[0-9.e+-]+|\\.\\.\\.)")
if(NOT out MATCHES "^Frame_No=([3-9]|[1-9][0-9]+)\nSmpl_Count=[1-9][0-9]*\nSmpl_Period=[1-9][0-9]*\nFrame_uV_Div=[1-9][0-9]*\nVpp_uV=${num}\nVdc_uV=${num}\nFin_Hz=${num}\nFsmpl_Hz=[0-9.e+]+\n$")
  message(FATAL_ERROR "unexpected output:\n${out}\n${err}")
endif()

execute_process(COMMAND ${CLI} --frames 0
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 2 OR NOT err MATCHES "Usage: tovan1-cli")
  message(FATAL_ERROR "bad argument: exit code ${rc}\n${out}\n${err}")
endif()
