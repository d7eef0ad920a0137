# The same pages give the same bytes: compiles them twice, in two folders and in two different
# seconds of the clock (chmcmd takes its time in seconds), and compares the files.
#   cmake -DSOURCE=<help folder> -DWORK=<work folder> [-DCHMCMD=<chmcmd>] -P CheckReproducible.cmake
execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE=${SOURCE} -DWORK=${WORK}/a -DOUTPUT=${WORK}/a.chm -DCHMCMD=${CHMCMD}
                        -P ${SOURCE}/CompileHelp.cmake COMMAND_ERROR_IS_FATAL ANY)
string(TIMESTAMP first "%s" UTC)
set(now ${first})
while(now STREQUAL first)
  string(TIMESTAMP now "%s" UTC)
endwhile()
execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE=${SOURCE} -DWORK=${WORK}/deeper/b -DOUTPUT=${WORK}/b.chm -DCHMCMD=${CHMCMD}
                        -P ${SOURCE}/CompileHelp.cmake COMMAND_ERROR_IS_FATAL ANY)
file(SHA256 ${WORK}/a.chm first_hash)
file(SHA256 ${WORK}/b.chm second_hash)
if(NOT first_hash STREQUAL second_hash)
  message(FATAL_ERROR "two compilations differ: ${first_hash} ${second_hash}")
endif()
message(STATUS "same bytes: ${first_hash}")
