# Sources of a library are the .cpp/.h files of its folders; a file called main.cpp belongs to an
# executable and is left out. Globbing keeps each subsystem's files in one obvious place without a
# shared list that every change has to touch.
function(zex_collect_sources out_var)
    set(result)
    foreach(dir IN LISTS ARGN)
        file(GLOB found CONFIGURE_DEPENDS
            ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.h)
        list(FILTER found EXCLUDE REGEX "/main\\.cpp$")
        list(APPEND result ${found})
    endforeach()
    set(${out_var} ${result} PARENT_SCOPE)
endfunction()
