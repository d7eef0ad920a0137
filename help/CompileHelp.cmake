# Compiles the help pages into one help file:
#   cmake -DSOURCE=<help folder> -DWORK=<work folder> -DOUTPUT=<file> [-DCHMCMD=<chmcmd>] -P CompileHelp.cmake
# The pages are compiled in a copy, so that nothing is written into the source folder.
# chmcmd writes the build time into the file; FixChmTimes.py sets it to a fixed value. Its
# binary index holds a field it leaves unset (different bytes on each run), so the project
# asks for none ("Binary Index=No"): the index stays a sitemap file, which viewers read.
if(NOT CHMCMD)
  set(CHMCMD chmcmd)
endif()
file(GLOB pages ${SOURCE}/*.htm ${SOURCE}/*.hhc ${SOURCE}/*.hhk ${SOURCE}/*.css ${SOURCE}/*.hhp)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${pages} DESTINATION ${WORK})
execute_process(COMMAND ${CHMCMD} --no-html-scan Telvarin.hhp WORKING_DIRECTORY ${WORK}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT EXISTS ${WORK}/TELVARIN.CHM)
  message(FATAL_ERROR "chmcmd failed:\n${output}")
endif()
execute_process(COMMAND python3 ${SOURCE}/FixChmTimes.py ${WORK}/TELVARIN.CHM RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "FixChmTimes.py failed")
endif()
configure_file(${WORK}/TELVARIN.CHM ${OUTPUT} COPYONLY)
