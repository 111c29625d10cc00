# korvactl against korva-devsim: both programs come from the staged program folder.
if(TARGET tst_korvactl)
    add_dependencies(tst_korvactl korvactl korva-devsim)
endif()

# Downloads through korvactl under seeded faults, and with the simulator killed midway, each
# judged by the oracle (tests/download/oracle.py). The long soak is the same script with more
# runs: scripts/download-soak.py soak --bin build/KORVA/bin --runs 500
add_test(NAME download_fault_soak
         COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/scripts/download-soak.py soak --bin ${KORVA_BIN_DIR} --runs 8)
add_test(NAME download_cable_pull
         COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/scripts/download-soak.py cable --bin ${KORVA_BIN_DIR})
set_tests_properties(download_fault_soak download_cable_pull PROPERTIES TIMEOUT 120)
