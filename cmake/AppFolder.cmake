# The application folder: every build lays out Vidrena/ in its build folder
# with the executable and the folders it keeps its files in, as the program
# expects them beside itself (AppDir):
#   Vidrena/vidrena, Vidrena.ini (written by the program), vidrena_xls (the .xls reader)
#   Config/   the six value lists (shipped), the column chooser's list
#   DB/       catalogues          Poster/   posters, noimage.jpg, badImage.jpg
#   Script/   export templates    AutoSave/ the journal of unsaved movies
set(VIDRENA_APP_FOLDER ${CMAKE_BINARY_DIR}/Vidrena)
set_target_properties(vidrena PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VIDRENA_APP_FOLDER})

# The stand-in posters are drawn by our own tool at build time (in a
# sanitizer build too, where a leak report must not fail the build step).
add_executable(vidrena_drawposters ${CMAKE_SOURCE_DIR}/app/main/DrawPosters.cpp)
target_link_libraries(vidrena_drawposters PRIVATE ${VIDRENA_LIBRARIES})
set_target_properties(vidrena_drawposters PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

file(GLOB VIDRENA_SHIPPED_CONFIG CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/app/folder/Config/*)
file(GLOB VIDRENA_SHIPPED_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/app/folder/Script/*)
set(poster_stamp ${VIDRENA_APP_FOLDER}/Poster/noimage.jpg)
add_custom_command(
  OUTPUT ${poster_stamp} ${VIDRENA_APP_FOLDER}/Poster/badImage.jpg
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:vidrena_drawposters> ${VIDRENA_APP_FOLDER}/Poster
  DEPENDS vidrena_drawposters
  COMMENT "Drawing the stand-in posters")
add_custom_target(vidrena_app_folder ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VIDRENA_APP_FOLDER}/Config ${VIDRENA_APP_FOLDER}/DB
          ${VIDRENA_APP_FOLDER}/Poster ${VIDRENA_APP_FOLDER}/Script ${VIDRENA_APP_FOLDER}/AutoSave
  COMMAND ${CMAKE_COMMAND} -DSRC=${CMAKE_SOURCE_DIR}/app/folder/Config -DDST=${VIDRENA_APP_FOLDER}/Config
          -P ${CMAKE_SOURCE_DIR}/cmake/CopyMissing.cmake
  # The export templates are the user's to edit, like the lists.
  COMMAND ${CMAKE_COMMAND} -DSRC=${CMAKE_SOURCE_DIR}/app/folder/Script -DDST=${VIDRENA_APP_FOLDER}/Script
          -P ${CMAKE_SOURCE_DIR}/cmake/CopyMissing.cmake
  DEPENDS ${poster_stamp} ${VIDRENA_SHIPPED_CONFIG} ${VIDRENA_SHIPPED_SCRIPTS}
  COMMENT "Laying out the application folder")
add_dependencies(vidrena vidrena_app_folder)

# A sample catalogue for looking at the window (scripts/screenshot.sh).
add_executable(vidrena_samplecat ${CMAKE_SOURCE_DIR}/app/main/SampleCatalogue.cpp)
target_link_libraries(vidrena_samplecat PRIVATE ${VIDRENA_LIBRARIES})
set_target_properties(vidrena_samplecat PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools
                      EXCLUDE_FROM_ALL TRUE)
