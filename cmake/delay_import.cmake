# Delay-loaded system libraries. A library that the program imports the ordinary way is looked
# for by the system's loader before the program's first instruction runs, in the program's own
# folder first unless the system knows it as one of its "known" libraries. OPENGL32, GLU32 and
# CRYPT32 are not known libraries, and the program runs from download folders and from the
# temporary folder: a file of that name planted beside it would be loaded instead. Imported
# through a delay-load library, such a library is loaded on the first call into it, after the
# program has restricted the library search to the system folder (app/startup.cpp).
#
# orbelin_delay_import(<name>) makes the imported target orbelin_delayed_<name>: the import
# library of the toolchain, lib<name>.a, turned into a list of its functions and then into a
# delay-load import library with dlltool.
function(orbelin_delay_import name)
    find_library(ORBELIN_IMPORT_LIBRARY_${name} NAMES lib${name}.a ${name} REQUIRED)
    set(import_library ${ORBELIN_IMPORT_LIBRARY_${name}})
    set(folder ${CMAKE_BINARY_DIR}/delay_imports)
    set(definitions ${folder}/${name}.def)
    set(delay_library ${folder}/lib${name}_delayed.a)
    string(TOUPPER "${name}.dll" dll)
    file(MAKE_DIRECTORY ${folder})

    # The functions are the __imp_ symbols of the import library.
    execute_process(COMMAND ${CMAKE_NM} ${import_library} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${CMAKE_NM} cannot read ${import_library}")
    endif()
    string(REGEX MATCHALL "I __imp_[A-Za-z0-9_@?$]+" imports "${symbols}")
    list(TRANSFORM imports REPLACE "^I __imp_" "")
    list(REMOVE_DUPLICATES imports)
    list(SORT imports)
    list(JOIN imports "\n" exports)
    file(WRITE ${definitions}.new "LIBRARY ${dll}\nEXPORTS\n${exports}\n")
    file(COPY_FILE ${definitions}.new ${definitions} ONLY_IF_DIFFERENT)

    if(NOT EXISTS ${delay_library} OR ${definitions} IS_NEWER_THAN ${delay_library})
        execute_process(
            COMMAND ${CMAKE_DLLTOOL} --input-def ${definitions} --output-delaylib ${delay_library} --dllname ${dll}
            RESULT_VARIABLE status)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "${CMAKE_DLLTOOL} cannot make the delay-load library for ${dll}")
        endif()
    endif()

    add_library(orbelin_delayed_${name} STATIC IMPORTED GLOBAL)
    set_target_properties(orbelin_delayed_${name} PROPERTIES IMPORTED_LOCATION ${delay_library})
endfunction()
