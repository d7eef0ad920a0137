# cmake -DDOC=<document> -DFILES=<file;file> -P CheckDocCopies.cmake
# Fails unless the document holds each file's whole text verbatim (as a code block), so that
# what the document shows is what the build compiles.
file(READ ${DOC} doc)
foreach(path ${FILES})
  file(READ ${path} text)
  string(FIND "${doc}" "\n${text}```" position)
  if(position EQUAL -1)
    message(FATAL_ERROR "${DOC} does not show ${path} as it is built: copy the file into its code block")
  endif()
  message(STATUS "${path}: shown verbatim")
endforeach()
