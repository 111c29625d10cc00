# Interop: mbpoll (an independent Modbus RTU client) against korva-devsim over its
# pseudo-terminal. mbpoll is installed by scripts/setup.sh; the test fails without it.
add_test(NAME interop_devsim_mbpoll
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/devsim_mbpoll.sh $<TARGET_FILE:korva-devsim>)
set_tests_properties(interop_devsim_mbpoll PROPERTIES TIMEOUT 120)
