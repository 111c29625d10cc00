# The simulator's tests start korva-devsim from the program folder: build it first.
foreach(t tst_devsim tst_devsim_faults)
    if(TARGET ${t})
        add_dependencies(${t} korva-devsim)
    endif()
endforeach()
