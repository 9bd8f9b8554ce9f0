# Delay-loaded system libraries. A library that the program imports the ordinary way is looked
# for by the system's loader before the program's first instruction runs, in the program's own
# folder first unless the system knows it as one of its "known" libraries. OPENGL32, GLU32,
# CRYPT32 and VERSION are not known libraries, and the program runs from download folders and
# from the temporary folder: a file of that name planted beside it would be loaded instead. Imported
# through a delay-load library, such a library is loaded on the first call into it, after the
# program has restricted the library search to the system folder (app/startup.cpp).
#
# orbelin_delay_import(<name>) makes the imported target orbelin_delayed_<name>: the import
# library of the toolchain, lib<name>.a, turned into a list of its functions and then into a
# delay-load import library with dlltool.
#
# The first call of each function goes through a common stub (the "tail merge") that has the
# library loaded and the function looked up, and then jumps to it with the caller's arguments.
# The stub that dlltool (binutils 2.40) writes for 64-bit programs keeps the four integer
# argument registers but not the four vector registers XMM0-XMM3, which carry float and double
# arguments: the first glClearColor, glRotatef or gluPerspective would get whatever the loading
# left there (the first frame of a scene came out empty). The library gets a stub of its own
# that keeps them, and dlltool's is renamed out of the way.

set(ORBELIN_DELAY_IMPORT_RECIPE ${CMAKE_CURRENT_LIST_FILE})

function(orbelin_delay_import_step folder)
    execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${folder} RESULT_VARIABLE status ERROR_VARIABLE errors)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "delay-load library: ${ARGN} failed: ${errors}")
    endif()
endfunction()

function(orbelin_delay_import name)
    find_library(ORBELIN_IMPORT_LIBRARY_${name} NAMES lib${name}.a ${name} REQUIRED)
    set(import_library ${ORBELIN_IMPORT_LIBRARY_${name}})
    set(folder ${CMAKE_BINARY_DIR}/delay_imports)
    set(definitions ${name}.def)
    set(delay_library lib${name}_delayed.a)
    # dlltool names the library's members and symbols after the file it writes.
    set(stem lib${name}_delayed_a)
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
    file(WRITE ${folder}/${definitions}.new "LIBRARY ${dll}\nEXPORTS\n${exports}\n")
    file(COPY_FILE ${folder}/${definitions}.new ${folder}/${definitions} ONLY_IF_DIFFERENT)

    if(NOT EXISTS ${folder}/${delay_library} OR ${folder}/${definitions} IS_NEWER_THAN ${folder}/${delay_library}
       OR ${ORBELIN_DELAY_IMPORT_RECIPE} IS_NEWER_THAN ${folder}/${delay_library})
        file(REMOVE ${folder}/${delay_library})
        orbelin_delay_import_step(${folder} ${CMAKE_DLLTOOL} --input-def ${definitions}
                                  --output-delaylib ${delay_library} --dllname ${dll})
        # dlltool's stub, renamed: its head member keeps it, nothing calls it any more.
        orbelin_delay_import_step(${folder} ${CMAKE_AR} x ${delay_library} ${stem}_h.o)
        orbelin_delay_import_step(${folder} ${CMAKE_OBJCOPY}
                                  --redefine-sym __tailMerge_${stem}=__tailMerge_${stem}_without_vectors ${stem}_h.o)
        # The stub that keeps every argument register, with its unwind information.
        set(tail_merge [=[
    .text
    .globl __tailMerge_@STEM@
    .def __tailMerge_@STEM@; .scl 2; .type 32; .endef
    .seh_proc __tailMerge_@STEM@
__tailMerge_@STEM@:
    pushq %rcx
    .seh_pushreg %rcx
    pushq %rdx
    .seh_pushreg %rdx
    pushq %r8
    .seh_pushreg %r8
    pushq %r9
    .seh_pushreg %r9
    subq $0x68, %rsp
    .seh_stackalloc 0x68
    .seh_endprologue
    movdqa %xmm0, 0x20(%rsp)
    movdqa %xmm1, 0x30(%rsp)
    movdqa %xmm2, 0x40(%rsp)
    movdqa %xmm3, 0x50(%rsp)
    movq %rax, %rdx
    leaq __DELAY_IMPORT_DESCRIPTOR_@STEM@(%rip), %rcx
    call __delayLoadHelper2
    movdqa 0x20(%rsp), %xmm0
    movdqa 0x30(%rsp), %xmm1
    movdqa 0x40(%rsp), %xmm2
    movdqa 0x50(%rsp), %xmm3
    addq $0x68, %rsp
    popq %r9
    popq %r8
    popq %rdx
    popq %rcx
    jmp *%rax
    .seh_endproc
]=])
        string(REPLACE "@STEM@" "${stem}" tail_merge "${tail_merge}")
        file(WRITE ${folder}/${stem}_tail_merge.s "${tail_merge}")
        orbelin_delay_import_step(${folder} ${CMAKE_C_COMPILER} -c ${stem}_tail_merge.s -o ${stem}_tail_merge.o)
        orbelin_delay_import_step(${folder} ${CMAKE_AR} r ${delay_library} ${stem}_h.o ${stem}_tail_merge.o)
    endif()

    add_library(orbelin_delayed_${name} STATIC IMPORTED GLOBAL)
    set_target_properties(orbelin_delayed_${name} PROPERTIES IMPORTED_LOCATION ${folder}/${delay_library})
endfunction()
