# Copies the shipped data folder SRC into DST, leaving out the readable
# sources that the build compiles (library sources *.nls, design sources
# demo/*.txt). Only files that changed are copied.
file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/*)
foreach(f ${files})
  if(f MATCHES "\\.nls$" OR f MATCHES "^demo/.*\\.txt$")
    continue()
  endif()
  get_filename_component(dir ${DST}/${f} DIRECTORY)
  file(MAKE_DIRECTORY ${dir})
  file(COPY_FILE ${SRC}/${f} ${DST}/${f} ONLY_IF_DIFFERENT)
endforeach()
