# cmake -DSRC=<folder> -DDST=<folder> -P CopyMissing.cmake
# Copies each file of SRC into DST unless DST already has it: the lists in
# a laid-out application folder are the user's once they exist.
file(GLOB files "${SRC}/*")
file(MAKE_DIRECTORY "${DST}")
foreach(f IN LISTS files)
  get_filename_component(name "${f}" NAME)
  if(NOT EXISTS "${DST}/${name}")
    file(COPY "${f}" DESTINATION "${DST}")
  endif()
endforeach()
