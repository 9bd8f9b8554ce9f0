# Runs the build-time archive packer on good and bad source files and checks that it accepts
# the good ones and refuses the bad ones with a message, writing nothing. Called by CTest with
# -DPACKER=<packer> -DWORK=<scratch folder>.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/preamble.txt "Preamble\n")
file(WRITE ${WORK}/header.txt "19=\${PROGRAM} \${VERSION}\n")
file(WRITE ${WORK}/licence.txt "Licence\n")
file(WRITE ${WORK}/good.txt "English\${TAB}Englisch\n1=Info\n")
file(WRITE ${WORK}/hashes.txt "English\${TAB}Englisch\n1=Info ## more\n")
file(WRITE ${WORK}/placeholder.txt "English\${TAB}Englisch\n1=\${NOBODY}\n")
file(WRITE ${WORK}/no_tab.txt "English Englisch\n1=Info\n")
string(ASCII 195 40 invalid)
file(WRITE ${WORK}/utf8.txt "English\${TAB}Englisch\n1=bad ${invalid} byte\n")

function(run_packer section expect_success)
    file(REMOVE ${WORK}/run.bin)
    execute_process(COMMAND ${PACKER} --run ${WORK}/run.bin --define PROGRAM=Orbelin --define VERSION=1.0
                            --preamble ${WORK}/preamble.txt --header ${WORK}/header.txt
                            --licence ${WORK}/licence.txt --licence ${WORK}/licence.txt --section ${WORK}/${section}
                    RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
    if(expect_success AND NOT result EQUAL 0)
        message(FATAL_ERROR "${section}: refused: ${errors}")
    endif()
    if(NOT expect_success)
        if(result EQUAL 0 OR EXISTS ${WORK}/run.bin)
            message(FATAL_ERROR "${section}: accepted, but must be refused")
        endif()
        if(errors STREQUAL "")
            message(FATAL_ERROR "${section}: refused without a message")
        endif()
        message(STATUS "${section}: ${errors}")
    endif()
endfunction()

run_packer(good.txt TRUE)
run_packer(hashes.txt FALSE)
run_packer(placeholder.txt FALSE)
run_packer(no_tab.txt FALSE)
run_packer(utf8.txt FALSE)
file(REMOVE_RECURSE ${WORK})
