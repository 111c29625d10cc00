# korvactl against korva-devsim: both programs come from the staged program folder.
if(TARGET tst_korvactl)
    add_dependencies(tst_korvactl korvactl korva-devsim)
endif()
