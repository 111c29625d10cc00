# The end-to-end window test runs the simulator from the program folder: build it first.
if(TARGET tst_frmDeviceEndToEnd)
    add_dependencies(tst_frmDeviceEndToEnd korva-devsim)
endif()
if(TARGET tst_frmServiceEndToEnd)
    add_dependencies(tst_frmServiceEndToEnd korva-devsim)
endif()
# The several-dialers window starts korvactl children, which may start simulators.
if(TARGET tst_frmMultiDownload)
    add_dependencies(tst_frmMultiDownload korvactl korva-devsim)
endif()
