# One static library per source folder. Sources are globbed so that a new unit
# needs no edit here; the list of libraries built so far is kept in
# VIDRENA_LIBRARIES (top layer first, as the linker wants it).
set(VIDRENA_LIBRARIES "")

function(vidrena_library name dir)
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.h)
  list(FILTER sources EXCLUDE REGEX "^${CMAKE_SOURCE_DIR}/${dir}/main/")
  set(has_cpp FALSE)
  foreach(f IN LISTS sources)
    if(f MATCHES "\\.cpp$")
      set(has_cpp TRUE)
    endif()
  endforeach()
  if(NOT has_cpp)
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  # Link only to libraries that exist already; the rest are folders still empty.
  set(args "")
  foreach(a IN LISTS ARGN)
    if(a STREQUAL "PUBLIC" OR a STREQUAL "PRIVATE" OR TARGET ${a} OR a MATCHES "::")
      list(APPEND args ${a})
    endif()
  endforeach()
  target_link_libraries(${name} ${args})
  set(VIDRENA_LIBRARIES ${name} ${VIDRENA_LIBRARIES} PARENT_SCOPE)
endfunction()

# One GoogleTest binary per test folder, registered with CTest.
function(vidrena_test_suite dir)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(name tests_${dir})
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${VIDRENA_LIBRARIES} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE VIDRENA_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/lsan.supp:print_suppressions=0"
    TIMEOUT 600)
endfunction()
